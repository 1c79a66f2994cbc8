#include "import/track_batch.h"

#include <array>

#include "app/path_text.h"
#include "import/file_name.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kArtistTitleSeparator = " - ";

// What each byte becomes; an empty entry means the byte is copied as it is.
using EscapeTable = std::array<std::string, 256>;

std::string jsonEscapeOf(unsigned char c, bool escapeSingleQuote) {
    static constexpr char kHex[] = "0123456789abcdef";
    switch (c) {
        case '"': return "\\\"";
        case '\\': return "\\\\";
        case '\b': return "\\b";
        case '\t': return "\\t";
        case '\n': return "\\n";
        case '\f': return "\\f";
        case '\r': return "\\r";
        case '\'': return escapeSingleQuote ? "\\'" : "";
        default:
            if (c < 0x20) return std::string("\\u00") + kHex[c >> 4] + kHex[c & 0x0F];
            return "";
    }
}

EscapeTable makeEscapeTable(bool escapeSingleQuote) {
    EscapeTable table;
    for (int c = 0; c < 256; ++c) table[c] = jsonEscapeOf(static_cast<unsigned char>(c), escapeSingleQuote);
    return table;
}

// Inside a JSON string.
const EscapeTable& jsonTable() {
    static const EscapeTable table = makeEscapeTable(false);
    return table;
}

// JSON text placed in a single-quoted script literal.
const EscapeTable& scriptLiteralTable() {
    static const EscapeTable table = makeEscapeTable(true);
    return table;
}

// A JSON string's content placed in the script literal: both escapings at once,
// so the script is written in one pass without the intermediate JSON text.
const EscapeTable& valueInScriptLiteralTable() {
    static const EscapeTable table = [] {
        EscapeTable t;
        for (int c = 0; c < 256; ++c) {
            const std::string once = jsonEscapeOf(static_cast<unsigned char>(c), false);
            if (once.empty()) {
                t[c] = jsonEscapeOf(static_cast<unsigned char>(c), true);
                continue;
            }
            for (char e : once) {
                const std::string twice = jsonEscapeOf(static_cast<unsigned char>(e), true);
                t[c] += twice.empty() ? std::string(1, e) : twice;
            }
        }
        return t;
    }();
    return table;
}

void appendEscaped(std::string& out, std::string_view text, const EscapeTable& table) {
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string& replacement = table[static_cast<unsigned char>(text[i])];
        if (replacement.empty()) continue;
        out.append(text, runStart, i - runStart);
        out += replacement;
        runStart = i + 1;
    }
    out.append(text, runStart, text.size() - runStart);
}

// The record's fixed text in plain JSON and as it reads inside the literal.
struct RecordSyntax {
    std::string_view open, afterTitle, afterArtist, afterUrl, close;
    const EscapeTable& values;
};

const RecordSyntax& jsonSyntax() {
    static const RecordSyntax syntax{R"({"title":")", R"(","artist":")", R"(","url":")", R"(","format":")", R"("})",
                                     jsonTable()};
    return syntax;
}

const RecordSyntax& scriptLiteralSyntax() {
    static const RecordSyntax syntax{R"({\"title\":\")", R"(\",\"artist\":\")", R"(\",\"url\":\")",
                                     R"(\",\"format\":\")", R"(\"})", valueInScriptLiteralTable()};
    return syntax;
}

// The fields of one record. Reused from record to record, so that a large
// batch costs no allocation per track once the buffers have grown.
class RecordFields {
public:
    // False when the file's name has no UTF-8 form.
    bool read(const fs::path& path) {
        const NativeView fileName = fileNameOf(path.native());
        const NativeView extension = extensionOf(fileName);
        if (!hasUtf8Form(fileName)) return false;
        stem_.clear();
        appendNativeTextAsUtf8(stem_, stemOf(fileName));
        format_.clear();
        if (!extension.empty()) appendNativeTextAsUtf8(format_, extension.substr(1));
        for (char& c : format_) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
        url_.clear();
        appendFileUrl(url_, path.native());

        const std::string_view stem = stem_;
        if (const auto split = stem.find(kArtistTitleSeparator); split != std::string_view::npos) {
            artist_ = stem.substr(0, split);
            title_ = stem.substr(split + kArtistTitleSeparator.size());
        } else {
            artist_ = kUnknownArtist;
            title_ = stem;
        }
        return true;
    }

