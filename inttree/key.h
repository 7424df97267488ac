// The pause after a message: one key press awaited on a terminal.
#pragma once

#include "console.h"

namespace inttree {

// On a terminal: waits for one key press without echo, and takes that key
// only, so that whatever is typed after it stays for the next reads. A key
// that sends several bytes (a letter outside ASCII, an arrow) counts as one.
// Returns at once when input is not a terminal or has ended.
void wait_one_key(con::console& c);

} // namespace inttree
