#include <windows.h>
#include <shlwapi.h>

#include <vector>

#include "app/start_page.h"

namespace fs = std::filesystem;

fs::path executableFolder() {
    // Grows past MAX_PATH so that a long install path is not cut short.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size() || buffer.size() >= 32768) break;
        buffer.resize(buffer.size() * 2);
    }
    PathRemoveFileSpecW(buffer.data());
    return fs::path(buffer.data());
}

std::string locateStartPage() {
    return locateStartPageIn(executableFolder(), "Sonabel.exe");
}
