#include "colinsert.h"
#include "console.h"

int main() { return con::run_stdio("colinsert", colinsert::run); }
