#pragma once
#include <filesystem>
#include <string>

// The folder part of a full executable path, as PathRemoveFileSpecW gives it:
// "D:\Build\Sonabel.exe" gives "D:\Build", "D:\Sonabel.exe" gives "D:\".
std::filesystem::path folderOfExecutablePath(std::wstring executablePath);
