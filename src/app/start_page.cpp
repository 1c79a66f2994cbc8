#include "app/start_page.h"

#include <array>
#include <system_error>

#include "app/path_text.h"

namespace fs = std::filesystem;

std::string fallbackStartUrl(std::string_view executableName) {
    std::string page =
        "<html><body style='background:#0c0e14;color:#fff;font-family:sans-serif;padding:40px;"
        "text-align:center;'><h2>Sonabel Assets Not Found</h2><p>Please place the <b>web/</b> "
        "folder in the same directory as ";
    page += executableName;
    page += ".</p></body></html>";

    // A raw "#" would end the data URL's content at the colour values.
    std::string url = "data:text/html,";
    for (char c : page) {
        if (c == '#') {
            url += "%23";
        } else {
            url += c;
        }
    }
    return url;
}

namespace {

// The candidate's URL, or an empty string when it is absent or anything about
// it cannot be read: such a candidate is simply not the start page.
std::string startPageUrlIfPresent(const fs::path& candidate) {
    try {
        if (!fs::exists(fs::status(candidate))) return {};
        return pathToFileUrl(fs::canonical(candidate));
    } catch (const fs::filesystem_error&) {
        return {};
    }
}

}  // namespace

std::string locateStartPageIn(const fs::path& executableFolder, std::string_view executableName) {
    const std::array<fs::path, 3> candidates = {
        executableFolder / "web" / "index.html",
        executableFolder / "src" / "web" / "index.html",
        executableFolder / ".." / "src" / "web" / "index.html",
    };
    for (const auto& candidate : candidates) {
        if (std::string url = startPageUrlIfPresent(candidate); !url.empty()) return url;
    }
    return fallbackStartUrl(executableName);
}
