#include <system_error>

#include "app/start_page.h"

namespace fs = std::filesystem;

fs::path executableFolder() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) return fs::current_path(error);
    return executable.parent_path();
}

std::string locateStartPage() {
    return locateStartPageIn(executableFolder(), "sonabel");
}
