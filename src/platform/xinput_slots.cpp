#include "platform/xinput_slots.h"

#include <cstdint>

#include "platform/core.h"

namespace plat::core {
namespace {

// XINPUT_GAMEPAD_* bits and the buttons they are.
struct ButtonBit {
    uint16_t Bit;
    PadButton Button;
};
constexpr ButtonBit ButtonBits[] = {
    {0x0001, PadButton::Up},           {0x0002, PadButton::Down},
    {0x0004, PadButton::Left},         {0x0008, PadButton::Right},
    {0x0010, PadButton::Start},        {0x0020, PadButton::Back},
    {0x0040, PadButton::LeftStick},    {0x0080, PadButton::RightStick},
    {0x0100, PadButton::LeftShoulder}, {0x0200, PadButton::RightShoulder},
    {0x1000, PadButton::South},        {0x2000, PadButton::East},
    {0x4000, PadButton::West},         {0x8000, PadButton::North},
};

// -32768 .. 32767 to -1 .. 1; the extra step at the negative end is full tilt too.
float Axis(int16_t v) {
    const float a = static_cast<float>(v) / 32767.0f;
    return a < -1.0f ? -1.0f : a;
}

}  // namespace

PadReading ReadingOf(const XInputState& s) {
    PadReading r;
    r.LeftX = Axis(s.ThumbLX);
    r.LeftY = -Axis(s.ThumbLY);
    r.RightX = Axis(s.ThumbRX);
    r.RightY = -Axis(s.ThumbRY);
    for (const ButtonBit& b : ButtonBits)
        if (s.Buttons & b.Bit) r.Buttons |= PadBit(b.Button);
    if (s.LeftTrigger > xinput::TriggerThreshold) r.Buttons |= PadBit(PadButton::LeftTrigger);
    if (s.RightTrigger > xinput::TriggerThreshold) r.Buttons |= PadBit(PadButton::RightTrigger);
    return r;
}

PadSink CorePads() { return PadSink{PadRead, PadGone}; }

void XInputSlots::Poll(const GetState& getState, uint64_t nowMicros, bool inFront, const PadSink& sink) {
    for (uint32_t i = 0; i < xinput::Slots; ++i) {
        Slot& slot = slots_[i];
        const auto pad = static_cast<int32_t>(i);
        if (slot.Present && !inFront) {
            if (!slot.Resting) sink.Read(pad, PadReading{});
            slot.Resting = true;
            continue;
        }
        if (!slot.Present && slot.Asked && nowMicros - slot.LastAsked < xinput::EmptySlotMicros) continue;
        slot.Asked = true;
        slot.LastAsked = nowMicros;
        XInputState state;
        if (getState(i, &state) != xinput::Success) {
            // Unplugged, or failing: let go of it, and look again now and then.
            if (slot.Present) sink.Gone(pad);
            slot.Present = false;
            continue;
        }
        // The packet number moves only when something changed.
        if (slot.Present && !slot.Resting && state.Packet == slot.Packet) continue;
        slot.Present = true;
        slot.Resting = false;
        slot.Packet = state.Packet;
        sink.Read(pad, ReadingOf(state));
    }
}

void XInputSlots::Forget(const PadSink& sink) {
    for (uint32_t i = 0; i < xinput::Slots; ++i)
        if (slots_[i].Present) sink.Gone(static_cast<int32_t>(i));
    slots_ = {};
}

}  // namespace plat::core
