// Names that only Linux allows, through the real batch script in node.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "import/track_batch.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 0x0F];
    }
    return out;
}

struct Expected {
    std::string name;
    std::string title;
    std::string artist;
    std::string urlName;  // the name as it appears at the end of the url
    std::string format;
};

class ScriptToFile : public ScriptEvaluator {
public:
    std::string script;
    void evaluateScript(const std::string& text) override { script = text; }
};

std::vector<std::string> runInNode(const std::string& script, const TempFolder& scratch) {
    const fs::path file = scratch.path() / "batch.js";
    std::ofstream(file, std::ios::binary) << script;
    const std::string command = "node '" SONABEL_BATCH_EVALUATOR "' '" + file.string() + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::vector<std::string> lines;
    char buffer[65536];
    while (pipe && fgets(buffer, sizeof buffer, pipe.get())) {
        std::string line(buffer);
        if (!line.empty() && line.back() == '\n') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

TEST(BatchScriptInNode, AwkwardNamesArriveExactly) {
    const std::string kReplacement = "\xEF\xBF\xBD";
    const std::vector<Expected> cases = {
        {"Say \"Hi\" - Don't.mp3", "Don't", "Say \"Hi\"", "Say \"Hi\" - Don't.mp3", "MP3"},
        {"back\\slash.flac", "back\\slash", "Local Music", "back%5Cslash.flac", "FLAC"},
        {"Slow #1 100% why?.wav", "Slow #1 100% why?", "Local Music", "Slow %231 100%25 why%3F.wav", "WAV"},
        {"  spaced  out .ogg", "  spaced  out ", "Local Music", "  spaced  out .ogg", "OGG"},
        {"Bj\xC3\xB6rk - J\xC3\xB3ga.m4a", "J\xC3\xB3ga", "Bj\xC3\xB6rk", "Bj\xC3\xB6rk - J\xC3\xB3ga.m4a", "M4A"},
        {"\xF0\x9F\x8E\xB5 \xE2\x99\xAB.aac", "\xF0\x9F\x8E\xB5 \xE2\x99\xAB", "Local Music", "\xF0\x9F\x8E\xB5 \xE2\x99\xAB.aac", "AAC"},
        {"line\nbreak.mp3", "line\nbreak", "Local Music", "line%0Abreak.mp3", "MP3"},
        {"tab\there.mp3", "tab\there", "Local Music", "tab%09here.mp3", "MP3"},
        {"bell\x07.mp3", "bell\x07", "Local Music", "bell%07.mp3", "MP3"},
        {"latin1 caf\xE9.mp3", "latin1 caf" + kReplacement, "Local Music", "latin1 caf%E9.mp3", "MP3"},
        {"odd.m\"p\\3", "odd", "Local Music", "odd.m\"p%5C3", "M\"P\\3"},
        {"<img src=x onerror=alert(1)>.mp3", "<img src=x onerror=alert(1)>", "Local Music",
         "<img src=x onerror=alert(1)>.mp3", "MP3"},
    };

    TempFolder scratch;
    std::vector<fs::path> paths;
    for (const auto& c : cases) paths.push_back(fs::path("/music/") / c.name);
    ScriptToFile page;
    deliverTracks(page, paths);

    const auto lines = runInNode(page.script, scratch);
    ASSERT_EQ(lines.size(), cases.size()) << (lines.empty() ? "" : lines[0]);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        const std::string expected = hex(c.title) + " " + hex(c.artist) + " " + hex("file:///music/" + c.urlName) + " " + hex(c.format);
        EXPECT_EQ(lines[i], expected) << "name: " << c.name;
    }
}

TEST(BatchScriptInNode, TheOnePassScriptEqualsTheBatchEscapedAgain) {
    const std::vector<fs::path> paths = {"/m/Say \"Hi\" - Don't.mp3", "/m/a\\b\n\x01.ogg", "/m/caf\xE9 #1.mp3",
                                         "/m/odd.m\"p'3"};
    EXPECT_EQ(buildBatchScript(paths), buildBatchScript(buildTrackBatch(paths)));
}
