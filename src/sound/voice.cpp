#include "sound/voice.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/file_open.h"
#include "sound/voice_files.h"

Voice VoiceBrickHigh;
Voice VoiceBrickLow;
Voice VoicePaddle;
Voice VoiceCrash;
Voice VoiceFanfare;
Voice VoiceExpand;
Voice VoiceWarp;
Voice VoiceTitles;
Voice VoiceShips;
Voice VoiceGameOver;
Voice VoiceShrink;
Voice VoiceLaserA;
Voice VoiceLaserB;
Voice VoiceBonus;

uint32_t VoiceStatus = 0;
void (*VoiceObserver)(VoiceOp op, const Voice& voice) = nullptr;

namespace {

static_assert(std::size(VoiceFiles) == VoiceCount);

// The i-th file of the list and the voice it becomes.
constexpr VoiceFile Entry(int i, Voice* target, const char* name) {
    return VoiceFile{VoiceFiles[i].FileName, target, VoiceFiles[i].ByteBudget, name};
}

}  // namespace

const VoiceFile VoiceInventory[VoiceCount] = {
    Entry(0, &VoiceBrickHigh, "VoiceBrickHigh"),
    Entry(1, &VoiceBrickLow, "VoiceBrickLow"),
    Entry(2, &VoicePaddle, "VoicePaddle"),
    Entry(3, &VoiceCrash, "VoiceCrash"),
    Entry(4, &VoiceFanfare, "VoiceFanfare"),
    Entry(5, &VoiceExpand, "VoiceExpand"),
    Entry(6, &VoiceWarp, "VoiceWarp"),
    Entry(7, &VoiceTitles, "VoiceTitles"),
    Entry(8, &VoiceShips, "VoiceShips"),
    Entry(9, &VoiceGameOver, "VoiceGameOver"),
    Entry(10, &VoiceShrink, "VoiceShrink"),
    // Loaded twice, so that two shots in flight each sound on their own.
    Entry(11, &VoiceLaserA, "VoiceLaserA"),
    Entry(12, &VoiceLaserB, "VoiceLaserB"),
    Entry(13, &VoiceBonus, "VoiceBonus"),
};

namespace {

constexpr size_t HeaderSizeOffset = 20;
constexpr uint32_t BlockHeadBytes = 4;
constexpr uint32_t SampleStart = 6;  // after the head, the time constant and the packing code
// KEEP AS DESIGNED: the buffer takes L - 6 bytes, leaving the block's last four out.
constexpr uint32_t BytesLeftOut = 6;

void Tell(VoiceOp op, const Voice& voice) {
    if (VoiceObserver != nullptr) VoiceObserver(op, voice);
}

using plat::RefuseFile;

}  // namespace

bool LoadVoice(const char* fileName, Voice& voice, uint32_t byteBudget, std::string* why) {
    std::ifstream in;
    uint64_t fileBytes = 0;
    if (!plat::OpenAndMeasure(fileName, in, fileBytes, why)) return false;
    const uint64_t wanted = std::min<uint64_t>(byteBudget, fileBytes);
    std::vector<uint8_t> data(static_cast<size_t>(wanted));
    in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    data.resize(static_cast<size_t>(in.gcount()));
    in.close();

    const uint64_t got = data.size();
    if (got <= HeaderSizeOffset) return RefuseFile(why, fileName, "too short for a voice file header");
    const uint32_t blockAt = data[HeaderSizeOffset];
    if (blockAt + uint64_t{BlockHeadBytes} > got)
        return RefuseFile(why, fileName, "the first block's head lies outside the bytes read");
    const uint32_t length = data[blockAt + 1] | data[blockAt + 2] << 8 | static_cast<uint32_t>(data[blockAt + 3]) << 16;
    if (length < BytesLeftOut) return RefuseFile(why, fileName, "the first block is shorter than 6 bytes");
    if (uint64_t{blockAt} + SampleStart + (length - BytesLeftOut) > got)
        return RefuseFile(why, fileName,
                          "the first block runs past the bytes read (budget " + std::to_string(byteBudget) + ")");

    const uint32_t sampleBytes = length - BytesLeftOut;
    plat::SoundBuffer* buffer = plat::SoundCreateBuffer(sampleBytes);
    if (buffer == nullptr) return RefuseFile(why, fileName, plat::LastError());
    voice.Buffer = buffer;
    if (!plat::SoundWrite(buffer, data.data() + blockAt + SampleStart, sampleBytes))
        return RefuseFile(why, fileName, "the sound buffer could not be filled");
    return true;
}

void PlayVoice(Voice& voice) {
    Tell(VoiceOp::Play, voice);
    if (voice.Buffer == nullptr) return;
    plat::SoundSetPosition(voice.Buffer, 0);
    plat::SoundPlay(voice.Buffer);
}

void StartVoice(Voice& voice) {
    Tell(VoiceOp::Start, voice);
    if (voice.Buffer != nullptr) plat::SoundPlay(voice.Buffer);
}

void WaitVoice(Voice& voice) {
    Tell(VoiceOp::Wait, voice);
    if (voice.Buffer == nullptr) return;
    VoiceStatus = plat::SoundStatus(voice.Buffer);
    while (VoiceStatus == plat::SoundStatusPlaying) {
        plat::Idle();
        VoiceStatus = plat::SoundStatus(voice.Buffer);
    }
}

void StopVoice(Voice& voice) {
    Tell(VoiceOp::Stop, voice);
    if (voice.Buffer != nullptr) plat::SoundStop(voice.Buffer);
}

const char* VoiceName(const Voice& voice) {
    for (const VoiceFile& v : VoiceInventory)
        if (v.Target == &voice) return v.Name;
    return "";
}

Voice* VoiceNamed(const char* name) {
    if (name == nullptr) return nullptr;
    for (const VoiceFile& v : VoiceInventory)
        if (std::strcmp(v.Name, name) == 0) return v.Target;
    return nullptr;
}

const char* VoiceOpName(VoiceOp op) {
    switch (op) {
        case VoiceOp::Play: return "play";
        case VoiceOp::Start: return "start";
        case VoiceOp::Stop: return "stop";
        case VoiceOp::Wait: return "wait";
    }
    return "";
}
