#include "import/folder_scan.h"

#include <array>
#include <string>
#include <string_view>

#include "app/path_text.h"
#include "import/file_name.h"
#include "import/folder_listing.h"

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 8> kAudioExtensions = {
    ".mp3", ".wav", ".ogg", ".m4a", ".flac", ".aac", ".aiff", ".webm",
};

// Compared on the native text: only ASCII letters are lowered, so a non-ASCII
// unit never matches and nothing needs converting.
bool equalsLoweringAscii(NativeView extension, std::string_view accepted) {
    if (extension.size() != accepted.size()) return false;
    for (std::size_t i = 0; i < accepted.size(); ++i) {
        NativeChar c = extension[i];
        if (c >= NativeChar('A') && c <= NativeChar('Z')) c = static_cast<NativeChar>(c - 'A' + 'a');
        if (c != static_cast<NativeChar>(accepted[i])) return false;
    }
    return true;
}

bool isAudioFileNameText(NativeView fileName) {
    const NativeView extension = extensionOf(fileName);
    if (extension.empty()) return false;
    for (const auto accepted : kAudioExtensions) {
        // A name with no UTF-8 form (Windows: an unpaired surrogate) could
        // never become a track; leaving it out here keeps its siblings safe.
        if (equalsLoweringAscii(extension, accepted)) return hasUtf8Form(fileName);
    }
    return false;
}

// A link counts when it leads to a regular file; only links with an audio
// name cost a status query.
bool isAudioFile(const FolderEntry& entry) {
    if (entry.kind != FolderEntryKind::File && entry.kind != FolderEntryKind::Link) return false;
    if (!isAudioFileNameText(fileNameOf(entry.path.native()))) return false;
    if (entry.kind == FolderEntryKind::File) return true;
    std::error_code error;
    return fs::is_regular_file(fs::status(entry.path, error)) && !error;
}

}  // namespace

bool isAudioFileName(const fs::path& fileName) {
    return isAudioFileNameText(fileNameOf(fileName.native()));
}

std::vector<fs::path> scanMusicFolder(const fs::path& root) {
    std::vector<fs::path> found;
    // Whatever goes wrong, what was found so far is still worth delivering.
    try {
        FolderListing rootListing(root);
        if (!rootListing.isOpen()) return found;

        // One open listing per level: depth is bounded by the tree, not the stack.
        std::vector<FolderListing> listings;
        listings.push_back(std::move(rootListing));
        FolderEntry entry;
        while (!listings.empty()) {
            if (!listings.back().next(entry)) {
                listings.pop_back();
                continue;
            }
            if (entry.kind == FolderEntryKind::Folder) {
                // Entered right after its own entry: depth-first pre-order. A
                // folder that cannot be opened is skipped.
                FolderListing sublisting(entry.path);
                if (sublisting.isOpen()) listings.push_back(std::move(sublisting));
            } else if (isAudioFile(entry)) {
                found.push_back(entry.path);
            }
        }
    } catch (...) {
    }
    return found;
}
