#include "console.h"
#include "countout.h"

int main() { return con::run_stdio("countout", countout::run); }
