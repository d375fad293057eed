// Pads read from XInput's four numbered slots, as the Windows back end finds
// them: which slots hold a pad, how often to look, and what each reading
// means in the pads' common shape. Plain arithmetic over a device the back
// end describes, so that it is tested on every machine with a scripted one.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "platform/gamepad.h"

namespace plat::core {

// A slot's state as XInput reports it: its packet number and XINPUT_GAMEPAD.
struct XInputState {
    uint32_t Packet = 0;
    uint16_t Buttons = 0;  // XINPUT_GAMEPAD_* bits
    uint8_t LeftTrigger = 0, RightTrigger = 0;
    int16_t ThumbLX = 0, ThumbLY = 0, ThumbRX = 0, ThumbRY = 0;  // up is positive
};

namespace xinput {
constexpr uint32_t Slots = 4;
// What XInputGetState returns.
constexpr uint32_t Success = 0;
constexpr uint32_t DeviceNotConnected = 1167;  // ERROR_DEVICE_NOT_CONNECTED
// Asking an empty slot is slow (the system looks for devices each time), so
// empty slots are asked this seldom; a pad plugged in is taken within it.
constexpr uint64_t EmptySlotMicros = 1000000;
// Past this a trigger counts as pressed, as XInput suggests.
constexpr uint8_t TriggerThreshold = 30;
}  // namespace xinput

// A slot's state in the pads' common shape: the sticks from -1 to 1 with down
// positive, the buttons by PadButton.
PadReading ReadingOf(const XInputState& state);

// Where the readings go: the core's mapper, or a test's record.
struct PadSink {
    std::function<void(int32_t pad, const PadReading& reading)> Read;
    std::function<void(int32_t pad)> Gone;
};
// core::PadRead and core::PadGone.
PadSink CorePads();

class XInputSlots {
public:
    using GetState = std::function<uint32_t(uint32_t slot, XInputState* state)>;
    // One look: each slot with a pad is read, an empty one only now and then.
    // `inFront`: the game's window is in front; behind, the pads rest, as the
    // keys and mouse do. A slot's pad is numbered by its slot.
    void Poll(const GetState& getState, uint64_t nowMicros, bool inFront, const PadSink& sink);
    // Lets go of every pad (the input device closes).
    void Forget(const PadSink& sink);
    bool Holds(uint32_t slot) const { return slot < xinput::Slots && slots_[slot].Present; }

private:
    struct Slot {
        bool Present = false;
        bool Resting = false;  // told to rest while the game was behind
        uint32_t Packet = 0;
        bool Asked = false;  // asked at least once
        uint64_t LastAsked = 0;
    };
    std::array<Slot, xinput::Slots> slots_{};
};

}  // namespace plat::core
