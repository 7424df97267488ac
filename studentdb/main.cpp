#include "console.h"
#include "cp1251.h"
#include "studentdb.h"

using con::operator""_cp;

// Shown where the program's console window closes as it ends (Windows).
constexpr std::string_view closing_note = "Нажмите любую клавишу, чтобы закрыть окно."_cp;

int main() { return con::run_stdio("studentdb", studentdb::run, closing_note); }
