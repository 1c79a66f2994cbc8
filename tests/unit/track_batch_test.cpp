#include "import/track_batch.h"

#include <gtest/gtest.h>

#include <vector>

namespace fs = std::filesystem;

namespace {

// A folder that gives the same URL on both platforms: C:\Music on Windows,
// /C:/Music on Linux (where "file://" + "/C:/..." is "file:///C:/...").
#ifdef _WIN32
const fs::path kMusic = L"C:\\Music";
#else
const fs::path kMusic = "/C:/Music";
#endif

fs::path music(const char* utf8Name) {
    return kMusic / fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8Name)));
}

class RecordingPage : public ScriptEvaluator {
public:
    std::vector<std::string> scripts;
    void evaluateScript(const std::string& script) override { scripts.push_back(script); }
};

}  // namespace

TEST(TrackRecord, SplitsArtistAndTitleAtTheFirstSpacedHyphen) {
    struct Case {
        const char* name;
        const char* title;
        const char* artist;
        const char* format;
    };
    const Case cases[] = {
        {"Night Owls - Slow River.mp3", "Slow River", "Night Owls", "MP3"},
        {"One - Two - Three.wav", "Two - Three", "One", "WAV"},
        {" - Song.mp3", "Song", "", "MP3"},
        {"Band - .mp3", "", "Band", "MP3"},
        {"A-B.mp3", "A-B", "Local Music", "MP3"},
        {"A -B.mp3", "A -B", "Local Music", "MP3"},
        {"Live.at.Home.Ogg", "Live.at.Home", "Local Music", "OGG"},
        {"README", "README", "Local Music", ""},
        {".mp3", ".mp3", "Local Music", ""},
        {"Caf\xC3\xA9 - \xC3\x89t\xC3\xA9.m4a", "\xC3\x89t\xC3\xA9", "Caf\xC3\xA9", "M4A"},
        {"song.fl\xC3\xA0" "c", "song", "Local Music", "FL\xC3\xA0" "C"},  // only ASCII is upper-cased
        {"Don't Stop.mp3", "Don't Stop", "Local Music", "MP3"},
    };
    for (const auto& c : cases) {
        const TrackRecord record = makeTrackRecord(music(c.name));
        EXPECT_EQ(record.title, c.title) << c.name;
        EXPECT_EQ(record.artist, c.artist) << c.name;
        EXPECT_EQ(record.format, c.format) << c.name;
    }
    EXPECT_EQ(makeTrackRecord(music("Don't Stop.mp3")).url, "file:///C:/Music/Don't Stop.mp3");
}

TEST(EscapeJsonString, EscapesWhatWouldBreakAJsonString) {
    EXPECT_EQ(escapeJsonString("plain 'single' /slash/ \xC3\xA9"), "plain 'single' /slash/ \xC3\xA9");
    EXPECT_EQ(escapeJsonString("a\"b\\c"), "a\\\"b\\\\c");
    EXPECT_EQ(escapeJsonString("\b\t\n\f\r"), "\\b\\t\\n\\f\\r");
    EXPECT_EQ(escapeJsonString(std::string("\x00\x01\x1f\x7f", 4)), "\\u0000\\u0001\\u001f\x7f");
}

TEST(TrackBatch, TheTwoTrackExampleComesOutByteForByte) {
    RecordingPage page;
    deliverTracks(page, {music("Night Owls - Slow River.flac"), music("intro.MP3")});
    ASSERT_EQ(page.scripts.size(), 1u);
    EXPECT_EQ(buildTrackBatch({music("Night Owls - Slow River.flac"), music("intro.MP3")}),
              R"([{"title":"Slow River","artist":"Night Owls","url":"file:///C:/Music/Night Owls - Slow River.flac","format":"FLAC"},)"
              R"({"title":"intro","artist":"Local Music","url":"file:///C:/Music/intro.MP3","format":"MP3"}])");
    EXPECT_EQ(page.scripts[0],
              R"(if (window.sonabel) { window.sonabel.addTracksBatch(JSON.parse('[{\"title\":\"Slow River\",\"artist\":\"Night Owls\",)"
              R"(\"url\":\"file:///C:/Music/Night Owls - Slow River.flac\",\"format\":\"FLAC\"},{\"title\":\"intro\",)"
              R"(\"artist\":\"Local Music\",\"url\":\"file:///C:/Music/intro.MP3\",\"format\":\"MP3\"}]')); })");
}

TEST(TrackBatch, SingleQuotesAreEscapedOnlyAtTheScriptLevel) {
    const std::string batch = buildTrackBatch({music("Don't Stop.mp3")});
    EXPECT_EQ(batch, R"([{"title":"Don't Stop","artist":"Local Music","url":"file:///C:/Music/Don't Stop.mp3","format":"MP3"}])");
    EXPECT_NE(buildBatchScript(batch).find(R"(Don\'t Stop)"), std::string::npos);
}

TEST(TrackBatch, NothingIsDeliveredForAnEmptyList) {
    RecordingPage page;
    deliverTracks(page, {});
    EXPECT_TRUE(page.scripts.empty());
    EXPECT_EQ(buildTrackBatch({music("one.mp3")}).find(",{"), std::string::npos);
}
