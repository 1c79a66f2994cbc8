#pragma once
#include <filesystem>
#include <string_view>

// A fresh folder under the system's temporary folder, removed with its
// contents when the test ends.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Creates an empty file (and its parent folders) at `relative`.
    std::filesystem::path touch(const std::filesystem::path& relative) const;

private:
    std::filesystem::path path_;
};
