#include "import/folder_scan.h"

#include <array>
#include <string>
#include <string_view>

#include "app/path_text.h"
#include "import/file_name.h"

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

enum class EntryKind { AudioFile, Folder, Other };

// Uses the type the listing already read where it can; only links cost a
// status query, and only when their name is an audio name.
EntryKind kindOf(const fs::directory_entry& entry) {
    std::error_code error;
    const NativeView fileName = fileNameOf(entry.path().native());
    if (entry.is_symlink(error)) {
        if (error || !isAudioFileNameText(fileName)) return EntryKind::Other;
        const bool regular = fs::is_regular_file(fs::status(entry.path(), error));
        return regular && !error ? EntryKind::AudioFile : EntryKind::Other;
    }
    if (error) return EntryKind::Other;
    if (entry.is_directory(error)) return error ? EntryKind::Other : EntryKind::Folder;
    if (error) return EntryKind::Other;
    const bool regular = entry.is_regular_file(error);
    return regular && !error && isAudioFileNameText(fileName) ? EntryKind::AudioFile : EntryKind::Other;
}

constexpr auto kWalkOptions = fs::directory_options::skip_permission_denied;

}  // namespace

bool isAudioFileName(const fs::path& fileName) {
    return isAudioFileNameText(fileNameOf(fileName.native()));
}

std::vector<fs::path> scanMusicFolder(const fs::path& root) {
    std::vector<fs::path> found;
    // Whatever goes wrong, what was found so far is still worth delivering.
    try {
        std::error_code error;
        fs::directory_iterator rootListing(root, kWalkOptions, error);
        if (error) return found;

        // One open listing per level: depth is bounded by the tree, not the stack.
        std::vector<fs::directory_iterator> listings;
        listings.push_back(std::move(rootListing));
        while (!listings.empty()) {
            fs::directory_iterator& listing = listings.back();
            if (listing == fs::directory_iterator()) {
                listings.pop_back();
                continue;
            }
            fs::path subfolder;
            switch (kindOf(*listing)) {
                case EntryKind::AudioFile: found.push_back(listing->path()); break;
                case EntryKind::Folder: subfolder = listing->path(); break;
                case EntryKind::Other: break;
            }

            listing.increment(error);
            if (error) listings.pop_back();  // this folder cannot be read further

            if (!subfolder.empty()) {
                // Entered right after its own entry: depth-first pre-order.
                fs::directory_iterator sublisting(subfolder, kWalkOptions, error);
                if (!error) listings.push_back(std::move(sublisting));
            }
        }
    } catch (...) {
    }
    return found;
}
