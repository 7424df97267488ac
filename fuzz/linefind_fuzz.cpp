#include "harness.h"
#include "linefind.h"

// The first part of the input is the searched file. It is stored under the
// first typed line, the file name, when that is a plain name.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::enter_scratch_directory();
    fuzz::clear_scratch_directory();
    fuzz::split_input input = fuzz::split(data, size);
    std::string_view name = input.typed.substr(0, input.typed.find('\n'));
    bool plain = !name.empty() && name.size() <= 64 && name != "." && name != "..";
    for (char ch : name)
        if (ch == '/' || ch == '\0' || ch == '\r') plain = false;
    if (plain) fuzz::write_file(std::string(name), input.file);
    fuzz::run_dialogue(linefind::run, input.typed);
    return 0;
}
