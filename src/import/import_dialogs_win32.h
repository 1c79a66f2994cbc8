#pragma once
// The Windows dialogs behind pickAudioFiles and importMusicFolder, split so
// that the structures, the reading of the selection and the flow around the
// dialogs can be checked without a person at the screen.

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

#include "import/script_evaluator.h"

// Characters in the open-file selection buffer and the folder path buffer.
inline constexpr DWORD kDialogBufferLength = 32768;

// Display text and pattern pairs, each string NUL-ended, the list ended by
// one more NUL (the literal's own).
inline constexpr wchar_t kAudioFileFilter[] =
    L"Audio Files (*.mp3;*.wav;*.flac;*.m4a;*.ogg;*.aac)\0*.mp3;*.wav;*.flac;*.m4a;*.ogg;*.aac\0"
    L"All Files (*.*)\0*.*\0";

inline constexpr wchar_t kMusicFolderTitle[] = L"Select Music Folder for Sonabel";

// OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT.
inline constexpr DWORD kAudioFileDialogFlags = 0x81200;
// BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE.
inline constexpr UINT kMusicFolderDialogFlags = 0x41;

// The open-file request: owner, filter, `selection` of `selectionLength`
// characters, the flags; everything else zero.
OPENFILENAMEW makeAudioFileRequest(HWND owner, wchar_t* selection, DWORD selectionLength);

// The folder request: owner, title, flags; everything else zero.
BROWSEINFOW makeMusicFolderRequest(HWND owner);

// The full paths in an Explorer-style selection: one full path, or a folder
// followed by names, each string NUL-ended and the list ended by an empty
// one. Never reads past the end of `buffer`.
std::vector<std::filesystem::path> readFileSelection(std::wstring_view buffer);

// The system calls the two actions make; tests put fakes in their place.
struct OpenFileDialog {
    std::function<BOOL(OPENFILENAMEW&)> show = [](OPENFILENAMEW& request) { return GetOpenFileNameW(&request); };
};

struct FolderBrowser {
    std::function<PIDLIST_ABSOLUTE(BROWSEINFOW&)> show = [](BROWSEINFOW& request) {
        return SHBrowseForFolderW(&request);
    };
    // `path` holds kDialogBufferLength characters; unlike the older call,
    // this one fills them, so a folder deeper than MAX_PATH is not cut.
    std::function<BOOL(PCIDLIST_ABSOLUTE, wchar_t*)> pathOf = [](PCIDLIST_ABSOLUTE item, wchar_t* path) {
        return SHGetPathFromIDListEx(item, path, kDialogBufferLength, GPFIDL_DEFAULT);
    };
    std::function<void(void*)> release = [](void* item) { CoTaskMemFree(item); };
};

void pickAudioFilesWith(ScriptEvaluator& page, const OpenFileDialog& dialog);
void importMusicFolderWith(ScriptEvaluator& page, const FolderBrowser& browser);
