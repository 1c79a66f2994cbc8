#include "import/track_batch.h"

#include "app/path_text.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kArtistTitleSeparator = " - ";

void appendJsonStringBody(std::string& out, std::string_view text, bool escapeSingleQuote) {
    static constexpr char kHex[] = "0123456789abcdef";
    for (char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\f': out += "\\f"; break;
            case '\r': out += "\\r"; break;
            case '\'':
                if (escapeSingleQuote) out += '\\';
                out += c;
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    out += "\\u00";
                    out += kHex[static_cast<unsigned char>(c) >> 4];
                    out += kHex[static_cast<unsigned char>(c) & 0x0F];
                } else {
                    out += c;
                }
        }
    }
}

void appendRecord(std::string& batch, const TrackRecord& record) {
    batch += R"({"title":")";
    appendJsonStringBody(batch, record.title, false);
    batch += R"(","artist":")";
    appendJsonStringBody(batch, record.artist, false);
    batch += R"(","url":")";
    appendJsonStringBody(batch, record.url, false);
    batch += R"(","format":")";
    // Escaped too: on Linux an extension may hold a quote or a backslash.
    appendJsonStringBody(batch, record.format, false);
    batch += R"("})";
}

}  // namespace

std::string escapeJsonString(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    appendJsonStringBody(out, text, false);
    return out;
}

TrackRecord makeTrackRecord(const fs::path& path) {
    const fs::path fileName = path.filename();
    const std::string stem = pathToUtf8(fileName.stem());
    const std::string extension = pathToUtf8(fileName.extension());

    TrackRecord record;
    if (const auto split = stem.find(kArtistTitleSeparator); split != std::string::npos) {
        record.artist = stem.substr(0, split);
        record.title = stem.substr(split + kArtistTitleSeparator.size());
    } else {
        record.artist = kUnknownArtist;
        record.title = stem;
    }
    record.url = pathToFileUrl(path);
    record.format = extension.empty() ? std::string() : extension.substr(1);
    for (char& c : record.format) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return record;
}

std::string buildTrackBatch(const std::vector<fs::path>& paths) {
    std::string batch = "[";
    batch.reserve(paths.size() * 160);
    bool first = true;
    for (const auto& path : paths) {
        TrackRecord record;
        try {
            record = makeTrackRecord(path);
        } catch (const fs::filesystem_error&) {
            continue;  // no UTF-8 form: this file alone is left out
        }
        if (!first) batch += ',';
        first = false;
        appendRecord(batch, record);
    }
    batch += ']';
    return batch;
}

std::string buildBatchScript(std::string_view trackBatch) {
    constexpr std::string_view prefix = "if (window.sonabel) { window.sonabel.addTracksBatch(JSON.parse('";
    constexpr std::string_view suffix = "')); }";
    std::string script;
    script.reserve(prefix.size() + trackBatch.size() + trackBatch.size() / 4 + suffix.size());
    script += prefix;
    appendJsonStringBody(script, trackBatch, true);
    script += suffix;
    return script;
}

void deliverTracks(ScriptEvaluator& page, const std::vector<fs::path>& paths) {
    if (paths.empty()) return;
    const std::string batch = buildTrackBatch(paths);
    if (batch == "[]") return;
    page.evaluateScript(buildBatchScript(batch));
}
