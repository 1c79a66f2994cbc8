#include "import/folder_listing.h"

#include <windows.h>

#include "import/long_path_win32.h"

namespace fs = std::filesystem;

namespace {

// The standard library here neither reports links nor keeps the listing's
// attributes, so the walk reads them from the find data itself: one query
// per folder instead of up to three per entry.
struct FindCloser {
    void operator()(HANDLE find) const { FindClose(find); }
};
using FindHandle = std::unique_ptr<void, FindCloser>;

constexpr DWORD kSymbolicLinkTag = 0xA000000C;  // IO_REPARSE_TAG_SYMLINK
constexpr DWORD kJunctionTag = 0xA0000003;      // IO_REPARSE_TAG_MOUNT_POINT
// No valid tag is zero; wine reports its Unix links to folders that way.
constexpr DWORD kUnnamedTag = 0;

bool isLinkTag(DWORD tag) { return tag == kSymbolicLinkTag || tag == kJunctionTag || tag == kUnnamedTag; }

bool isDotOrDotDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

FolderEntryKind kindOf(const WIN32_FIND_DATAW& found) {
    const DWORD attributes = found.dwFileAttributes;
    const bool reparsePoint = attributes & FILE_ATTRIBUTE_REPARSE_POINT;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        // Links and junctions to folders are not entered, so a cycle of them
        // cannot trap the walk. Other folder reparse points, such as the
        // placeholders of cloud files, are folders like any other.
        return reparsePoint && isLinkTag(found.dwReserved0) ? FolderEntryKind::Other : FolderEntryKind::Folder;
    }
    return reparsePoint && isLinkTag(found.dwReserved0) ? FolderEntryKind::Link : FolderEntryKind::File;
}

}  // namespace

struct FolderListing::State {
    fs::path folder;
    FindHandle find;
    WIN32_FIND_DATAW pending{};  // read ahead: the entry next() hands out
    bool hasPending = false;
};

FolderListing::FolderListing(const fs::path& folder) {
    // The long form, so folders deeper than MAX_PATH are read too; the
    // entries keep the folder's path as it was given.
    std::wstring pattern = extendedLengthPath(folder.native());
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';
    auto state = std::make_unique<State>();
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &state->pending, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return;
    state->folder = folder;
    state->find.reset(find);
    state->hasPending = true;
    state_ = std::move(state);
}

FolderListing::~FolderListing() = default;
FolderListing::FolderListing(FolderListing&&) noexcept = default;
FolderListing& FolderListing::operator=(FolderListing&&) noexcept = default;

bool FolderListing::next(FolderEntry& entry) {
    while (state_ && state_->hasPending) {
        const WIN32_FIND_DATAW current = state_->pending;
        state_->hasPending = FindNextFileW(state_->find.get(), &state_->pending) != 0;
        if (isDotOrDotDot(current.cFileName)) continue;
        entry.path = state_->folder / current.cFileName;
        entry.kind = kindOf(current);
        return true;
    }
    return false;
}
