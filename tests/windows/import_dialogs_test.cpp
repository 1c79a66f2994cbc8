// The open-file and folder dialogs: what they are asked, how their answers are
// read, and what reaches the page.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/path_text.h"
#include "bridge/window_state.h"
#include "import/folder_scan.h"
#include "import/import_dialogs_win32.h"
#include "temp_folder.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

class RecordingPage : public ScriptEvaluator {
public:
    void evaluateScript(const std::string& script) override { scripts.push_back(script); }
    std::vector<std::string> scripts;
};

class ThrowingPage : public ScriptEvaluator {
public:
    void evaluateScript(const std::string&) override { throw std::runtime_error("page gone"); }
};

std::string batchScriptFor(const std::string& trackBatch) {
    std::string escaped;
    for (char c : trackBatch) {
        if (c == '"') escaped += '\\';
        escaped += c;
    }
    return "if (window.sonabel) { window.sonabel.addTracksBatch(JSON.parse('" + escaped + "')); }";
}

std::string track(const std::string& title, const std::string& url, const std::string& format) {
    return R"({"title":")" + title + R"(","artist":"Local Music","url":")" + url + R"(","format":")" + format + R"("})";
}

// A buffer as the dialog leaves it: the strings, each NUL-ended, then an empty one.
std::wstring selection(std::initializer_list<std::wstring> strings) {
    std::wstring buffer;
    for (const auto& s : strings) buffer += s + L'\0';
    return buffer + L'\0';
}

std::vector<std::wstring> texts(const std::vector<fs::path>& paths) {
    std::vector<std::wstring> result;
    for (const auto& p : paths) result.push_back(p.wstring());
    return result;
}

const HWND kOwner = reinterpret_cast<HWND>(0x1234);

struct OwnerGuard {
    explicit OwnerGuard(HWND owner) { g_mainWindow = owner; }
    ~OwnerGuard() { g_mainWindow = nullptr; }
};

}  // namespace

TEST(DialogRequests, TheOpenFileRequestSetsExactlyItsMembers) {
    wchar_t buffer[8] = {};
    const OPENFILENAMEW request = makeAudioFileRequest(kOwner, buffer, 32768);
    EXPECT_GT(sizeof(OPENFILENAMEW), size_t(OPENFILENAME_SIZE_VERSION_400W));  // the full one, with FlagsEx
    EXPECT_EQ(request.lStructSize, sizeof(OPENFILENAMEW));
    EXPECT_EQ(request.hwndOwner, kOwner);
    EXPECT_EQ(request.lpstrFile, buffer);
    EXPECT_EQ(request.nMaxFile, 32768u);
    EXPECT_EQ(request.Flags, 0x81200u);
    EXPECT_EQ(request.Flags, DWORD(OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT));

    // Two pairs, the list ended by an empty string.
    const std::wstring expectedFilter =
        L"Audio Files (*.mp3;*.wav;*.flac;*.m4a;*.ogg;*.aac)\0*.mp3;*.wav;*.flac;*.m4a;*.ogg;*.aac\0"
        L"All Files (*.*)\0*.*\0\0"s;
    ASSERT_NE(request.lpstrFilter, nullptr);
    EXPECT_EQ(std::wstring(request.lpstrFilter, expectedFilter.size()), expectedFilter);

    EXPECT_EQ(request.hInstance, nullptr);
    EXPECT_EQ(request.lpstrCustomFilter, nullptr);
    EXPECT_EQ(request.nMaxCustFilter, 0u);
    EXPECT_EQ(request.nFilterIndex, 0u);
    EXPECT_EQ(request.lpstrFileTitle, nullptr);
    EXPECT_EQ(request.nMaxFileTitle, 0u);
    EXPECT_EQ(request.lpstrInitialDir, nullptr);
    EXPECT_EQ(request.lpstrTitle, nullptr);
    EXPECT_EQ(request.nFileOffset, 0u);
    EXPECT_EQ(request.nFileExtension, 0u);
    EXPECT_EQ(request.lpstrDefExt, nullptr);
    EXPECT_EQ(request.lCustData, 0);
    EXPECT_EQ(request.lpfnHook, nullptr);
    EXPECT_EQ(request.lpTemplateName, nullptr);
    EXPECT_EQ(request.pvReserved, nullptr);
    EXPECT_EQ(request.dwReserved, 0u);
    EXPECT_EQ(request.FlagsEx, 0u);
}

