// The Windows back end's sound: DirectSound with one looping buffer that a
// feeder thread keeps filled from the layer's mixer.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/ring_feeder.h"
#include "platform/win32/backend_state.h"

namespace plat {
namespace win32::detail {
namespace {

constexpr DWORD StreamBytes = 8192 * SoundBytesPerFrame;  // 186 ms
// How far ahead of the device's write cursor the mixer runs: 40 ms, low
// enough for a ping to sound with its hit, far above the feeder's wake-ups.
constexpr DWORD LeadBytes = 1764 * SoundBytesPerFrame;
constexpr DWORD FeedPeriodMs = 5;
// A play position that stands still this long is a device that stopped.
constexpr uint64_t StuckMicros = 500000;

IDirectSoundBuffer* stream = nullptr;
HANDLE feeder = nullptr;
std::atomic<bool> stopFeeding{false};
std::atomic<bool> deviceStopped{false};
// Only the feeder thread touches it while it runs.
core::RingFeeder ring(StreamBytes, SoundBytesPerSecond, LeadBytes, StuckMicros);

void MixInto(void* region, DWORD bytes) {
    if (region == nullptr || bytes == 0) return;
    std::memset(region, 0, bytes);  // the mixer adds to what is there
    core::MixFrames(static_cast<int16_t*>(region), bytes / SoundBytesPerFrame);
}

const core::RingDevice device{
    [](uint32_t* play, uint32_t* write) {
        DWORD p = 0, w = 0;
        const HRESULT result = stream->GetCurrentPosition(&p, &w);
        *play = p;
        *write = w;
        return result == DSERR_BUFFERLOST ? core::RingRead::Lost
               : FAILED(result)           ? core::RingRead::Failed
                                          : core::RingRead::Read;
    },
    [] { return SUCCEEDED(stream->Restore()) && SUCCEEDED(stream->Play(0, 0, DSBPLAY_LOOPING)); },
    [](uint32_t offset, uint32_t bytes) {
        void *first = nullptr, *second = nullptr;
        DWORD firstBytes = 0, secondBytes = 0;
        if (FAILED(stream->Lock(offset, bytes, &first, &firstBytes, &second, &secondBytes, 0))) return false;
        MixInto(first, firstBytes);
        MixInto(second, secondBytes);
        stream->Unlock(first, firstBytes, second, secondBytes);
        return true;
    },
    [](uint64_t bytes) {
        for (uint64_t left = bytes / SoundBytesPerFrame; left > 0;) {
            const uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(left, UINT32_MAX));
            core::AdvanceFrames(piece);
            left -= piece;
        }
    },
};

bool FeedOnce() { return ring.Feed(device, backend::NowMicros()); }

DWORD WINAPI FeedLoop(void*) {
    while (!stopFeeding.load()) {
        if (!FeedOnce()) {
            deviceStopped = true;  // the game's thread falls back to the silent clock
            break;
        }
        Sleep(FeedPeriodMs);
    }
    return 0;
}

// The mixer's one format: 44.1 kHz, 16-bit stereo PCM.
WAVEFORMATEX MixFormat() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = SoundRate;
    format.nAvgBytesPerSec = SoundBytesPerSecond;
    format.nBlockAlign = SoundBytesPerFrame;
    format.wBitsPerSample = 16;
    return format;
}

bool StartStream() {
    WAVEFORMATEX format = MixFormat();
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
    // DirectSound leaves a new buffer's memory as it finds it: silence before
    // it plays, since the first fill lands after the write cursor.
    void *first = nullptr, *second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    result = stream->Lock(0, StreamBytes, &first, &firstBytes, &second, &secondBytes, DSBLOCK_ENTIREBUFFER);
    if (SUCCEEDED(result)) {
        if (first != nullptr) std::memset(first, 0, firstBytes);
        if (second != nullptr) std::memset(second, 0, secondBytes);
        stream->Unlock(first, firstBytes, second, secondBytes);
    }
    DWORD play = 0, write = 0;
    result = stream->Play(0, 0, DSBPLAY_LOOPING);
    if (SUCCEEDED(result)) result = stream->GetCurrentPosition(&play, &write);
    if (FAILED(result)) {
        ReleaseCom(stream);
        SetResultError("IDirectSoundBuffer::Play (the mixer's stream)", result);
        return false;
    }
    ring.Start(play, backend::NowMicros());
    stopFeeding = false;
    deviceStopped = false;
    feeder = CreateThread(nullptr, 0, FeedLoop, nullptr, 0, nullptr);
    if (feeder == nullptr) {
        SetSystemError("CreateThread (the sound feeder)");
        stream->Stop();
        ReleaseCom(stream);
        return false;
    }
    return true;
}

void StopStream() {
    if (feeder != nullptr) {
        stopFeeding = true;
        WaitForSingleObject(feeder, INFINITE);
        CloseHandle(feeder);
        feeder = nullptr;
    }
    if (stream != nullptr) stream->Stop();
    ReleaseCom(stream);
    deviceStopped = false;
}

void CloseAll() {
    StopStream();
    ReleaseCom(state.PrimaryBuffer);
    ReleaseCom(state.DSound);
}

bool Failed(const char* call, HRESULT result) {
    SetResultError(call, result);
    CloseAll();
    return false;
}

}  // namespace

void CheckSoundDevice() {
    if (deviceStopped.load()) core::FallBackToSilentSound();
}

}  // namespace win32::detail

using win32::detail::state;

namespace backend {

// The device, its primary buffer in the game's format, and the stream the
// mixer plays through: the layer's buffers only end when something plays them,
// so a device that cannot take the stream gives way to the silent clock.
bool OpenAudio() {
    using win32::detail::Failed;
    if (state.DSound != nullptr) return true;
    HRESULT result = DirectSoundCreate(nullptr, &state.DSound, nullptr);
    if (FAILED(result)) {
        state.DSound = nullptr;
        return Failed("DirectSoundCreate", result);
    }
    result = state.DSound->SetCooperativeLevel(state.Window, DSSCL_PRIORITY);
    if (FAILED(result)) return Failed("IDirectSound::SetCooperativeLevel", result);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    result = state.DSound->CreateSoundBuffer(&desc, &state.PrimaryBuffer, nullptr);
    if (FAILED(result)) {
        state.PrimaryBuffer = nullptr;
        return Failed("IDirectSound::CreateSoundBuffer (primary)", result);
    }
    WAVEFORMATEX format = win32::detail::MixFormat();
    state.PrimaryBuffer->SetFormat(&format);  // a device that keeps its own format still plays ours
    if (!win32::detail::StartStream()) {
        win32::detail::CloseAll();
        return false;
    }
    return true;
}

void CloseAudio() { win32::detail::CloseAll(); }

}  // namespace backend
}  // namespace plat
