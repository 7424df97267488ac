#include "console.h"
#include "linefind.h"

int main() { return con::run_stdio("linefind", linefind::run); }
