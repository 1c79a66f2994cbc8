#include "app/start_page.h"

#include <gtest/gtest.h>

#include "app/path_text.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kExpectedFallback =
    "data:text/html,<html><body style='background:%230c0e14;color:%23fff;font-family:sans-serif;"
    "padding:40px;text-align:center;'><h2>Sonabel Assets Not Found</h2><p>Please place the "
    "<b>web/</b> folder in the same directory as Sonabel.exe.</p></body></html>";

class StartPageSearch : public ::testing::Test {
protected:
    TempFolder root;
    fs::path bin = root.path() / "build";

    void SetUp() override { fs::create_directories(bin); }
    std::string urlOf(const fs::path& file) { return pathToFileUrl(fs::canonical(file)); }
    std::string locate() { return locateStartPageIn(bin, "Sonabel.exe"); }
};

}  // namespace

TEST(FallbackStartUrl, IsTheNoticePageWithOnlyItsHashesEncoded) {
    EXPECT_EQ(fallbackStartUrl("Sonabel.exe"), kExpectedFallback);
}

TEST_F(StartPageSearch, TakesTheFirstCandidateThatExists) {
    EXPECT_EQ(locate(), kExpectedFallback);

    const fs::path besideParent = root.touch("src/web/index.html");
    EXPECT_EQ(locate(), urlOf(besideParent));
    EXPECT_EQ(locate().find(".."), std::string::npos);

    const fs::path below = root.touch("build/src/web/index.html");
    EXPECT_EQ(locate(), urlOf(below));

    const fs::path beside = root.touch("build/web/index.html");
    EXPECT_EQ(locate(), urlOf(beside));
}

TEST_F(StartPageSearch, AFolderNamedIndexHtmlCounts) {
    fs::create_directories(bin / "web" / "index.html");
    EXPECT_EQ(locate(), urlOf(bin / "web" / "index.html"));
}

TEST_F(StartPageSearch, SpacesAndLettersStayWhileHashesAreEncoded) {
    bin = root.path() / fs::path(u8"Mes Fichiers #1 \u00e9t\u00e9");
    const fs::path page = root.touch(bin.filename() / "web" / "index.html");
    const std::string url = locate();
    EXPECT_EQ(url, urlOf(page));
    EXPECT_NE(url.find("/Mes Fichiers %231 \xC3\xA9t\xC3\xA9/web/index.html"), std::string::npos) << url;
}

#ifndef _WIN32
TEST_F(StartPageSearch, ACandidateThatCannotBeQueriedCountsAsAbsent) {
    // A name longer than the file system allows makes the status query fail.
    bin = root.path() / std::string(300, 'x');
    EXPECT_EQ(locate(), kExpectedFallback);
}
#endif
