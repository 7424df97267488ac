#include "console.h"
#include "maxcut.h"

// Shown where the program's console window closes as it ends (Windows).
constexpr std::string_view closing_note = "Nazhmite ljubuju klavishu, chtoby zakryt' okno.";

int main() { return con::run_stdio("maxcut", maxcut::run, closing_note); }
