#pragma once
// What the fuzz targets share: decoding the texts the program writes by the
// rules of their readers (JavaScript, URLs), independently of how they are
// written, and a failure that libFuzzer reports as a crash with the input.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

inline void fuzzCheck(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "oracle failed: %s\n", what);
    std::abort();
}

inline int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

inline void appendCodePointAsUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The value of the body of a single-quoted JavaScript string literal, or
// nothing when a JavaScript parser would reject it (an unescaped quote or
// line break, a bad escape). Surrogate escapes are not expected here.
inline std::optional<std::string> decodeSingleQuotedLiteral(std::string_view body) {
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\'' || c == '\n' || c == '\r') return std::nullopt;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == body.size()) return std::nullopt;
        const char e = body[i];
        switch (e) {
        case 'b': out += '\b'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'v': out += '\v'; break;
        case 'f': out += '\f'; break;
        case 'r': out += '\r'; break;
        case '\n': break;  // line continuation
        case 'x': {
            if (i + 2 >= body.size()) return std::nullopt;
            const int high = hexValue(body[i + 1]), low = hexValue(body[i + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            appendCodePointAsUtf8(out, static_cast<unsigned>(high * 16 + low));
            i += 2;
            break;
        }
        case 'u': {
            if (i + 4 >= body.size()) return std::nullopt;
            unsigned cp = 0;
            for (int k = 1; k <= 4; ++k) {
                const int digit = hexValue(body[i + k]);
                if (digit < 0) return std::nullopt;
                cp = cp * 16 + static_cast<unsigned>(digit);
            }
            if (cp >= 0xD800 && cp < 0xE000) return std::nullopt;
            appendCodePointAsUtf8(out, cp);
            i += 4;
            break;
        }
        default:
            // \0 not followed by a digit is NUL; other digits are octal
            // escapes, which strict code rejects.
            if (e == '0' && (i + 1 == body.size() || body[i + 1] < '0' || body[i + 1] > '9')) {
                out += '\0';
            } else if (e >= '0' && e <= '9') {
                return std::nullopt;
            } else {
                out += e;  // \' \" \\ and any other character stand for themselves
            }
        }
    }
    return out;
}

// A URL's text with every %XX turned back into its byte; nothing when a "%"
// is not followed by two hex digits.
inline std::optional<std::string> percentDecode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

// What a browser must not meet raw in a file URL's path.
inline bool isSafeInFileUrl(std::string_view url) {
    for (unsigned char c : url) {
        if (c < 0x20 || c == 0x7F || c == '#' || c == '?' || c == '\\') return false;
    }
    return true;
}
