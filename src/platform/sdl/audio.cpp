// The SDL back end's sound: an audio device fed by the layer's mixer.
#include <SDL.h>

#include "platform/backend.h"
#include "platform/core.h"
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

void CloseAudioDevice() {
    if (state.Audio != 0) SDL_CloseAudioDevice(state.Audio);  // returns once the callback is done
    if (state.Audio != 0 || SDL_WasInit(SDL_INIT_AUDIO) != 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    state.Audio = 0;
}

}  // namespace sdl::detail

using sdl::detail::state;

namespace backend {

bool OpenAudio() {
    if (state.Audio != 0) return true;
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
        sdl::detail::CloseAudioDevice();
        return false;
    }
    SDL_PauseAudioDevice(state.Audio, 0);
    return true;
}

void CloseAudio() { sdl::detail::CloseAudioDevice(); }

}  // namespace backend
}  // namespace plat
