#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "import/script_evaluator.h"

struct TrackRecord {
    std::string title;
    std::string artist;
    std::string url;
    std::string format;
};

inline constexpr std::string_view kUnknownArtist = "Local Music";

// Title and artist from the file name's stem ("Artist - Title"), the file URL
// and the upper-cased extension. Throws filesystem_error when the name has no
// UTF-8 form (Windows: an unpaired surrogate).
TrackRecord makeTrackRecord(const std::filesystem::path& path);

// JSON string escaping: quote, backslash, \b \t \n \f \r, and every other
// byte below 0x20 as \u00XX, so no name can break JSON.parse.
std::string escapeJsonString(std::string_view text);

// The JSON array of records for `paths`, in order. A path whose name cannot
// become UTF-8 is left out on its own.
std::string buildTrackBatch(const std::vector<std::filesystem::path>& paths);

// The script that hands `trackBatch` to window.sonabel.addTracksBatch.
std::string buildBatchScript(std::string_view trackBatch);

// The same script for `paths`, written in one pass; empty when no path could
// be converted.
std::string buildBatchScript(const std::vector<std::filesystem::path>& paths);

// Builds one batch for `paths` and has the page run it; nothing for an empty
// list (or one in which no path could be converted).
void deliverTracks(ScriptEvaluator& page, const std::vector<std::filesystem::path>& paths);
