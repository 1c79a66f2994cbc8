// The folder walk as the Windows program runs it, timed under wine: 20,000
// files in 200 folders, made once under the temporary folder. Prints the
// median of seven walks. No benchmark library: it is cross-compiled.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "import/folder_scan.h"

namespace fs = std::filesystem;

int main() {
    const char* const extensions[] = {".mp3", ".flac", ".ogg", ".m4a", ".jpg", ".txt", ".WAV", ".mp3.bak"};
    const fs::path tree = fs::temp_directory_path() / "sonabel-wine-bench-tree-20k";
    if (!fs::exists(tree / ".complete")) {
        fs::remove_all(tree);
        for (int top = 0; top < 10; ++top) {
            for (int folder = 0; folder < 20; ++folder) {
                const fs::path dir = tree / ("Artist " + std::to_string(top)) / ("Album " + std::to_string(folder));
                fs::create_directories(dir);
                for (int file = 0; file < 100; ++file) std::ofstream(dir / ("Track " + std::to_string(file) + extensions[file % 8]));
            }
        }
        std::ofstream(tree / ".complete");
    }
    std::vector<double> times;
    std::size_t found = 0;
    for (int run = 0; run < 7; ++run) {
        const auto start = std::chrono::steady_clock::now();
        found = scanMusicFolder(tree).size();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("walk under wine, 20,000 files in 200 folders (%zu audio): median %.1f ms (min %.1f, max %.1f)\n", found,
                times[3], times.front(), times.back());
}
