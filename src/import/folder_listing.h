#pragma once
#include <filesystem>
#include <memory>

// What the walk needs to know of an entry, taken from the listing itself
// where the platform's listing carries it.
enum class FolderEntryKind {
    File,    // a regular file
    Folder,  // a folder to walk into
    Link,    // a link that is not walked into; it counts if it leads to a file
    Other,   // anything else: devices, sockets, links and junctions to folders on Windows
};

struct FolderEntry {
    std::filesystem::path path;
    FolderEntryKind kind = FolderEntryKind::Other;
};

// One folder's entries, one at a time, in the order the file system lists
// them, without "." and "..". Owns the open listing.
class FolderListing {
public:
    // Not open when the folder cannot be listed (missing, denied, not a folder).
    explicit FolderListing(const std::filesystem::path& folder);
    ~FolderListing();
    FolderListing(FolderListing&&) noexcept;
    FolderListing& operator=(FolderListing&&) noexcept;

    bool isOpen() const { return state_ != nullptr; }
    // The next entry; false at the end, or when the folder cannot be read further.
    bool next(FolderEntry& entry);

private:
    struct State;
    std::unique_ptr<State> state_;
};
