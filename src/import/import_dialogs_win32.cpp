#include "import/import_dialogs_win32.h"

#include <memory>

#include "bridge/window_state.h"
#include "import/folder_scan.h"
#include "import/import_dialogs.h"
#include "import/track_batch.h"

namespace fs = std::filesystem;

OPENFILENAMEW makeAudioFileRequest(HWND owner, wchar_t* selection, DWORD selectionLength) {
    OPENFILENAMEW request{};
    // The full structure, so the dialog may use every member it knows.
    request.lStructSize = sizeof(OPENFILENAMEW);
    request.hwndOwner = owner;
    request.lpstrFilter = kAudioFileFilter;
    request.lpstrFile = selection;
    request.nMaxFile = selectionLength;
    request.Flags = kAudioFileDialogFlags;
    return request;
}

BROWSEINFOW makeMusicFolderRequest(HWND owner) {
    BROWSEINFOW request{};
    request.hwndOwner = owner;
    request.lpszTitle = kMusicFolderTitle;
    request.ulFlags = kMusicFolderDialogFlags;
    return request;
}

namespace {

// The NUL-ended string at `offset`, or the rest of the buffer if the NUL is
// missing.
std::wstring_view stringAt(std::wstring_view buffer, size_t offset) {
    if (offset >= buffer.size()) return {};
    const std::wstring_view rest = buffer.substr(offset);
    return rest.substr(0, rest.find(L'\0'));
}

}  // namespace

std::vector<fs::path> readFileSelection(std::wstring_view buffer) {
    std::vector<fs::path> paths;
    const std::wstring_view head = stringAt(buffer, 0);
    if (head.empty()) return paths;
    size_t offset = head.size() + 1;
    std::wstring_view name = stringAt(buffer, offset);
    if (name.empty()) {
        paths.emplace_back(head);
        return paths;
    }
    // A folder such as C:\ already ends with its separator.
    const bool endsWithSeparator = head.back() == L'\\' || head.back() == L'/';
    while (!name.empty()) {
        std::wstring path(head);
        if (!endsWithSeparator) path += L'\\';
        path += name;
        paths.emplace_back(std::move(path));
        offset += name.size() + 1;
        name = stringAt(buffer, offset);
    }
    return paths;
}

void pickAudioFilesWith(ScriptEvaluator& page, const OpenFileDialog& dialog) {
    // Per call, not static: a page call let in by the dialog's own message
    // loop gets a buffer of its own.
    std::vector<wchar_t> selection(kDialogBufferLength, L'\0');
    OPENFILENAMEW request = makeAudioFileRequest(g_mainWindow, selection.data(), kDialogBufferLength);
    // Zero for cancel and for every failure, a selection too long for the
    // buffer among them.
    if (!dialog.show(request)) return;
    const std::vector<fs::path> paths = readFileSelection({selection.data(), selection.size()});
    if (paths.empty()) return;
    deliverTracks(page, paths);
}

void importMusicFolderWith(ScriptEvaluator& page, const FolderBrowser& browser) {
    BROWSEINFOW request = makeMusicFolderRequest(g_mainWindow);
    auto freeItem = [&browser](ITEMIDLIST* item) { browser.release(item); };
    // Freed on every way out, a throwing walk or delivery included.
    const std::unique_ptr<ITEMIDLIST, decltype(freeItem)> item(browser.show(request), freeItem);
    if (!item) return;

    std::vector<wchar_t> folder(kDialogBufferLength, L'\0');
    // A virtual shell folder has no file-system path.
    if (!browser.pathOf(item.get(), folder.data())) return;
    // Never read past the buffer, whatever the call left in it.
    folder.back() = L'\0';

    const std::vector<fs::path> paths = scanMusicFolder(fs::path(folder.data()));
    if (paths.empty()) return;
    deliverTracks(page, paths);
}

void pickAudioFiles(ScriptEvaluator& page) { pickAudioFilesWith(page, OpenFileDialog{}); }

void importMusicFolder(ScriptEvaluator& page) { importMusicFolderWith(page, FolderBrowser{}); }
