// The Windows back end's sound: DirectSound with one looping buffer that a
// feeder thread keeps filled from the layer's mixer, or a silent clock that
// plays the buffers in time when there is no device.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

#include "platform/core.h"
#include "platform/win32/win32_api.h"

namespace plat {
namespace win32::detail {
namespace {

constexpr DWORD StreamBytes = 8192 * SoundBytesPerFrame;  // 186 ms
// How far ahead of the device's write cursor the mixer runs: 40 ms, low
// enough for a ping to sound with its hit, far above the feeder's wake-ups.
constexpr DWORD LeadBytes = 1764 * SoundBytesPerFrame;
constexpr DWORD FeedPeriodMs = 5;

IDirectSoundBuffer* stream = nullptr;
HANDLE feeder = nullptr;
std::atomic<bool> stopFeeding{false};
// Only the feeder thread touches these while it runs.
DWORD lastPlay = 0;
uint64_t played = 0;   // bytes the device has passed since the start
uint64_t written = 0;  // bytes mixed into the ring since the start

void MixInto(void* region, DWORD bytes) {
    if (region == nullptr || bytes == 0) return;
    std::memset(region, 0, bytes);  // the mixer adds to what is there
    core::MixFrames(static_cast<int16_t*>(region), bytes / SoundBytesPerFrame);
}

void FeedOnce() {
    DWORD play = 0, write = 0;
    HRESULT result = stream->GetCurrentPosition(&play, &write);
    if (result == DSERR_BUFFERLOST) {
        if (SUCCEEDED(stream->Restore())) stream->Play(0, 0, DSBPLAY_LOOPING);
        return;
    }
    if (FAILED(result)) return;
    played += (play + StreamBytes - lastPlay) % StreamBytes;
    lastPlay = play;
    const uint64_t gap = (write + StreamBytes - play) % StreamBytes;
    // Fell behind the device: what it played meanwhile was old, but the
    // voices keep their time.
    if (written < played + gap) {
        core::AdvanceFrames(static_cast<uint32_t>((played + gap - written) / SoundBytesPerFrame));
        written = played + gap;
    }
    const uint64_t target = played + gap + LeadBytes;
    if (written >= target) return;
    const DWORD bytes = static_cast<DWORD>(std::min<uint64_t>(target - written, StreamBytes - gap));
    void *first = nullptr, *second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    result =
        stream->Lock(static_cast<DWORD>(written % StreamBytes), bytes, &first, &firstBytes, &second, &secondBytes, 0);
    if (FAILED(result)) return;
    MixInto(first, firstBytes);
    MixInto(second, secondBytes);
    stream->Unlock(first, firstBytes, second, secondBytes);
    written += firstBytes + secondBytes;
}

DWORD WINAPI FeedLoop(void*) {
    while (!stopFeeding.load()) {
        FeedOnce();
        Sleep(FeedPeriodMs);
    }
    return 0;
}

bool StartStream() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = SoundRate;
    format.nAvgBytesPerSec = SoundBytesPerSecond;
    format.nBlockAlign = SoundBytesPerFrame;
    format.wBitsPerSample = 16;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    // Heard while another program is in front too, like the silent clock
    // that would otherwise stand in: voices must keep ending.
    desc.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS;
    desc.dwBufferBytes = StreamBytes;
    desc.lpwfxFormat = &format;
    HRESULT result = state.DSound->CreateSoundBuffer(&desc, &stream, nullptr);
    if (FAILED(result)) {
        stream = nullptr;
        SetResultError("IDirectSound::CreateSoundBuffer (the mixer's stream)", result);
        return false;
    }
    DWORD write = 0;
    result = stream->Play(0, 0, DSBPLAY_LOOPING);
    if (SUCCEEDED(result)) result = stream->GetCurrentPosition(&lastPlay, &write);
    if (FAILED(result)) {
        ReleaseCom(stream);
        SetResultError("IDirectSoundBuffer::Play (the mixer's stream)", result);
        return false;
    }
    played = written = 0;
    stopFeeding = false;
    feeder = CreateThread(nullptr, 0, FeedLoop, nullptr, 0, nullptr);
    if (feeder == nullptr) {
        SetSystemError("CreateThread (the sound feeder)");
        stream->Stop();
        ReleaseCom(stream);
        return false;
    }
    return true;
}

bool NeedSound(const char* caller) {
    if (state.DSound != nullptr) return true;
    core::SetLastError(std::string(caller) + ": no sound device");
    return false;
}

}  // namespace

void StopStream() {
    if (feeder != nullptr) {
        stopFeeding = true;
        WaitForSingleObject(feeder, INFINITE);
        CloseHandle(feeder);
        feeder = nullptr;
    }
    if (stream != nullptr) stream->Stop();
    ReleaseCom(stream);
}

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

}  // namespace win32::detail

