#include "stringsort.h"
#include "console.h"

int main() { return con::run_stdio(stringsort::run); }
