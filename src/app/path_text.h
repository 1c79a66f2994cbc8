#pragma once
// Path text for the page: paths stay native (UTF-16 on Windows, bytes on
// Linux) until a URL or a track record is made from them.

#include <filesystem>
#include <string>
#include <string_view>

// A piece of a path's native text: UTF-16 on Windows, bytes on Linux.
using NativePathView = std::basic_string_view<std::filesystem::path::value_type>;

// UTF-16 to UTF-8. An unpaired surrogate anywhere fails the whole conversion
// with a filesystem_error ("Cannot convert character sequence",
// errc::illegal_byte_sequence); there is no partial result.
std::string utf16ToUtf8(std::u16string_view text);

// Valid UTF-8 copied as is; each byte that is not part of a valid sequence
// becomes U+FFFD, so a Linux name that is not UTF-8 still gives readable text.
std::string bytesToDisplayUtf8(std::string_view bytes);

// The path's text in UTF-8: strict on Windows (throws as utf16ToUtf8), lenient
// on Linux (bytesToDisplayUtf8).
std::string pathToUtf8(const std::filesystem::path& path);

enum class UrlPathStyle {
    Windows,  // backslash is a separator and becomes "/"
    Posix,    // backslash is an ordinary name character and is escaped
};

// The path part of a file URL from a path's bytes. Escapes what a browser
// would otherwise misread: "%", "#", "?", control bytes, bytes outside valid
// UTF-8, and (Posix) the backslash. Spaces and non-ASCII text stay as they are.
std::string fileUrlPathText(std::string_view pathBytes, UrlPathStyle style);

// The same for a piece of native path text, returned or appended to `out`.
std::string nativeTextToUtf8(NativePathView text);
void appendNativeTextAsUtf8(std::string& out, NativePathView text);

// Whether nativeTextToUtf8 succeeds for `text`, without converting it.
bool hasUtf8Form(NativePathView text);

// "file:///C:/Music/a b.mp3" on Windows, "file:///home/u/a b.mp3" on Linux.
std::string pathToFileUrl(const std::filesystem::path& path);
void appendFileUrl(std::string& out, NativePathView pathText);
