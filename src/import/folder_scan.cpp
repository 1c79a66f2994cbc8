#include "import/folder_scan.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "app/path_text.h"

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 8> kAudioExtensions = {
    ".mp3", ".wav", ".ogg", ".m4a", ".flac", ".aac", ".aiff", ".webm",
};

bool isDirectoryItself(const fs::directory_entry& entry) {
    std::error_code error;
    return fs::is_directory(entry.symlink_status(error)) && !error;
}

bool isAudioFile(const fs::directory_entry& entry) {
    std::error_code error;
    const bool regular = entry.is_regular_file(error);  // follows links to files
    if (error || !regular) return false;
    return isAudioFileName(entry.path().filename());
}

constexpr auto kWalkOptions = fs::directory_options::skip_permission_denied;

}  // namespace

bool isAudioFileName(const fs::path& fileName) {
    std::string extension;
    try {
        extension = pathToUtf8(fileName.extension());
    } catch (const fs::filesystem_error&) {
        return false;
    }
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (std::find(kAudioExtensions.begin(), kAudioExtensions.end(), extension) == kAudioExtensions.end()) return false;
    // A name with no UTF-8 form (Windows: an unpaired surrogate) could never
    // become a track; leaving it out here keeps its siblings safe.
    try {
        pathToUtf8(fileName);
        return true;
    } catch (const fs::filesystem_error&) {
        return false;
    }
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
            if (isDirectoryItself(*listing)) {
                subfolder = listing->path();
            } else if (isAudioFile(*listing)) {
                found.push_back(listing->path());
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
