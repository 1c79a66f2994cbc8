// Arbitrary folder names around the player: the start URL must be the file
// URL of the canonical index.html, safe for a browser, decoding back to it.

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/start_page.h"
#include "fuzz_oracle.h"

namespace fs = std::filesystem;

namespace {

const fs::path& scratchFolder() {
    static const fs::path folder = [] {
        fs::path made = fs::temp_directory_path() / ("sonabel-fuzz-" + std::to_string(getpid()));
        fs::create_directories(made);
        return made;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One name per input: what a Linux folder name can be.
    std::string name(reinterpret_cast<const char*>(data), size);
    std::erase(name, '/');
    std::erase(name, '\0');
    if (name.empty() || name == "." || name == ".." || name.size() > 255) return 0;

    const fs::path executableFolder = scratchFolder() / name / "bin";
    fs::create_directories(executableFolder.parent_path() / "src" / "web");
    fs::create_directories(executableFolder);
    std::ofstream(executableFolder.parent_path() / "src" / "web" / "index.html") << "<html></html>";

    // Found as ../src/web/index.html, so the ".." must be gone.
    const std::string url = locateStartPageIn(executableFolder, "sonabel");
    const std::string expected = fs::canonical(executableFolder.parent_path() / "src" / "web" / "index.html").native();
    fuzzCheck(url.rfind("file://", 0) == 0, "a file URL, not the notice page");
    fuzzCheck(isSafeInFileUrl(url), "nothing a browser misreads");
    const auto decoded = percentDecode(std::string_view(url).substr(7));
    fuzzCheck(decoded && *decoded == expected, "decodes to the canonical index.html");

    fs::remove_all(scratchFolder() / name);
    return 0;
}
