#include "console.h"
#include "maxcut.h"

int main() { return con::run_stdio("maxcut", maxcut::run); }
