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

}  // namespace

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3 / 2 + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 == text.size()) throwConversionError();
            const char16_t next = text[i + 1];
            if (next < 0xDC00 || next > 0xDFFF) throwConversionError();
            appendUtf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(next) - 0xDC00));
            ++i;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            throwConversionError();
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

std::string bytesToDisplayUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = validUtf8SequenceLength(bytes, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD
            ++i;
        } else {
            out.append(bytes, i, length);
            i += length;
        }
    }
    return out;
}

namespace {

// Templates, so that only the branch for this platform's path text is compiled.
template <typename NativeText>
std::string nativeToUtf8(const NativeText& native) {
    if constexpr (sizeof(typename NativeText::value_type) == sizeof(char16_t)) {
        return utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(native.data()), native.size()));
    } else {
        return bytesToDisplayUtf8(native);
    }
}

template <typename NativeText>
std::string nativeToFileUrl(const NativeText& native) {
    if constexpr (sizeof(typename NativeText::value_type) == sizeof(char16_t)) {
        return "file:///" + fileUrlPathText(nativeToUtf8(native), UrlPathStyle::Windows);
    } else {
        const bool absolute = !native.empty() && native.front() == '/';
        return (absolute ? "file://" : "file:///") + fileUrlPathText(native, UrlPathStyle::Posix);
    }
}

}  // namespace

std::string pathToUtf8(const std::filesystem::path& path) {
    return nativeToUtf8(path.native());
}

std::string fileUrlPathText(std::string_view pathBytes, UrlPathStyle style) {
    std::string out;
    out.reserve(pathBytes.size() + 16);
    for (std::size_t i = 0; i < pathBytes.size();) {
        const auto byte = static_cast<unsigned char>(pathBytes[i]);
        if (byte >= 0x80) {
            const std::size_t length = validUtf8SequenceLength(pathBytes, i);
            if (length == 0) {
                appendPercentEncoded(out, byte);
                ++i;
            } else {
                out.append(pathBytes, i, length);
                i += length;
            }
            continue;
        }
        if (byte == '\\') {
            if (style == UrlPathStyle::Windows) {
                out += '/';
            } else {
                appendPercentEncoded(out, byte);
            }
        } else if (byte == '%' || byte == '#' || byte == '?' || byte < 0x20 || byte == 0x7F) {
            appendPercentEncoded(out, byte);
        } else {
            out += static_cast<char>(byte);
        }
        ++i;
    }
    return out;
}

std::string pathToFileUrl(const std::filesystem::path& path) {
    return nativeToFileUrl(path.native());
}
