#include "import/long_path_win32.h"

#include <algorithm>

namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool isLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

std::wstring extendedLengthPath(std::wstring path) {
    const bool drive = path.size() >= 3 && isLetter(path[0]) && path[1] == L':' && isSeparator(path[2]);
    const bool share = path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1]) &&
                       path[2] != L'?' && path[2] != L'.' && !isSeparator(path[2]);
    if (!drive && !share) return path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return drive ? L"\\\\?\\" + path : L"\\\\?\\UNC\\" + path.substr(2);
}
