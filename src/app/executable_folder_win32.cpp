#include "app/executable_folder_win32.h"

#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "app/start_page.h"

namespace fs = std::filesystem;

std::wstring executablePath(ModuleFileNameFunction getModuleFileName) {
    // Grows past MAX_PATH so that a long install path is not cut short; the
    // last size is above the longest path Windows has.
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length = 0;
    for (;;) {
        length = getModuleFileName(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size() || buffer.size() >= 32768) break;
        buffer.resize(buffer.size() * 2);
    }
    return std::wstring(buffer.data(), std::min<size_t>(length, buffer.size()));
}

fs::path folderOfExecutablePath(std::wstring executablePath) {
    PathRemoveFileSpecW(executablePath.data());
    return fs::path(executablePath.c_str());
}

fs::path executableFolder() { return folderOfExecutablePath(executablePath()); }

std::string locateStartPage() {
    return locateStartPageIn(executableFolder(), "Sonabel.exe");
}
