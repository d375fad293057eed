// What the game has opened, the set-up steps tests can make fail, and the
// reset that puts the whole layer back as the program starts.
#include <map>
#include <string>

#include "platform/core.h"
#include "platform/core_state.h"
#include "platform/platform.h"

namespace plat::core {
namespace {
Devices flags;
std::map<Step, uint32_t> failures;
}  // namespace

namespace detail {

Devices& Flags() { return flags; }

bool Failing(Step step, const char* call) {
    auto it = failures.find(step);
    if (it == failures.end() || it->second == 0) return false;
    if (it->second != UINT32_MAX) --it->second;
    SetLastError(std::string(call) + " failed (made to fail by a test)");
    return true;
}

bool Need(bool have, const char* call, const char* missing) {
    if (!have) SetLastError(std::string(call) + ": " + missing);
    return have;
}

}  // namespace detail

void FailStep(Step step, uint32_t times) { failures[step] = times; }

Devices Live() {
    Devices live = flags;
    live.Surfaces = LiveSurfaceCount();
    live.SoundBuffers = LiveSoundBufferCount();
    return live;
}

void ResetAll() {
    detail::FreeAllSurfaces();
    detail::FreeAllSoundBuffers();
    detail::ClearMessages();
    detail::ClearInput();
    detail::ClearPads();
    detail::ClearCloseRequest();
    detail::ResetDisplay();
    detail::ResetSound();
    ResetStats();
    SetLastError("");
    flags = Devices{};
    failures.clear();
}

}  // namespace plat::core
