#include "app/path_text.h"

#include <system_error>

namespace {

[[noreturn]] void throwConversionError() {
    throw std::filesystem::filesystem_error("Cannot convert character sequence",
                                            std::make_error_code(std::errc::illegal_byte_sequence));
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Length of the valid UTF-8 sequence starting at `pos`, or 0 if the byte there
// does not start one (overlong forms, surrogates and values past U+10FFFF
// are not valid).
std::size_t validUtf8SequenceLength(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) return 1;
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (pos + length > text.size()) return 0;
    if (byte(pos + 1) < low || byte(pos + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) return 0;
    }
    return length;
}

void appendPercentEncoded(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

void appendUtf16AsUtf8(std::string& out, std::u16string_view text) {
    const std::size_t originalSize = out.size();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            out.resize(originalSize);  // no partial result
            throwConversionError();
        } else {
            appendUtf8(out, unit);
        }
    }
}

void appendBytesAsDisplayUtf8(std::string& out, std::string_view bytes) {
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = validUtf8SequenceLength(bytes, i);
        if (length != 0) {
            i += length;
            continue;
        }
        out.append(bytes, runStart, i - runStart);
        out += "\xEF\xBF\xBD";  // U+FFFD
        runStart = ++i;
    }
    out.append(bytes, runStart, bytes.size() - runStart);
}

bool needsUrlEscape(unsigned char byte, UrlPathStyle style) {
    return byte == '%' || byte == '#' || byte == '?' || byte < 0x20 || byte == 0x7F ||
           (byte == '\\' && style == UrlPathStyle::Posix);
}

void appendFileUrlPathText(std::string& out, std::string_view pathBytes, UrlPathStyle style) {
    std::size_t runStart = 0;
    const auto flush = [&](std::size_t end) { out.append(pathBytes, runStart, end - runStart); };
    for (std::size_t i = 0; i < pathBytes.size();) {
        const auto byte = static_cast<unsigned char>(pathBytes[i]);
        if (byte >= 0x80) {
            const std::size_t length = validUtf8SequenceLength(pathBytes, i);
            if (length != 0) {
                i += length;
                continue;
            }
            flush(i);
            appendPercentEncoded(out, byte);
        } else if (byte == '\\' && style == UrlPathStyle::Windows) {
            flush(i);
            out += '/';
        } else if (needsUrlEscape(byte, style)) {
            flush(i);
            appendPercentEncoded(out, byte);
        } else {
            ++i;
            continue;
        }
        runStart = ++i;
    }
    flush(pathBytes.size());
}

// Templates, so that only the branch for this platform's path text is compiled.
template <typename NativeChar>
void appendNativeAsUtf8(std::string& out, std::basic_string_view<NativeChar> native) {
    if constexpr (sizeof(NativeChar) == sizeof(char16_t)) {
        appendUtf16AsUtf8(out, std::u16string_view(reinterpret_cast<const char16_t*>(native.data()), native.size()));
    } else {
        appendBytesAsDisplayUtf8(out, native);
    }
}

template <typename NativeChar>
void appendNativeAsFileUrl(std::string& out, std::basic_string_view<NativeChar> native) {
    if constexpr (sizeof(NativeChar) == sizeof(char16_t)) {
        std::string utf8;
        appendNativeAsUtf8(utf8, native);
        out += "file:///";
        appendFileUrlPathText(out, utf8, UrlPathStyle::Windows);
    } else {
        const bool absolute = !native.empty() && native.front() == '/';
        out += absolute ? "file://" : "file:///";
        appendFileUrlPathText(out, native, UrlPathStyle::Posix);
    }
}

template <typename NativeChar>
bool nativeHasUtf8Form(std::basic_string_view<NativeChar> text) {
    if constexpr (sizeof(NativeChar) == sizeof(char16_t)) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto unit = static_cast<char16_t>(text[i]);
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                if (i + 1 == text.size()) return false;
                const auto next = static_cast<char16_t>(text[i + 1]);
                if (next < 0xDC00 || next > 0xDFFF) return false;
                ++i;
            } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
                return false;
            }
        }
    }
    return true;  // Linux names always have one: bad bytes become U+FFFD
}

}  // namespace

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3 / 2 + 1);
    appendUtf16AsUtf8(out, text);
    return out;
}

std::string bytesToDisplayUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    appendBytesAsDisplayUtf8(out, bytes);
    return out;
}

bool hasUtf8Form(NativePathView text) {
    return nativeHasUtf8Form(text);
}

void appendNativeTextAsUtf8(std::string& out, NativePathView text) {
    appendNativeAsUtf8(out, text);
}

void appendFileUrl(std::string& out, NativePathView pathText) {
    appendNativeAsFileUrl(out, pathText);
}

std::string pathToUtf8(const std::filesystem::path& path) {
    std::string out;
    appendNativeAsUtf8(out, NativePathView(path.native()));
    return out;
}

std::string nativeTextToUtf8(NativePathView text) {
    std::string out;
    appendNativeAsUtf8(out, text);
    return out;
}

std::string fileUrlPathText(std::string_view pathBytes, UrlPathStyle style) {
    std::string out;
    out.reserve(pathBytes.size() + 16);
    appendFileUrlPathText(out, pathBytes, style);
    return out;
}

std::string pathToFileUrl(const std::filesystem::path& path) {
    std::string out;
    out.reserve(path.native().size() + 16);
    appendNativeAsFileUrl(out, NativePathView(path.native()));
    return out;
}
