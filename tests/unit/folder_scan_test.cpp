#include "import/folder_scan.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

// What a pre-order walk must yield: each folder's entries in listing order,
// a subfolder's files right where the subfolder is listed.
void listPreOrder(const fs::path& folder, std::vector<fs::path>& out) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_symlink()) {
            if (fs::is_regular_file(entry.path()) && isAudioFileName(entry.path().filename())) out.push_back(entry.path());
        } else if (entry.is_directory()) {
            listPreOrder(entry.path(), out);
        } else if (entry.is_regular_file() && isAudioFileName(entry.path().filename())) {
            out.push_back(entry.path());
        }
    }
}

std::vector<std::string> names(const std::vector<fs::path>& paths) {
    std::vector<std::string> result;
    for (const auto& p : paths) result.push_back(p.filename().string());
    return result;
}

}  // namespace

TEST(AudioFileName, AcceptsTheEightExtensionsInAnyAsciiCase) {
    for (const char* name : {"a.mp3", "a.MP3", "b.Flac", "c.wav", "d.ogg", "e.m4a", "f.aac", "g.AIFF", "h.webm",
                             "Live.at.Home.Ogg", "x.mp3.mp3"}) {
        EXPECT_TRUE(isAudioFileName(name)) << name;
    }
    for (const char* name : {".mp3", "song.mp3.bak", "a.opus", "b.aif", "c.mpeg", "song.mp3.txt", "mp3", "a.mp", "a.mp3 ",
                             "a.", ""}) {
        EXPECT_FALSE(isAudioFileName(name)) << name;
    }
}

TEST(FolderScan, WalksTheWholeTreeDepthFirstInListingOrder) {
    TempFolder tree;
    tree.touch("one.mp3");
    tree.touch("two.txt");
    tree.touch("Sub/three.FLAC");
    tree.touch("Sub/four.aiff");
    tree.touch("Sub/Deeper/five.webm");
    tree.touch("Sub/Deeper/.mp3");
    tree.touch("Sub/song.mp3.bak");
    tree.touch("Other/a.opus");
    tree.touch("Other/b.aif");
    tree.touch("Other/six.Mp3");
    fs::create_directories(tree.path() / "Empty" / "AlsoEmpty");

    const auto found = scanMusicFolder(tree.path());
    std::vector<fs::path> expected;
    listPreOrder(tree.path(), expected);
    EXPECT_EQ(found, expected);

    auto sorted = names(found);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"five.webm", "four.aiff", "one.mp3", "six.Mp3", "three.FLAC"}));
    for (const auto& path : found) EXPECT_EQ(path.parent_path().string().rfind(tree.path().string(), 0), 0u);
}

TEST(FolderScan, NothingComesFromAMissingOrEmptyFolder) {
    TempFolder tree;
    fs::create_directories(tree.path() / "a" / "b");
    tree.touch("a/notes.txt");
    EXPECT_TRUE(scanMusicFolder(tree.path()).empty());
    EXPECT_TRUE(scanMusicFolder(tree.path() / "does-not-exist").empty());
}

#ifndef _WIN32
TEST(FolderScan, LinksToFilesCountAndLinksToFoldersAreNotEntered) {
    TempFolder tree;
    const fs::path real = tree.touch("Albums/real.mp3");
    fs::create_symlink(real, tree.path() / "alias.mp3");
    fs::create_symlink(tree.path() / "missing.mp3", tree.path() / "dangling.mp3");
    fs::create_directory_symlink(tree.path(), tree.path() / "Albums" / "loop");  // a cycle

    auto found = names(scanMusicFolder(tree.path()));
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"alias.mp3", "real.mp3"}));
}
#endif
