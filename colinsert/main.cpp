#include "colinsert.h"
#include "console.h"

// Shown where the program's console window closes as it ends (Windows).
constexpr std::string_view closing_note = "Nazhmite lyubuyu klavishu, chtoby zakryt' okno.";

int main() { return con::run_stdio("colinsert", colinsert::run, closing_note); }
