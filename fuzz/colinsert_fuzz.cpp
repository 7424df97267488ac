#include "colinsert.h"
#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::run_dialogue(colinsert::run, std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
