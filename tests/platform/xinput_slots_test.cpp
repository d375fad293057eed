// XInput's slots over a scripted device: what a reading means, which slots are
// asked how often, and pads plugged in, unplugged, failing and behind.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/core.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "platform/xinput_slots.h"

namespace {

using plat::core::PadBit;
using plat::core::PadButton;
using plat::core::PadReading;
using plat::core::PadSink;
using plat::core::ReadingOf;
using plat::core::XInputSlots;
using plat::core::XInputState;
namespace xinput = plat::core::xinput;

// Four slots, each empty, holding a pad, or failing with an error of its own;
// it counts how often each slot is asked.
struct ScriptedXInput {
    std::array<uint32_t, 4> Result{xinput::DeviceNotConnected, xinput::DeviceNotConnected, xinput::DeviceNotConnected,
                                   xinput::DeviceNotConnected};
    std::array<XInputState, 4> State{};
    std::array<int, 4> Asked{};

    XInputSlots::GetState Device() {
        return [this](uint32_t slot, XInputState* out) {
            EXPECT_LT(slot, 4u);
            ++Asked[slot];
            if (Result[slot] == xinput::Success) *out = State[slot];
            return Result[slot];
        };
    }
    void Plug(uint32_t slot, XInputState state) {
        Result[slot] = xinput::Success;
        State[slot] = state;
    }
    void Change(uint32_t slot, uint16_t buttons) {
        State[slot].Buttons = buttons;
        ++State[slot].Packet;
    }
};

// What reached the sink, in order.
struct Record {
    std::vector<std::pair<int32_t, PadReading>> Reads;
    std::vector<int32_t> Gone;
    PadSink Sink() {
        return PadSink{[this](int32_t pad, const PadReading& r) { Reads.emplace_back(pad, r); },
                       [this](int32_t pad) { Gone.push_back(pad); }};
    }
};

TEST(XInputReading, EachBitTriggerAndThumbMeansItsButtonOrAxisWithDownPositive) {
    const std::pair<uint16_t, PadButton> bits[] = {
        {0x0001, PadButton::Up},           {0x0002, PadButton::Down},
        {0x0004, PadButton::Left},         {0x0008, PadButton::Right},
        {0x0010, PadButton::Start},        {0x0020, PadButton::Back},
        {0x0040, PadButton::LeftStick},    {0x0080, PadButton::RightStick},
        {0x0100, PadButton::LeftShoulder}, {0x0200, PadButton::RightShoulder},
        {0x1000, PadButton::South},        {0x2000, PadButton::East},
        {0x4000, PadButton::West},         {0x8000, PadButton::North}};
    for (const auto& [bit, button] : bits) {
        XInputState s;
        s.Buttons = bit;
        EXPECT_EQ(ReadingOf(s).Buttons, PadBit(button)) << std::hex << bit;
    }
    XInputState unused;
    unused.Buttons = 0x0400 | 0x0800;  // no buttons of a pad
    EXPECT_EQ(ReadingOf(unused).Buttons, 0u);

    XInputState t;
    t.LeftTrigger = xinput::TriggerThreshold;  // resting on it is not a press
    t.RightTrigger = xinput::TriggerThreshold + 1;
    EXPECT_EQ(ReadingOf(t).Buttons, PadBit(PadButton::RightTrigger));

    XInputState a;
    a.ThumbLX = 32767;
    a.ThumbLY = 32767;  // pushed up
    a.ThumbRX = -32768;
    a.ThumbRY = -16384;
    const PadReading r = ReadingOf(a);
    EXPECT_FLOAT_EQ(r.LeftX, 1.0f);
    EXPECT_FLOAT_EQ(r.LeftY, -1.0f);
    EXPECT_FLOAT_EQ(r.RightX, -1.0f);
    EXPECT_NEAR(r.RightY, 0.5f, 1e-4);
}

TEST(XInputSlotsPoll, EmptySlotsAreAskedOnceASecondAndAPadPluggedInIsReadAtEveryLook) {
    ScriptedXInput device;
    Record record;
    XInputSlots slots;
    uint64_t now = 0;
    auto run = [&](uint64_t micros) {
        for (uint64_t end = now + micros; now < end; now += 1000) slots.Poll(device.Device(), now, true, record.Sink());
    };
    run(2000000);
    for (int asked : device.Asked) EXPECT_EQ(asked, 2);  // at 0 and 1 s, not at every look
    EXPECT_TRUE(record.Reads.empty());

    XInputState pad;
    pad.Packet = 1;
    pad.Buttons = 0x1000;
    device.Plug(2, pad);
    run(1000000);
    ASSERT_EQ(record.Reads.size(), 1u);  // found within the second
    EXPECT_EQ(record.Reads[0].first, 2);
    EXPECT_EQ(record.Reads[0].second.Buttons, PadBit(PadButton::South));
    EXPECT_TRUE(slots.Holds(2));
    const int before = device.Asked[2];
    run(100000);
    EXPECT_EQ(device.Asked[2] - before, 100);  // asked at every look now
    EXPECT_EQ(record.Reads.size(), 1u);        // the same packet: nothing new

    device.Change(2, 0x0010);
    run(1000);
    ASSERT_EQ(record.Reads.size(), 2u);
    EXPECT_EQ(record.Reads[1].second.Buttons, PadBit(PadButton::Start));

    // Unplugged: let go of once, then asked only now and then again.
    device.Result[2] = xinput::DeviceNotConnected;
    run(1000);
    EXPECT_EQ(record.Gone, std::vector<int32_t>{2});
    const int unplugged = device.Asked[2];
    run(500000);
    EXPECT_EQ(device.Asked[2], unplugged);
    EXPECT_FALSE(slots.Holds(2));
}

TEST(XInputSlotsPoll, APadBehindRestsAFailingSlotIsLetGoAndForgetLetsGoOfAll) {
    ScriptedXInput device;
    Record record;
    XInputSlots slots;
    XInputState pad;
    pad.Packet = 7;
    pad.Buttons = 0x8000;
    pad.ThumbLX = 20000;
    device.Plug(0, pad);
    device.Plug(3, pad);
    slots.Poll(device.Device(), 0, true, record.Sink());
    ASSERT_EQ(record.Reads.size(), 2u);

    // Behind another window: one rest reading each, and no asking.
    record.Reads.clear();
    const auto asked = device.Asked;
    for (uint64_t t = 1000; t <= 5000; t += 1000) slots.Poll(device.Device(), t, false, record.Sink());
    ASSERT_EQ(record.Reads.size(), 2u);
    for (const auto& [id, r] : record.Reads) {
        EXPECT_EQ(r.Buttons, 0u) << id;
        EXPECT_EQ(r.LeftX, 0.0f) << id;
    }
    EXPECT_EQ(device.Asked, asked);
    // In front again, the pads read as they stand, though their packets did not move.
    record.Reads.clear();
    slots.Poll(device.Device(), 6000, true, record.Sink());
    ASSERT_EQ(record.Reads.size(), 2u);
    EXPECT_EQ(record.Reads[0].second.Buttons, PadBit(PadButton::North));

    // A slot that fails with another error is let go of like an unplugged one.
    device.Result[0] = 5;  // ERROR_ACCESS_DENIED
    slots.Poll(device.Device(), 7000, true, record.Sink());
    EXPECT_EQ(record.Gone, std::vector<int32_t>{0});
    slots.Forget(record.Sink());
    EXPECT_EQ(record.Gone, (std::vector<int32_t>{0, 3}));
    EXPECT_FALSE(slots.Holds(3));
}

// Into the core's mapper, as the Windows back end wires it.
TEST(XInputSlotsPoll, ThePadInASlotPlaysTheGame) {
    plat::headless::Reset();
    ScriptedXInput device;
    XInputSlots slots;
    XInputState pad;
    pad.Packet = 1;
    pad.Buttons = 0x1010;  // A and Start
    device.Plug(1, pad);
    slots.Poll(device.Device(), 0, true, plat::core::CorePads());
    EXPECT_TRUE(plat::KeyDown(plat::Key::Enter));
    EXPECT_TRUE(plat::KeyDown(plat::Key::F1));
    EXPECT_EQ(plat::core::PlayingPad(), 1);
    slots.Forget(plat::core::CorePads());
    EXPECT_FALSE(plat::KeyDown(plat::Key::Enter));
    EXPECT_EQ(plat::core::PlayingPad(), -1);
    plat::headless::Reset();
}

}  // namespace
