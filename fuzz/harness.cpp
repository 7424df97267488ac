#include "harness.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fuzz {

namespace {

std::string scratch;

void remove_scratch_directory() {
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
}

} // namespace

void enter_scratch_directory() {
    static bool done = false;
    if (done) return;
    scratch = (std::filesystem::temp_directory_path() / "fuzz.XXXXXX").string();
    if (mkdtemp(scratch.data()) == nullptr || chdir(scratch.c_str()) != 0) {
        std::perror("scratch directory");
        std::abort();
    }
    std::atexit(remove_scratch_directory);
    done = true;
}

void clear_scratch_directory() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(".", ignored))
        std::filesystem::remove_all(entry.path(), ignored);
}

void write_file(const std::string& name, std::string_view bytes) {
    std::ofstream out(name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace fuzz
