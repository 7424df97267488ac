#include "console.h"
#include "stringsort.h"

int main() { return con::run_stdio("stringsort", stringsort::run); }
