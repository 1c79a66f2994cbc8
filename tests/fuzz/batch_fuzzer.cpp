// Paths of arbitrary bytes through the batch script: the script's string
// literal, read as JavaScript reads it, must be exactly the TrackBatch; that
// must be strict JSON; and each record must follow from its path.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/path_text.h"
#include "fuzz_oracle.h"
#include "import/track_batch.h"

namespace {

constexpr std::string_view kPrefix = "if (window.sonabel) { window.sonabel.addTracksBatch(JSON.parse('";
constexpr std::string_view kSuffix = "')); }";

// The rules for one record, restated from the file name alone.
void checkRecord(const nlohmann::ordered_json& record, const std::string& path) {
    fuzzCheck(record.is_object() && record.size() == 4, "a record has four members");
    const char* keys[] = {"title", "artist", "url", "format"};
    int index = 0;
    for (const auto& [key, value] : record.items()) {
        fuzzCheck(key == keys[index++], "members in the order title, artist, url, format");
        fuzzCheck(value.is_string(), "every member is a string");
    }

    const std::string name = path.substr(path.rfind('/') + 1);
    const size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot != 0 && name != "..";
    const std::string stem = bytesToDisplayUtf8(hasExtension ? name.substr(0, dot) : name);
    std::string format = hasExtension ? bytesToDisplayUtf8(name.substr(dot + 1)) : "";
    for (char& c : format) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    const size_t split = stem.find(" - ");
    const std::string artist = split == std::string::npos ? std::string(kUnknownArtist) : stem.substr(0, split);
    const std::string title = split == std::string::npos ? stem : stem.substr(split + 3);

    fuzzCheck(record["title"] == title, "title from the stem");
    fuzzCheck(record["artist"] == artist, "artist from the stem");
    fuzzCheck(record["format"] == format, "format is the upper-cased extension");

    const std::string url = record["url"];
    fuzzCheck(url.rfind("file://", 0) == 0, "url starts with file://");
    fuzzCheck(isSafeInFileUrl(url), "url has nothing a browser misreads");
    const auto decoded = percentDecode(std::string_view(url).substr(7));
    fuzzCheck(decoded && *decoded == path, "url decodes to the path");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // NUL cannot be in a Linux path, so it separates the paths of one batch.
    std::vector<std::filesystem::path> paths;
    std::vector<std::string> texts;
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (size_t start = 0; start <= input.size();) {
        size_t end = input.find('\0', start);
        if (end == std::string::npos) end = input.size();
        texts.push_back("/music/" + input.substr(start, end - start));
        paths.emplace_back(texts.back());
        start = end + 1;
    }

    const std::string batch = buildTrackBatch(paths);
    const std::string script = buildBatchScript(paths);
    fuzzCheck(script == buildBatchScript(batch), "the one-pass script equals the batch escaped");
    fuzzCheck(script.size() >= kPrefix.size() + kSuffix.size() && script.rfind(kPrefix, 0) == 0 &&
                  script.compare(script.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0,
              "the script wraps one string literal");
    const auto literal =
        decodeSingleQuotedLiteral(std::string_view(script).substr(kPrefix.size(), script.size() - kPrefix.size() - kSuffix.size()));
    fuzzCheck(literal.has_value(), "the literal is valid JavaScript");
    fuzzCheck(*literal == batch, "the literal's value is the batch");

    nlohmann::ordered_json records;
    try {
        records = nlohmann::ordered_json::parse(batch);  // strict: rejects bad UTF-8 and raw control bytes
    } catch (const nlohmann::json::exception&) {
        fuzzCheck(false, "the batch is strict JSON");
    }
    fuzzCheck(records.is_array() && records.size() == paths.size(), "one record per path");
    for (size_t i = 0; i < texts.size(); ++i) checkRecord(records[i], texts[i]);
    return 0;
}
