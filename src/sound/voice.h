// Voices: the game's sounds, each in a static buffer of its own.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

struct Voice {
    plat::SoundBuffer* Buffer = nullptr;  // null when loading failed before it was made
};

extern Voice VoiceBrickHigh;
extern Voice VoiceBrickLow;
extern Voice VoicePaddle;
extern Voice VoiceCrash;
extern Voice VoiceFanfare;
extern Voice VoiceExpand;
extern Voice VoiceWarp;
extern Voice VoiceTitles;
extern Voice VoiceShips;
extern Voice VoiceGameOver;
extern Voice VoiceShrink;
extern Voice VoiceLaserA;
extern Voice VoiceLaserB;
extern Voice VoiceBonus;

// The status word WaitVoice polls into.
extern uint32_t VoiceStatus;

struct VoiceFile {
    const char* FileName;
    Voice* Target;
    uint32_t ByteBudget;  // how much of the file is read
    const char* Name;     // the voice's name in traces
};

constexpr int VoiceCount = 14;
// In load order.
extern const VoiceFile VoiceInventory[VoiceCount];

// Reads the first sound block of a voice file into a new buffer. A block that
// does not lie within the bytes read is refused with false and `why` says
// what is wrong.
bool LoadVoice(const char* fileName, Voice& voice, uint32_t byteBudget, std::string* why = nullptr);

// Each of these does nothing on a voice whose buffer was never made.
void PlayVoice(Voice& voice);   // from the start, also when still sounding
void StartVoice(Voice& voice);  // from where it stands; a sounding voice goes on
void WaitVoice(Voice& voice);   // until it stops
void StopVoice(Voice& voice);   // keeps its position

// What the game asked of a voice, for tools and tests that follow a run by ear.
enum class VoiceOp { Play, Start, Stop, Wait };
// When set, called by each of the four above before it acts, also on a voice
// without a buffer: it reports what the game asked, not what was heard.
extern void (*VoiceObserver)(VoiceOp op, const Voice& voice);
// The game's own name of one of its voices ("VoiceBrickHigh"); "" for any other.
const char* VoiceName(const Voice& voice);
// The voice of that name; null for a name of no voice.
Voice* VoiceNamed(const char* name);
// "play", "start", "stop" or "wait".
const char* VoiceOpName(VoiceOp op);
