#include "import/file_name.h"

namespace {

constexpr bool kBackslashSeparates = std::filesystem::path::preferred_separator == NativeChar('\\');

bool isSeparator(NativeChar c) {
    return c == NativeChar('/') || (kBackslashSeparates && c == NativeChar('\\'));
}

}  // namespace

NativeView fileNameOf(NativeView path) {
    std::size_t start = path.size();
    while (start > 0 && !isSeparator(path[start - 1])) --start;
    // "C:name" on Windows: the drive is not part of the name.
    if (kBackslashSeparates && start == 0 && path.size() >= 2 && path[1] == NativeChar(':')) start = 2;
    return path.substr(start);
}

NativeView extensionOf(NativeView fileName) {
    const std::size_t dot = fileName.rfind(NativeChar('.'));
    if (dot == NativeView::npos || dot == 0) return {};
    if (fileName.size() == 2 && fileName[0] == NativeChar('.') && fileName[1] == NativeChar('.')) return {};
    return fileName.substr(dot);
}

NativeView stemOf(NativeView fileName) {
    return fileName.substr(0, fileName.size() - extensionOf(fileName).size());
}