TEST(DialogRequests, TheFolderRequestSetsOwnerTitleAndFlagsOnly) {
    const BROWSEINFOW request = makeMusicFolderRequest(kOwner);
    EXPECT_EQ(request.hwndOwner, kOwner);
    ASSERT_NE(request.lpszTitle, nullptr);
    EXPECT_EQ(std::wstring(request.lpszTitle), L"Select Music Folder for Sonabel");
    EXPECT_EQ(request.ulFlags, 0x41u);
    EXPECT_EQ(request.ulFlags, UINT(BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE));
    EXPECT_EQ(request.pidlRoot, nullptr);
    EXPECT_EQ(request.pszDisplayName, nullptr);
    EXPECT_EQ(request.lpfn, nullptr);
    EXPECT_EQ(request.lParam, 0);
    EXPECT_EQ(request.iImage, 0);
}

TEST(FileSelection, ReadsOneFileSeveralFilesAndDriveRoots) {
    struct Case {
        std::wstring buffer;
        std::vector<std::wstring> paths;
    };
    const Case cases[] = {
        {selection({L"C:\\Music\\a.mp3"}), {L"C:\\Music\\a.mp3"}},
        {selection({L"C:\\Music", L"b.mp3", L"a.flac", L"notes.txt"}),
         {L"C:\\Music\\b.mp3", L"C:\\Music\\a.flac", L"C:\\Music\\notes.txt"}},
        {selection({L"C:\\", L"a.mp3", L"b.mp3"}), {L"C:\\a.mp3", L"C:\\b.mp3"}},
        {selection({L"\\\\server\\share\\M\u00fasica", L"\u00e9t\u00e9.mp3"}),
         {L"\\\\server\\share\\M\u00fasica\\\u00e9t\u00e9.mp3"}},
        {selection({}), {}},
        {std::wstring(16, L'\0'), {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(texts(readFileSelection(c.buffer)), c.paths);
    }
}

TEST(FileSelection, NeverReadsPastTheBuffer) {
    // No terminators at all, and a list cut off after its last name.
    EXPECT_EQ(texts(readFileSelection(std::wstring(5, L'x'))), std::vector<std::wstring>{L"xxxxx"});
    EXPECT_EQ(texts(readFileSelection(L"C:\\M\0a.mp3\0b.m"s)),
              (std::vector<std::wstring>{L"C:\\M\\a.mp3", L"C:\\M\\b.m"}));
}

TEST(PickAudioFiles, DeliversTheChosenFilesAsOneBatchAndNothingOnCancel) {
    OwnerGuard owner(kOwner);
    struct Case {
        BOOL confirmed;
        std::wstring answer;
        std::vector<std::string> scripts;
    };
    const Case cases[] = {
        {TRUE, selection({L"C:\\Music\\a.mp3"}), {batchScriptFor("[" + track("a", "file:///C:/Music/a.mp3", "MP3") + "]")}},
        {TRUE, selection({L"C:\\", L"b.ogg", L"notes.txt"}),
         {batchScriptFor("[" + track("b", "file:///C:/b.ogg", "OGG") + "," + track("notes", "file:///C:/notes.txt", "TXT") +
                         "]")}},
        {FALSE, selection({L"C:\\Music\\a.mp3"}), {}},
        {TRUE, selection({}), {}},
    };
    for (const Case& c : cases) {
        RecordingPage page;
        int calls = 0;
        OpenFileDialog dialog;
        dialog.show = [&](OPENFILENAMEW& request) {
            ++calls;
            EXPECT_EQ(request.hwndOwner, kOwner);
            EXPECT_EQ(request.nMaxFile, 32768u);
            EXPECT_TRUE(std::all_of(request.lpstrFile, request.lpstrFile + request.nMaxFile, [](wchar_t ch) { return ch == 0; }));
            std::copy(c.answer.begin(), c.answer.end(), request.lpstrFile);
            return c.confirmed;
        };
        pickAudioFilesWith(page, dialog);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(page.scripts, c.scripts);
    }
}

namespace {

// A folder browser whose item list is a marker, with its calls counted.
struct FakeBrowser {
    ITEMIDLIST item{};
    bool chosen = true;
    bool hasPath = true;
    std::wstring path;
    int shown = 0, pathCalls = 0;
    std::vector<void*> freed;

    FolderBrowser calls() {
        FolderBrowser browser;
        browser.show = [this](BROWSEINFOW& request) -> PIDLIST_ABSOLUTE {
            ++shown;
            EXPECT_EQ(request.hwndOwner, kOwner);
            EXPECT_EQ(std::wstring(request.lpszTitle), L"Select Music Folder for Sonabel");
            EXPECT_EQ(request.ulFlags, 0x41u);
            return chosen ? &item : nullptr;
        };
        browser.pathOf = [this](PCIDLIST_ABSOLUTE given, wchar_t* buffer) -> BOOL {
            ++pathCalls;
            EXPECT_EQ(given, &item);
            if (!hasPath) return FALSE;
            std::copy(path.begin(), path.end(), buffer);
            buffer[path.size()] = L'\0';
            return TRUE;
        };
        browser.release = [this](void* given) { freed.push_back(given); };
        return browser;
    }
};

}  // namespace

TEST(ImportMusicFolder, WalksTheChosenFolderAndAlwaysFreesTheItemList) {
    OwnerGuard owner(kOwner);
    TempFolder tree;
    tree.touch(L"one.mp3");
    tree.touch(L"two.txt");
    tree.touch(L"Sub\\three.FLAC");
    const std::vector<fs::path> expected = scanMusicFolder(tree.path());
    ASSERT_EQ(expected.size(), 2u);

    {
        FakeBrowser browser;
        browser.chosen = false;
        RecordingPage page;
        importMusicFolderWith(page, browser.calls());
        EXPECT_EQ(browser.pathCalls, 0);
        EXPECT_TRUE(browser.freed.empty());  // nothing was handed out
        EXPECT_TRUE(page.scripts.empty());
    }
    {
        FakeBrowser browser;
        browser.hasPath = false;
        RecordingPage page;
        importMusicFolderWith(page, browser.calls());
        EXPECT_EQ(browser.freed, std::vector<void*>{&browser.item});
        EXPECT_TRUE(page.scripts.empty());
    }
    {
        FakeBrowser browser;
        browser.path = tree.path().wstring();
        RecordingPage page;
        importMusicFolderWith(page, browser.calls());
        EXPECT_EQ(browser.freed, std::vector<void*>{&browser.item});
        ASSERT_EQ(page.scripts.size(), 1u);
        for (const auto& found : expected) {
            EXPECT_NE(page.scripts[0].find(pathToFileUrl(found)), std::string::npos) << found.string();
        }
    }
    {
        FakeBrowser browser;
        browser.path = (tree.path() / L"Sub").wstring() + L"\\..\\Nowhere";
        RecordingPage page;
        importMusicFolderWith(page, browser.calls());
        EXPECT_EQ(browser.freed.size(), 1u);
        EXPECT_TRUE(page.scripts.empty());
    }
    {
        FakeBrowser browser;
        browser.path = tree.path().wstring();
        ThrowingPage page;
        EXPECT_THROW(importMusicFolderWith(page, browser.calls()), std::runtime_error);
        EXPECT_EQ(browser.freed.size(), 1u);
    }
}

TEST(ImportMusicFolder, ADriveRootGivesPathsWithOneBackslash) {
    // The test runner maps a spare drive letter to an empty folder.
    const char* drive = std::getenv("SONABEL_TEST_DRIVE");
    if (drive == nullptr) GTEST_SKIP() << "no spare drive letter mapped";
    const fs::path root = std::string(drive) + "\\";
    ASSERT_TRUE(fs::is_directory(root)) << drive;
    std::ofstream(root / L"a.mp3").put('\0');
    std::ofstream(root / L"Sub.mp3.txt").put('\0');
    fs::create_directories(root / L"Sub");
    std::ofstream(root / L"Sub" / L"b.Mp3").put('\0');

    std::vector<std::wstring> found = texts(scanMusicFolder(root));
    std::sort(found.begin(), found.end());
    const std::wstring prefix = root.wstring();
    EXPECT_EQ(found, (std::vector<std::wstring>{prefix + L"Sub\\b.Mp3", prefix + L"a.mp3"}));

    OwnerGuard owner(kOwner);
    FakeBrowser browser;
    browser.path = prefix;
    RecordingPage page;
    importMusicFolderWith(page, browser.calls());
    ASSERT_EQ(page.scripts.size(), 1u);
    EXPECT_NE(page.scripts[0].find("file:///" + std::string(drive) + "/a.mp3"), std::string::npos) << page.scripts[0];
    EXPECT_NE(page.scripts[0].find("file:///" + std::string(drive) + "/Sub/b.Mp3"), std::string::npos) << page.scripts[0];

    std::error_code ignored;
    fs::remove_all(root / L"Sub", ignored);
    fs::remove(root / L"a.mp3", ignored);
    fs::remove(root / L"Sub.mp3.txt", ignored);
}
