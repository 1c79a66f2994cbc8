// One TrackBatch and its script for 100,000 tracks, as a large folder import makes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "import/track_batch.h"

namespace fs = std::filesystem;

static std::vector<fs::path> makeLibraryPaths(std::size_t count) {
    std::vector<fs::path> paths;
    paths.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        paths.emplace_back("/home/listener/Music/Artist " + std::to_string(i % 997) + "/Album " + std::to_string(i % 31) +
                           "/Artist " + std::to_string(i % 997) + " - Track " + std::to_string(i) + " (Live #2).flac");
    }
    return paths;
}

static void BM_TrackBatchScript(benchmark::State& state) {
    const auto paths = makeLibraryPaths(static_cast<std::size_t>(state.range(0)));
    std::size_t scriptBytes = 0;
    for (auto _ : state) {
        const std::string script = buildBatchScript(paths);  // what deliverTracks hands the page
        scriptBytes = script.size();
        benchmark::DoNotOptimize(script.data());
    }
    state.counters["tracks"] = static_cast<double>(paths.size());
    state.counters["script_MB"] = static_cast<double>(scriptBytes) / 1e6;
    state.counters["per_track"] =
        benchmark::Counter(static_cast<double>(paths.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TrackBatchScript)->Arg(100000)->Unit(benchmark::kMillisecond);
