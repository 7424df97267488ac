#include "console.h"
#include "studentdb.h"

int main() { return con::run_stdio("studentdb", studentdb::run); }
