#include "app/path_text.h"

#include <gtest/gtest.h>

#include <system_error>

namespace {

void expectConversionFailure(std::u16string_view text) {
    try {
        const std::string converted = utf16ToUtf8(text);
        ADD_FAILURE() << "converted to " << converted.size() << " bytes instead of failing";
    } catch (const std::filesystem::filesystem_error& error) {
        EXPECT_NE(std::string(error.what()).find("Cannot convert character sequence"), std::string::npos);
        EXPECT_EQ(error.code(), std::errc::illegal_byte_sequence);
    }
}

}  // namespace

TEST(Utf16ToUtf8, EncodesEachUnitInOneToThreeBytesAndPairsInFour) {
    EXPECT_EQ(utf16ToUtf8(u""), "");
    EXPECT_EQ(utf16ToUtf8(u"a b.mp3"), "a b.mp3");
    EXPECT_EQ(utf16ToUtf8(u"Caf\u00e9"), "Caf\xC3\xA9");
    EXPECT_EQ(utf16ToUtf8(u"\u266b\uffff"), "\xE2\x99\xAB\xEF\xBF\xBF");
    EXPECT_EQ(utf16ToUtf8(u"\U0001F3B5"), "\xF0\x9F\x8E\xB5");  // a surrogate pair
    EXPECT_EQ(utf16ToUtf8(u"\U0010FFFF"), "\xF4\x8F\xBF\xBF");
}

TEST(Utf16ToUtf8, AnyUnpairedSurrogateFailsTheWholeText) {
    expectConversionFailure(std::u16string(1, char16_t(0xD800)));
    expectConversionFailure(u"song" + std::u16string(1, char16_t(0xD83C)));          // high at the end
    expectConversionFailure(u"a" + std::u16string(1, char16_t(0xDC00)) + u"b");      // lone low
    expectConversionFailure(std::u16string{char16_t(0xD800), u'x'});                 // high, no low after it
    expectConversionFailure(std::u16string{char16_t(0xDC00), char16_t(0xD800)});     // pair in the wrong order
}

TEST(BytesToDisplayUtf8, KeepsValidTextAndMarksEachBadByte) {
    EXPECT_EQ(bytesToDisplayUtf8("Caf\xC3\xA9 \xF0\x9F\x8E\xB5"), "Caf\xC3\xA9 \xF0\x9F\x8E\xB5");
    EXPECT_EQ(bytesToDisplayUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(bytesToDisplayUtf8("\xC3"), "\xEF\xBF\xBD");                       // cut short
    EXPECT_EQ(bytesToDisplayUtf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");      // overlong slash
    EXPECT_EQ(bytesToDisplayUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // encoded surrogate
}

TEST(FileUrlPathText, EscapesOnlyWhatABrowserWouldMisread) {
    struct Case {
        std::string_view bytes;
        UrlPathStyle style;
        std::string_view expected;
    };
    const Case cases[] = {
        {"C:\\Music\\a b.mp3", UrlPathStyle::Windows, "C:/Music/a b.mp3"},
        {"C:\\Slow #1 100% ?.wav", UrlPathStyle::Windows, "C:/Slow %231 100%25 %3F.wav"},
        {"C:\\\xC3\xA9t\xC3\xA9\\\xF0\x9F\x8E\xB5.mp3", UrlPathStyle::Windows, "C:/\xC3\xA9t\xC3\xA9/\xF0\x9F\x8E\xB5.mp3"},
        {"/m/a\\b.mp3", UrlPathStyle::Posix, "/m/a%5Cb.mp3"},
        {"/m/line\nbreak\ttab\x01\x7F.mp3", UrlPathStyle::Posix, "/m/line%0Abreak%09tab%01%7F.mp3"},
        {"/m/bad\xFF\xC3.mp3", UrlPathStyle::Posix, "/m/bad%FF%C3.mp3"},
        {"/m/Don't \"q\" & (x).mp3", UrlPathStyle::Posix, "/m/Don't \"q\" & (x).mp3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fileUrlPathText(c.bytes, c.style), c.expected) << c.bytes;
    }
}