    std::string_view title() const { return title_; }
    std::string_view artist() const { return artist_; }
    std::string_view url() const { return url_; }
    std::string_view format() const { return format_; }

private:
    std::string stem_, url_, format_;
    std::string_view title_, artist_;
};

void appendRecord(std::string& out, const RecordFields& record, const RecordSyntax& syntax) {
    out += syntax.open;
    appendEscaped(out, record.title(), syntax.values);
    out += syntax.afterTitle;
    appendEscaped(out, record.artist(), syntax.values);
    out += syntax.afterArtist;
    appendEscaped(out, record.url(), syntax.values);
    out += syntax.afterUrl;
    // Escaped too: on Linux an extension may hold a quote or a backslash.
    appendEscaped(out, record.format(), syntax.values);
    out += syntax.close;
}

// The records of `paths` joined by commas; a path whose name has no UTF-8
// form is left out on its own.
void appendRecords(std::string& out, const std::vector<fs::path>& paths, const RecordSyntax& syntax) {
    bool first = true;
    RecordFields record;
    for (const auto& path : paths) {
        try {
            if (!record.read(path)) continue;
        } catch (const fs::filesystem_error&) {
            continue;  // the folder part of the path has no UTF-8 form
        }
        if (!first) out += ',';
        first = false;
        appendRecord(out, record, syntax);
    }
}

constexpr std::string_view kScriptPrefix = "if (window.sonabel) { window.sonabel.addTracksBatch(JSON.parse('";
constexpr std::string_view kScriptSuffix = "')); }";
constexpr std::size_t kTypicalRecordBytes = 200;

}  // namespace

std::string escapeJsonString(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    appendEscaped(out, text, jsonTable());
    return out;
}

TrackRecord makeTrackRecord(const fs::path& path) {
    RecordFields fields;
    if (!fields.read(path)) pathToUtf8(path.filename());  // throws the conversion error
    return {std::string(fields.title()), std::string(fields.artist()), std::string(fields.url()),
            std::string(fields.format())};
}

std::string buildTrackBatch(const std::vector<fs::path>& paths) {
    std::string batch;
    batch.reserve(2 + paths.size() * kTypicalRecordBytes);
    batch += '[';
    appendRecords(batch, paths, jsonSyntax());
    batch += ']';
    return batch;
}

std::string buildBatchScript(std::string_view trackBatch) {
    std::string script;
    script.reserve(kScriptPrefix.size() + trackBatch.size() + trackBatch.size() / 4 + kScriptSuffix.size());
    script += kScriptPrefix;
    appendEscaped(script, trackBatch, scriptLiteralTable());
    script += kScriptSuffix;
    return script;
}

std::string buildBatchScript(const std::vector<fs::path>& paths) {
    std::string script;
    script.reserve(kScriptPrefix.size() + 2 + paths.size() * kTypicalRecordBytes * 5 / 4 + kScriptSuffix.size());
    script += kScriptPrefix;
    script += '[';
    const std::size_t emptyLength = script.size();
    appendRecords(script, paths, scriptLiteralSyntax());
    if (script.size() == emptyLength) return {};
    script += ']';
    script += kScriptSuffix;
    return script;
}

void deliverTracks(ScriptEvaluator& page, const std::vector<fs::path>& paths) {
    if (paths.empty()) return;
    std::string script = buildBatchScript(paths);
    if (!script.empty()) page.evaluateScript(script);
}
