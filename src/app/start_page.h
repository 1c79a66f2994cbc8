#pragma once
#include <filesystem>
#include <string>
#include <string_view>

// The built-in page shown when the player's files are missing, as a data URL.
// `executableName` is the name the page tells the user to look beside.
std::string fallbackStartUrl(std::string_view executableName);

// Looks for web/index.html, src/web/index.html and ../src/web/index.html
// under `executableFolder`, in that order, and returns the first one's file
// URL (canonical, so without ".."), or the fallback URL. A candidate whose
// status, canonical form or URL cannot be had counts as not found.
std::string locateStartPageIn(const std::filesystem::path& executableFolder,
                              std::string_view executableName);

// The running program's folder (platform file: /proc/self/exe or
// GetModuleFileNameW) and the start URL found from it.
std::filesystem::path executableFolder();
std::string locateStartPage();
