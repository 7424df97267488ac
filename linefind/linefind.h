// linefind: reports every distinct sentence of a text file that contains a
// typed string, with the number of times it occurs.
#pragma once

#include "console.h"

#include <cstddef>
#include <string>

namespace linefind {

// Reads one typed line that is not empty into line, asking again after an
// empty one. Returns its length; 0 when input ended first, a last line
// without its line break included. text_form::as_typed keeps the bytes as
// they came in (a file name), not converted to Windows-1251.
std::size_t input_line(con::console& c, std::string& line, con::text_form form = con::text_form::converted);

// The whole dialogue; returns the exit status: 1 when memory ran out.
int run(con::console& c);

} // namespace linefind
