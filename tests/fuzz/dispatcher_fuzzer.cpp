// Arbitrary request text: the reply never changes, and at most one action
// runs, the first in table order whose quoted name occurs.

#include <cstdint>
#include <string>
#include <string_view>

#include "bridge/action_dispatcher.h"
#include "fuzz_oracle.h"

namespace {

struct CountingActions final : NativeActions {
    int runs = 0;
    int last = -1;
    void ran(int index) { ++runs, last = index; }
    void closeWindow() override { ran(0); }
    void minimizeWindow() override { ran(1); }
    void maximizeOrRestoreWindow() override { ran(2); }
    void toggleAlwaysOnTop() override { ran(3); }
    void pickAudioFiles() override { ran(4); }
    void importMusicFolder() override { ran(5); }
};

// The table, in order, with the action each name runs.
constexpr struct {
    std::string_view quotedName;
    int action;
} kTable[] = {
    {"\"closeWindow\"", 0},    {"\"minimizeWindow\"", 1}, {"\"maximizeWindow\"", 2}, {"\"zoomWindow\"", 2},
    {"\"setAlwaysOnTop\"", 3}, {"\"openFile\"", 4},       {"\"openFolder\"", 5},     {"\"autoScanMusic\"", 5},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string request(reinterpret_cast<const char*>(data), size);
    int expected = -1;
    for (const auto& entry : kTable) {
        if (request.find(entry.quotedName) != std::string::npos) {
            expected = entry.action;
            break;
        }
    }
    CountingActions actions;
    fuzzCheck(dispatchNativeAction(request, actions) == kNativeActionReply, "the reply is always {\"status\":\"ok\"}");
    fuzzCheck(actions.runs == (expected < 0 ? 0 : 1), "at most one action runs");
    fuzzCheck(actions.last == expected, "the first name in table order wins");
    return 0;
}
