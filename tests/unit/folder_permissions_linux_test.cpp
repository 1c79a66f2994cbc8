// A subfolder the user may not open is skipped. Root opens everything, so the
// walk runs in a child process that has dropped to an unprivileged user.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "import/folder_scan.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

// The file names the walk finds, one per line, as seen by an unprivileged user.
std::vector<std::string> scanAsUnprivilegedUser(const fs::path& root) {
    int fds[2];
    if (pipe(fds) != 0) return {"pipe failed"};
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(3);
        std::string out;
        for (const auto& path : scanMusicFolder(root)) out += path.filename().string() + "\n";
        const bool written = write(fds[1], out.data(), out.size()) == static_cast<ssize_t>(out.size());
        _exit(written ? 0 : 4);
    }
    close(fds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {"child failed"};

    std::vector<std::string> names;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        names.push_back(text.substr(start, end - start));
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(FolderScanPermissions, AnUnreadableSubfolderIsSkippedAndTheRestDelivered) {
    TempFolder tree;
    tree.touch("a.mp3");
    tree.touch("Locked/hidden.mp3");
    tree.touch("Open/b.flac");
    tree.touch("Open/Inner/c.ogg");
    tree.touch("Zed/d.wav");
    fs::permissions(tree.path() / "Locked", fs::perms::none);

    EXPECT_EQ(scanAsUnprivilegedUser(tree.path()), (std::vector<std::string>{"a.mp3", "b.flac", "c.ogg", "d.wav"}));
    fs::permissions(tree.path() / "Locked", fs::perms::owner_all);
}

TEST(FolderScanPermissions, AnUnreadableChosenFolderYieldsNothing) {
    TempFolder tree;
    tree.touch("Locked/a.mp3");
    fs::permissions(tree.path() / "Locked", fs::perms::none);
    EXPECT_EQ(scanAsUnprivilegedUser(tree.path() / "Locked"), std::vector<std::string>{});
    fs::permissions(tree.path() / "Locked", fs::perms::owner_all);
}
