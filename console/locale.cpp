// The locale as the environment names it: what the POSIX and web consoles
// decide their character set by.
#include "state.h"

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <strings.h>

namespace con {

namespace {

// The first of the variables that choose the character set that is set to
// something, in the order setlocale takes them for LC_CTYPE; null when none is.
const char* chosen_locale() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"})
        if (const char* name = std::getenv(variable); name != nullptr && *name != '\0') return name;
    return nullptr;
}

} // namespace

// True when the locale's name, as the environment gives it, names UTF-8 as
// its codeset ("xx_YY.UTF-8", "xx_YY.utf8@variant", in any case).
bool locale_name_is_utf8() {
    const char* name = chosen_locale();
    if (name == nullptr) return false;
    const char* dot = std::strchr(name, '.');
    if (dot == nullptr) return false;
    std::string_view codeset(dot + 1);
    codeset = codeset.substr(0, codeset.find('@'));
    auto named = [codeset](std::string_view utf8) {
        return codeset.size() == utf8.size() && ::strncasecmp(codeset.data(), utf8.data(), utf8.size()) == 0;
    };
    return named("UTF-8") || named("UTF8");
}

bool stdio_utf8(const console_state& s, bool locale_utf8) {
    return locale_utf8 || (chosen_locale() == nullptr && (s.terminal || s.out_terminal));
}

} // namespace con
