#include "import/folder_listing.h"

namespace fs = std::filesystem;

// The standard listing reads each entry's type with its name here, so these
// tests cost no status query.
struct FolderListing::State {
    fs::directory_iterator position;
};

FolderListing::FolderListing(const fs::path& folder) {
    std::error_code error;
    fs::directory_iterator position(folder, fs::directory_options::skip_permission_denied, error);
    if (!error) state_ = std::make_unique<State>(State{std::move(position)});
}

FolderListing::~FolderListing() = default;
FolderListing::FolderListing(FolderListing&&) noexcept = default;
FolderListing& FolderListing::operator=(FolderListing&&) noexcept = default;

bool FolderListing::next(FolderEntry& entry) {
    if (!state_ || state_->position == fs::directory_iterator()) return false;
    const fs::directory_entry& current = *state_->position;
    std::error_code error;
    entry.path = current.path();
    if (current.is_symlink(error)) {
        entry.kind = FolderEntryKind::Link;
    } else if (!error && current.is_directory(error)) {
        entry.kind = FolderEntryKind::Folder;
    } else if (!error && current.is_regular_file(error)) {
        entry.kind = FolderEntryKind::File;
    } else {
        entry.kind = FolderEntryKind::Other;
    }
    state_->position.increment(error);
    // An entry already read still counts; the listing ends after it.
    if (error) state_->position = fs::directory_iterator();
    return true;
}
