// Windows names: UTF-16 paths, drive roots, and names with no UTF-8 form.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/path_text.h"
#include "import/folder_scan.h"
#include "import/long_path_win32.h"
#include "import/track_batch.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::wstring withUnit(const wchar_t* before, wchar_t unit, const wchar_t* after) {
    return std::wstring(before) + unit + after;
}

}  // namespace

TEST(WindowsPathText, UnpairedSurrogatesFailTheWholePath) {
    for (const std::wstring& text : {withUnit(L"C:\\Music\\", 0xD800, L""), withUnit(L"C:\\Music\\a", 0xD83C, L".mp3"),
                                     withUnit(L"C:\\", 0xDC00, L"x.mp3")}) {
        try {
            pathToUtf8(fs::path(text));
            ADD_FAILURE() << "converted";
        } catch (const fs::filesystem_error& error) {
            EXPECT_NE(std::string(error.what()).find("Cannot convert character sequence"), std::string::npos);
            EXPECT_EQ(error.code(), std::errc::illegal_byte_sequence);
        }
        EXPECT_THROW(pathToFileUrl(fs::path(text)), fs::filesystem_error);
    }
}

TEST(WindowsPathText, FileUrlsUseSlashesAndKeepSpacesAndLetters) {
    EXPECT_EQ(fs::path(L"C:\\") / L"a.mp3", fs::path(L"C:\\a.mp3"));
    EXPECT_EQ(pathToFileUrl(fs::path(L"C:\\Music\\a b.mp3")), "file:///C:/Music/a b.mp3");
    EXPECT_EQ(pathToFileUrl(fs::path(L"C:\\M\u00fasica\\\U0001F3B5 #1.mp3")), "file:///C:/M\xC3\xBAsica/\xF0\x9F\x8E\xB5 %231.mp3");
    EXPECT_EQ(pathToFileUrl(fs::path(L"D:\\") / L"a.mp3"), "file:///D:/a.mp3");
    EXPECT_EQ(pathToUtf8(fs::path(L"C:\\Caf\u00e9")), "C:\\Caf\xC3\xA9");
}

TEST(WindowsPathText, ARecordWithNoUtf8FormIsLeftOutAlone) {
    const std::string batch =
        buildTrackBatch({fs::path(L"C:\\a.mp3"), fs::path(withUnit(L"C:\\bad", 0xD800, L".mp3")), fs::path(L"C:\\b.mp3")});
    EXPECT_EQ(batch,
              R"([{"title":"a","artist":"Local Music","url":"file:///C:/a.mp3","format":"MP3"},)"
              R"({"title":"b","artist":"Local Music","url":"file:///C:/b.mp3","format":"MP3"}])");
}

TEST(WindowsFolderScan, AFileWhoseNameHasNoUtf8FormIsSkippedAndItsSiblingsKept) {
    TempFolder tree;
    tree.touch(L"before.mp3");
    tree.touch(L"Sub\\after.flac");
    const fs::path bad = withUnit(L"bad", 0xD800, L".mp3");
    EXPECT_FALSE(isAudioFileName(bad));
    HANDLE file = CreateFileW((tree.path() / bad).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    // wine keeps names as UTF-8 on the host and refuses this one; Windows takes it.
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);

    tree.touch(L"Sub\\\u00e9t\u00e9.mp3");
    std::vector<std::wstring> found;
    for (const auto& path : scanMusicFolder(tree.path())) found.push_back(path.filename().wstring());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::wstring>{L"after.flac", L"before.mp3", L"\u00e9t\u00e9.mp3"}));
}

TEST(WindowsLongPaths, FullPathsTakeTheLongFormAndOthersStayAsGiven) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\Music", L"\\\\?\\C:\\Music"},
        {L"d:/Music/Sub", L"\\\\?\\d:\\Music\\Sub"},
        {L"D:\\", L"\\\\?\\D:\\"},
        {L"\\\\server\\share\\Music", L"\\\\?\\UNC\\server\\share\\Music"},
        {L"\\\\?\\C:\\Music", L"\\\\?\\C:\\Music"},
        {L"\\\\.\\pipe\\x", L"\\\\.\\pipe\\x"},
        {L"Music\\Sub", L"Music\\Sub"},
        {L"C:Music", L"C:Music"},
        {L"\\Music", L"\\Music"},
        {L"", L""},
    };
    for (const auto& [given, expected] : cases) EXPECT_EQ(extendedLengthPath(given), expected) << given.c_str();
}

TEST(WindowsLongPaths, TheWalkReadsFoldersDeeperThanMaxPath) {
    TempFolder tree;
    fs::path deep = tree.path();
    while (deep.native().size() < 300) {
        deep /= L"a folder with a rather long name for depth";
        ASSERT_TRUE(CreateDirectoryW(extendedLengthPath(deep.native()).c_str(), nullptr)) << GetLastError();
    }
    tree.touch(L"near.mp3");
    const fs::path deepFile = deep / L"Night Owls - far.flac";
    HANDLE file = CreateFileW(extendedLengthPath(deepFile.native()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);

    std::vector<fs::path> found = scanMusicFolder(tree.path());
    std::sort(found.begin(), found.end());
    // As given, not in the long form: the URL is made from it.
    EXPECT_EQ(found, (std::vector<fs::path>{deepFile, tree.path() / L"near.mp3"}));
    // The temporary folder's own clean-up cannot reach that deep.
    DeleteFileW(extendedLengthPath(deepFile.native()).c_str());
    for (; deep != tree.path(); deep = deep.parent_path()) RemoveDirectoryW(extendedLengthPath(deep.native()).c_str());
}
