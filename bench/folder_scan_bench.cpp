// The folder walk over 100,000 files in 1,000 folders, against `find -type f`
// over the same tree in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "import/folder_scan.h"

namespace fs = std::filesystem;

namespace {

const char* const kExtensions[] = {".mp3", ".flac", ".ogg", ".m4a", ".jpg", ".txt", ".WAV", ".mp3.bak"};

const fs::path& benchTree() {
    static const fs::path root = [] {
        const fs::path tree = fs::temp_directory_path() / "sonabel-bench-tree-100k";
        if (fs::exists(tree / ".complete")) return tree;
        fs::remove_all(tree);
        for (int top = 0; top < 10; ++top) {
            for (int folder = 0; folder < 100; ++folder) {
                const fs::path dir = tree / ("Artist " + std::to_string(top)) / ("Album " + std::to_string(folder));
                fs::create_directories(dir);
                for (int file = 0; file < 100; ++file) {
                    std::ofstream(dir / ("Track " + std::to_string(file) + kExtensions[file % 8]));
                }
            }
        }
        std::ofstream(tree / ".complete");
        return tree;
    }();
    return root;
}

void BM_ScanMusicFolder(benchmark::State& state) {
    std::size_t found = 0;
    for (auto _ : state) found = scanMusicFolder(benchTree()).size();
    state.counters["audio_files"] = static_cast<double>(found);
}
BENCHMARK(BM_ScanMusicFolder)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_FindTypeF(benchmark::State& state) {
    const std::string command = "find '" + benchTree().string() + "' -type f > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("find failed");
    }
}
BENCHMARK(BM_FindTypeF)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Prints the walk's time over find's once both have run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            // With repetitions, compare medians rather than single runs.
            if (run.aggregate_name.empty() || run.aggregate_name == "median") {
                times_[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (times_.count("BM_ScanMusicFolder") && times_.count("BM_FindTypeF")) {
            std::printf("walk / find ratio: %.2f\n", times_["BM_ScanMusicFolder"] / times_["BM_FindTypeF"]);
        }
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