using win32::detail::state;

bool SoundCreate() {
    if (state.DSound != nullptr) return true;
    const HRESULT result = DirectSoundCreate(nullptr, &state.DSound, nullptr);
    if (FAILED(result)) {
        state.DSound = nullptr;
        win32::detail::SetResultError("DirectSoundCreate", result);
        return false;
    }
    state.Sound = true;
    state.Silent = false;
    return true;
}

bool SoundCreateSilent() {
    win32::detail::StopStream();  // one clock only
    win32::detail::ReleaseCom(state.PrimaryBuffer);
    win32::detail::ReleaseCom(state.DSound);
    state.Sound = true;
    state.Silent = true;
    state.SilentStart = win32::detail::NowMicros();
    state.SilentFrames = 0;
    return true;
}

bool SoundSetCooperativeLevel() {
    if (!win32::detail::NeedSound("SoundSetCooperativeLevel")) return false;
    const HRESULT result = state.DSound->SetCooperativeLevel(state.Window, DSSCL_PRIORITY);
    if (FAILED(result)) {
        win32::detail::SetResultError("IDirectSound::SetCooperativeLevel", result);
        return false;
    }
    return true;
}

// The primary buffer and, with it, the stream the mixer plays through: the
// layer's buffers only end when something plays them, so a device that
// cannot take the stream must give way to the silent clock here.
bool SoundCreatePrimaryBuffer() {
    if (!win32::detail::NeedSound("SoundCreatePrimaryBuffer")) return false;
    if (state.PrimaryBuffer != nullptr) return true;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    const HRESULT result = state.DSound->CreateSoundBuffer(&desc, &state.PrimaryBuffer, nullptr);
    if (FAILED(result)) {
        state.PrimaryBuffer = nullptr;
        win32::detail::SetResultError("IDirectSound::CreateSoundBuffer (primary)", result);
        return false;
    }
    if (!win32::detail::StartStream()) {
        win32::detail::ReleaseCom(state.PrimaryBuffer);
        return false;
    }
    return true;
}

bool SoundSetFormat(uint32_t rate, uint32_t channels, uint32_t bits) {
    if (state.PrimaryBuffer == nullptr) {
        core::SetLastError("SoundSetFormat: no primary sound buffer");
        return false;
    }
    if (rate != SoundRate || channels != 2 || bits != 16) {
        core::SetLastError("SoundSetFormat: only 44100 Hz, 16-bit stereo is mixed");
        return false;
    }
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = rate;
    format.nAvgBytesPerSec = SoundBytesPerSecond;
    format.nBlockAlign = SoundBytesPerFrame;
    format.wBitsPerSample = static_cast<WORD>(bits);
    const HRESULT result = state.PrimaryBuffer->SetFormat(&format);
    if (FAILED(result)) {
        win32::detail::SetResultError("IDirectSoundBuffer::SetFormat", result);
        return false;
    }
    return true;
}

SoundBuffer* SoundCreateBuffer(uint32_t bytes) {
    if (!state.Sound) {
        core::SetLastError("SoundCreateBuffer: no sound device");
        return nullptr;
    }
    return core::NewSoundBuffer(bytes);
}

void SoundRelease() {
    win32::detail::StopStream();
    core::FreeAllSoundBuffers();
    win32::detail::ReleaseCom(state.PrimaryBuffer);
    win32::detail::ReleaseCom(state.DSound);
    state.Sound = false;
    state.Silent = false;
}

}  // namespace plat

namespace plat::backend {
// Without a device the buffers play by the clock: bring them up to now
// before one starts or stops. The stream needs nothing: its feeder mixes.
void BeforeSoundChange() { win32::detail::AdvanceSilentSound(); }
}  // namespace plat::backend
