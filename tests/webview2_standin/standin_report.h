#pragma once
// One line of JSON per call the library makes, e.g.
// {"call":"Navigate","uri":"file:///C:/web/index.html"}.
#include <string>
#include <string_view>

namespace standin {

std::string utf8(std::wstring_view text);

class Report {
public:
    explicit Report(std::string_view call);
    Report& text(std::string_view key, std::wstring_view value);
    Report& text(std::string_view key, std::string_view value);
    Report& number(std::string_view key, long long value);
    // Writes the line to the test; nothing happens without a channel.
    void send();

private:
    void key(std::string_view name);
    std::string line_;
};

}  // namespace standin
