#include "harness.h"
#include "studentdb.h"

// The first part of the input is students.dat as it is found at start.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::enter_scratch_directory();
    fuzz::clear_scratch_directory();
    fuzz::split_input input = fuzz::split(data, size);
    if (!input.file.empty()) fuzz::write_file("students.dat", input.file);
    fuzz::run_dialogue(studentdb::run, input.typed);
    return 0;
}
