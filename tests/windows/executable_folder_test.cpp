// Where the program finds itself: its path however long, the folder part of
// it, and for real by starting a small program from a drive root.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/executable_folder_win32.h"
#include "app/path_text.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

struct Location {
    std::string folder;
    std::string startUrl;
};

// Runs `program` and reads the two lines it prints.
Location startLocationOf(const fs::path& program) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    EXPECT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    const BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    CloseHandle(writeEnd);
    EXPECT_TRUE(started) << "error " << GetLastError();

    std::string output;
    char chunk[4096];
    DWORD got = 0;
    while (started && ReadFile(readEnd, chunk, sizeof(chunk), &got, nullptr) && got > 0) output.append(chunk, got);
    CloseHandle(readEnd);
    if (started) {
        WaitForSingleObject(process.hProcess, 30000);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
    Location location;
    const size_t lineEnd = output.find('\n');
    location.folder = output.substr(0, lineEnd);
    if (lineEnd != std::string::npos) location.startUrl = output.substr(lineEnd + 1, output.find('\n', lineEnd + 1) - lineEnd - 1);
    return location;
}

fs::path helperProgram() {
    std::wstring self(32768, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return fs::path(self).parent_path() / L"print_start_location.exe";
}

}  // namespace

TEST(ExecutableFolder, IsThePathWithoutItsFileName) {
    EXPECT_EQ(folderOfExecutablePath(L"D:\\Build\\bin\\Sonabel.exe").wstring(), L"D:\\Build\\bin");
    EXPECT_EQ(folderOfExecutablePath(L"D:\\Sonabel.exe").wstring(), L"D:\\");
    EXPECT_EQ(folderOfExecutablePath(L"\\\\server\\share\\Sonabel.exe").wstring(), L"\\\\server\\share");
    EXPECT_EQ((folderOfExecutablePath(L"D:\\Sonabel.exe") / L"web" / L"index.html").wstring(), L"D:\\web\\index.html");
}

namespace {

// GetModuleFileNameW over a given path: cut to the buffer with the result
// equal to its size when it does not fit, as Windows does.
std::wstring g_modulePath;
int g_moduleCalls = 0;
DWORD WINAPI fakeModuleFileName(HMODULE module, LPWSTR buffer, DWORD size) {
    ++g_moduleCalls;
    EXPECT_EQ(module, nullptr);
    if (g_modulePath.size() < size) {
        std::copy(g_modulePath.begin(), g_modulePath.end(), buffer);
        buffer[g_modulePath.size()] = L'\0';
        return static_cast<DWORD>(g_modulePath.size());
    }
    std::copy(g_modulePath.begin(), g_modulePath.begin() + size - 1, buffer);
    buffer[size - 1] = L'\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

}  // namespace

TEST(ExecutableFolder, AnInstallPathLongerThanMaxPathIsReadWhole) {
    // wine itself cannot start a program from such a path, so its answer is faked.
    for (size_t length : {size_t(20), size_t(MAX_PATH - 1), size_t(MAX_PATH), size_t(700), size_t(32000)}) {
        g_modulePath = L"C:\\" + std::wstring(length - 15, L'd') + L"\\Sonabel.exe";
        ASSERT_EQ(g_modulePath.size(), length);
        g_moduleCalls = 0;
        EXPECT_EQ(executablePath(fakeModuleFileName), g_modulePath) << length;
        EXPECT_EQ(folderOfExecutablePath(executablePath(fakeModuleFileName)).wstring(),
                  g_modulePath.substr(0, length - 12))
            << length;
    }
    EXPECT_EQ(executablePath().substr(executablePath().size() - 17), L"windows_tests.exe");
}

TEST(ExecutableFolder, InADriveRootTheFolderIsTheRootItself) {
    const char* drive = std::getenv("SONABEL_TEST_DRIVE");
    if (drive == nullptr) GTEST_SKIP() << "no spare drive letter mapped";
    const fs::path root = std::string(drive) + "\\";
    fs::copy_file(helperProgram(), root / L"Sonabel.exe", fs::copy_options::overwrite_existing);
    fs::create_directories(root / L"web");
    std::ofstream(root / L"web" / L"index.html") << "<html></html>";

    const Location location = startLocationOf(root / L"Sonabel.exe");
    EXPECT_EQ(location.folder, std::string(drive) + "\\");
    EXPECT_EQ(location.startUrl, "file:///" + std::string(drive) + "/web/index.html");

    std::error_code ignored;
    fs::remove_all(root / L"web", ignored);
    fs::remove(root / L"Sonabel.exe", ignored);
}
