// The SDL back end's sound: an audio device fed by the layer's mixer, or a
// silent clock that plays the buffers in time when there is no device.
#include <SDL.h>

#include <algorithm>
#include <string>

#include "platform/core.h"
#include "platform/platform.h"
#include "platform/sdl/backend_state.h"
#include "platform/sdl/quiet_stderr.h"

namespace plat {
namespace sdl::detail {
namespace {

// 512 frames is 11.6 ms: low latency, yet more than the audio thread needs.
constexpr uint16_t CallbackFrames = 512;

void Feed(void*, Uint8* stream, int bytes) {
    core::MixFrames(reinterpret_cast<int16_t*>(stream), static_cast<uint32_t>(bytes) / SoundBytesPerFrame);
}

}  // namespace

void AdvanceSilentSound() {
    if (!state.Silent) return;
    const uint64_t frames = (NowMicros() - state.SilentStart) * SoundRate / 1000000;
    for (uint64_t left = frames - state.SilentFrames; left > 0;) {
        const uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(left, UINT32_MAX));
        core::AdvanceFrames(piece);
        left -= piece;
    }
    state.SilentFrames = frames;
}

void CloseAudio() {
    if (state.Audio != 0) SDL_CloseAudioDevice(state.Audio);  // returns once the callback is done
    if (state.Audio != 0 || SDL_WasInit(SDL_INIT_AUDIO) != 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    state.Audio = 0;
}

}  // namespace sdl::detail

using sdl::detail::state;

bool SoundCreate() {
    if (state.Sound) return true;
    sdl::detail::QuietStderr quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        sdl::detail::SetSdlError("SoundCreate");
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(SoundRate);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = sdl::detail::CallbackFrames;
    want.callback = sdl::detail::Feed;
    // No changes allowed: SDL converts to whatever the hardware takes.
    state.Audio = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (state.Audio == 0) {
        sdl::detail::SetSdlError("SoundCreate");
        sdl::detail::CloseAudio();
        return false;
    }
    SDL_PauseAudioDevice(state.Audio, 0);
    state.Sound = true;
    state.Silent = false;
    return true;
}

bool SoundCreateSilent() {
    sdl::detail::CloseAudio();  // one clock only
    state.Sound = true;
    state.Silent = true;
    state.SilentStart = sdl::detail::NowMicros();
    state.SilentFrames = 0;
    return true;
}

bool SoundSetCooperativeLevel() {
    if (state.Sound) return true;
    core::SetLastError("SoundSetCooperativeLevel: no sound device");
    return false;
}

bool SoundCreatePrimaryBuffer() {
    if (!state.Sound) {
        core::SetLastError("SoundCreatePrimaryBuffer: no sound device");
        return false;
    }
    state.SoundPrimary = true;
    return true;
}

bool SoundSetFormat(uint32_t rate, uint32_t channels, uint32_t bits) {
    if (!state.SoundPrimary) {
        core::SetLastError("SoundSetFormat: no primary sound buffer");
        return false;
    }
    if (rate == SoundRate && channels == 2 && bits == 16) return true;
    core::SetLastError("SoundSetFormat: only 44100 Hz, 16-bit stereo is mixed");
    return false;
}

SoundBuffer* SoundCreateBuffer(uint32_t bytes) {
    if (!state.Sound) {
        core::SetLastError("SoundCreateBuffer: no sound device");
        return nullptr;
    }
    return core::NewSoundBuffer(bytes);
}

void SoundRelease() {
    sdl::detail::CloseAudio();
    core::FreeAllSoundBuffers();
    state.Sound = false;
    state.Silent = false;
    state.SoundPrimary = false;
}

}  // namespace plat

namespace plat::backend {
// Without a device the buffers play by the clock: bring them up to now
// before one starts or stops, so a voice started after a quiet spell is
// not counted as having played through it.
void BeforeSoundChange() { sdl::detail::AdvanceSilentSound(); }
}  // namespace plat::backend
