// Static sound buffers and the mixer that plays them.
//
// A buffer plays once from its position; at its end it stops and its
// position returns to 0, so the next play starts it afresh. The audio side
// of a back end only pulls frames, so every back end plays alike.
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/core.h"
#include "platform/core_state.h"
#include "platform/platform.h"

namespace plat {

struct SoundBuffer {
    std::vector<uint8_t> Bytes;
    uint32_t Position = 0;  // bytes, a whole frame
    bool Playing = false;
};

namespace {

std::mutex mixerLock;
std::vector<std::unique_ptr<SoundBuffer>> buffers;
uint64_t changes = 0;  // under mixerLock

bool Known(const SoundBuffer* buffer) {
    return buffer != nullptr &&
           std::any_of(buffers.begin(), buffers.end(), [buffer](const auto& b) { return b.get() == buffer; });
}

uint32_t FramesIn(const SoundBuffer& b) { return static_cast<uint32_t>(b.Bytes.size() / SoundBytesPerFrame); }

int16_t SampleAt(const uint8_t* p) { return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8))); }

// Moves a playing buffer on by up to `frames`; returns how many it played.
uint32_t Consume(SoundBuffer& b, uint32_t frames) {
    const uint32_t total = FramesIn(b);
    const uint32_t at = b.Position / SoundBytesPerFrame;
    const uint32_t take = std::min(frames, total > at ? total - at : 0u);
    b.Position += take * SoundBytesPerFrame;
    if (b.Position / SoundBytesPerFrame >= total) {
        b.Playing = false;
        b.Position = 0;
    }
    return take;
}

// Adds `frames` stereo frames from `start` into `sum`.
void AddFrames(std::vector<int32_t>& sum, const uint8_t* start, uint32_t frames) {
    for (uint32_t i = 0; i < frames * 2; ++i) sum[i] += SampleAt(start + 2 * i);
}

// The sum, saturated to 16 bits.
void Saturate(const std::vector<int32_t>& sum, int16_t* out) {
    for (size_t i = 0; i < sum.size(); ++i) out[i] = static_cast<int16_t>(std::clamp(sum[i], -32768, 32767));
}

}  // namespace

namespace core {

void MixFrames(int16_t* out, uint32_t frames) {
    std::vector<int32_t> sum(static_cast<size_t>(frames) * 2, 0);
    {
        std::lock_guard<std::mutex> guard(mixerLock);
        for (auto& b : buffers) {
            if (!b->Playing) continue;
            const uint8_t* start = b->Bytes.data() + b->Position;
            AddFrames(sum, start, Consume(*b, frames));
        }
    }
    Saturate(sum, out);
}

void PeekFrames(int16_t* out, uint32_t frames, uint32_t skip) {
    std::vector<int32_t> sum(static_cast<size_t>(frames) * 2, 0);
    {
        std::lock_guard<std::mutex> guard(mixerLock);
        for (const auto& b : buffers) {
            if (!b->Playing) continue;
            // As Consume would leave it: a buffer that reaches its end stops.
            const uint64_t at = uint64_t{b->Position / SoundBytesPerFrame} + skip;
            const uint32_t total = FramesIn(*b);
            if (at >= total) continue;
            const uint8_t* start = b->Bytes.data() + at * SoundBytesPerFrame;
            AddFrames(sum, start, std::min(frames, static_cast<uint32_t>(total - at)));
        }
    }
    Saturate(sum, out);
}

uint32_t FramesUntilFirstEnd() {
    std::lock_guard<std::mutex> guard(mixerLock);
    uint32_t least = UINT32_MAX;
    for (const auto& b : buffers)
        if (b->Playing) least = std::min(least, FramesIn(*b) - b->Position / SoundBytesPerFrame);
    return least;
}

uint64_t MixerChanges() {
    std::lock_guard<std::mutex> guard(mixerLock);
    return changes;
}

void AdvanceFrames(uint32_t frames) {
    std::lock_guard<std::mutex> guard(mixerLock);
    for (auto& b : buffers)
        if (b->Playing) Consume(*b, frames);
}

size_t LiveSoundBufferCount() {
    std::lock_guard<std::mutex> guard(mixerLock);
    return buffers.size();
}

void detail::FreeAllSoundBuffers() {
    std::lock_guard<std::mutex> guard(mixerLock);
    ++changes;
    buffers.clear();
}

}  // namespace core

SoundBuffer* core::detail::NewSoundBuffer(uint32_t bytes) {
    if (bytes < SoundMinBufferBytes) {
        core::SetLastError("a sound buffer of " + std::to_string(bytes) + " bytes is too small");
        return nullptr;
    }
    auto buffer = std::make_unique<SoundBuffer>();
    buffer->Bytes.assign(bytes, 0);
    std::lock_guard<std::mutex> guard(mixerLock);
    buffers.push_back(std::move(buffer));
    return buffers.back().get();
}

bool SoundWrite(SoundBuffer* buffer, const uint8_t* bytes, uint32_t count) {
    std::lock_guard<std::mutex> guard(mixerLock);
    if (!Known(buffer) || (bytes == nullptr && count > 0) || count > buffer->Bytes.size()) return false;
    ++changes;
    if (count > 0) std::memcpy(buffer->Bytes.data(), bytes, count);
    return true;
}

bool SoundPlay(SoundBuffer* buffer) {
    core::detail::AdvanceSilentClock();
    std::lock_guard<std::mutex> guard(mixerLock);
    if (!Known(buffer)) return false;
    ++changes;
    buffer->Playing = true;
    ++core::MutableStats().VoicePlays;
    return true;
}

bool SoundStop(SoundBuffer* buffer) {
    core::detail::AdvanceSilentClock();
    std::lock_guard<std::mutex> guard(mixerLock);
    if (!Known(buffer)) return false;
    ++changes;
    buffer->Playing = false;
    return true;
}

bool SoundSetPosition(SoundBuffer* buffer, uint32_t byteOffset) {
    core::detail::AdvanceSilentClock();
    std::lock_guard<std::mutex> guard(mixerLock);
    if (!Known(buffer) || byteOffset >= buffer->Bytes.size()) return false;
    ++changes;
    buffer->Position = byteOffset - byteOffset % SoundBytesPerFrame;
    return true;
}

uint32_t SoundGetPosition(SoundBuffer* buffer) {
    core::detail::AdvanceSilentClock();
    std::lock_guard<std::mutex> guard(mixerLock);
    return Known(buffer) ? buffer->Position : 0;
}

uint32_t SoundStatus(SoundBuffer* buffer) {
    core::detail::AdvanceSilentClock();
    std::lock_guard<std::mutex> guard(mixerLock);
    return Known(buffer) && buffer->Playing ? SoundStatusPlaying : 0;
}

}  // namespace plat
