#include "console.h"
#include "inttree.h"

int main() { return con::run_stdio("inttree", inttree::run); }
