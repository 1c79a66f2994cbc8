#include "temp_folder.h"

#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    path_ = fs::temp_directory_path() / ("sonabel-test-" + std::to_string(random()));
    fs::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

fs::path TempFolder::touch(const fs::path& relative) const {
    const fs::path file = path_ / relative;
    fs::create_directories(file.parent_path());
    std::ofstream(file).put('\0');
    return file;
}
