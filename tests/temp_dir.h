// A fresh scratch directory for a test, on every system.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace test_support {

// Makes a new empty directory named prefix.<random number> in the system's
// directory for temporary files; an empty path when none could be made.
inline std::filesystem::path make_temp_dir(const std::string& prefix) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::error_code error;
        std::filesystem::path name =
            std::filesystem::temp_directory_path(error) / (prefix + "." + std::to_string(random()));
        if (error) return {};
        if (std::filesystem::create_directory(name, error)) return name;
    }
    return {};
}

} // namespace test_support
