#pragma once
#include <windows.h>

#include <filesystem>
#include <string>

// GetModuleFileNameW's shape, so a test can offer paths longer than MAX_PATH.
using ModuleFileNameFunction = DWORD(WINAPI*)(HMODULE module, LPWSTR buffer, DWORD size);

// The running program's full path, however long.
std::wstring executablePath(ModuleFileNameFunction getModuleFileName = GetModuleFileNameW);

// The folder part of a full executable path, as PathRemoveFileSpecW gives it:
// "D:\Build\Sonabel.exe" gives "D:\Build", "D:\Sonabel.exe" gives "D:\".
std::filesystem::path folderOfExecutablePath(std::wstring executablePath);
