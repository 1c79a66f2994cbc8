#include "standin_report.h"

#include <windows.h>

#include <cstdio>

#include "standin_channel.h"

namespace standin {

std::string utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

namespace {

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

}  // namespace

Report::Report(std::string_view call) : line_("{") {
    key("call");
    appendJsonString(line_, call);
}

void Report::key(std::string_view name) {
    if (line_.size() > 1) line_ += ',';
    appendJsonString(line_, name);
    line_ += ':';
}

Report& Report::text(std::string_view name, std::wstring_view value) { return text(name, utf8(value)); }

Report& Report::text(std::string_view name, std::string_view value) {
    key(name);
    appendJsonString(line_, value);
    return *this;
}

Report& Report::number(std::string_view name, long long value) {
    key(name);
    line_ += std::to_string(value);
    return *this;
}

void Report::send() { sendLine(line_ + "}\n"); }

}  // namespace standin
