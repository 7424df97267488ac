#include "harness.h"
#include "maxcut.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::run_dialogue(maxcut::run, std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
