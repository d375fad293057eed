// Gamepads: the mapping, and the core's one mapper that the back ends' pads
// go through.
#include "platform/gamepad.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/core_state.h"

namespace plat {
namespace core {
namespace pad {

double StickShare(float axis) {
    if (!std::isfinite(axis)) return 0;
    // Compared as the floats that pads report, so that 0.2 is still rest.
    const float tilt = std::fabs(axis);
    if (tilt <= static_cast<float>(DeadZone)) return 0;
    const double past =
        tilt >= static_cast<float>(FullTiltAt) ? 1.0 : (static_cast<double>(tilt) - DeadZone) / (FullTiltAt - DeadZone);
    const double share = std::pow(past, CurvePower);
    return axis < 0 ? -share : share;
}

double DpadShare(uint64_t heldMicros) {
    if (heldMicros <= DpadCreepMicros) return DpadCreepShare;
    const double ramp = static_cast<double>(heldMicros - DpadCreepMicros) / DpadRampMicros;
    return std::min(1.0, DpadCreepShare + (1 - DpadCreepShare) * ramp);
}

}  // namespace pad

namespace {

constexpr uint32_t AllButtons = (uint32_t{1} << PadButtonCount) - 1;

bool Holds(const PadReading& r, PadButton b) { return (r.Buttons & PadBit(b)) != 0; }

// A pad that acts: a button held, or a stick or the d-pad steering.
bool Acts(const PadReading& r) {
    return (r.Buttons & AllButtons) != 0 || pad::StickShare(r.LeftX) != 0 || pad::StickShare(r.RightX) != 0 ||
           pad::StickShare(r.LeftY) != 0 || pad::StickShare(r.RightY) != 0;
}

// Out-of-range numbers from a page or a driver are read as the nearest sane ones.
float Sane(float axis) { return std::isfinite(axis) ? std::clamp(axis, -1.0f, 1.0f) : 0.0f; }

}  // namespace

PadMapper::Pad* PadMapper::Find(int32_t id) {
    for (Pad& p : pads_)
        if (p.Id == id) return &p;
    return nullptr;
}

void PadMapper::Read(int32_t pad, const PadReading& reading) {
    Pad* p = Find(pad);
    if (p == nullptr) {
        if (pads_.size() >= pad::MostPads) return;
        pads_.push_back(Pad{pad, {}, true});
        p = &pads_.back();
    }
    p->Reading = PadReading{Sane(reading.LeftX), Sane(reading.LeftY), Sane(reading.RightX), Sane(reading.RightY),
                            reading.Buttons & AllButtons};
    p->Present = true;
}

void PadMapper::Gone(int32_t pad) {
    Pad* p = Find(pad);
    if (p != nullptr) p->Present = false;
}

bool PadMapper::Idle() const {
    return pads_.empty() && errand_.Now == Errand::Phase::None && !fed_.Button && !fed_.Enter && !fed_.F1 &&
           !fed_.Escape && !fed_.F5;
}

// The first pad that acts plays, and keeps playing until it is unplugged, so
// that several pads never fight over the paddle. Between games, on the
// title, a pad left at rest hands over to another that acts.
void PadMapper::ChoosePlayer(PlayState state) {
    pads_.erase(std::remove_if(pads_.begin(), pads_.end(), [](const Pad& p) { return !p.Present; }), pads_.end());
    Pad* current = Find(playing_);
    if (current != nullptr && (state != PlayState::Title || Acts(current->Reading))) return;
    for (const Pad& p : pads_) {
        if (p.Id == playing_ || !Acts(p.Reading)) continue;
        playing_ = p.Id;
        lastButtons_ = 0;  // the press that took the pad counts
        backLeaves_ = false;
        return;
    }
    if (current == nullptr) playing_ = -1;
}

// A give-up or leave asked for in the pause: once F1 is up (the Start that
// paused may still be held), tap it, which ends the pause, and hold the key
// that the game reads in play until the game leaves play.
void PadMapper::RunErrand(uint64_t now, PlayState state, bool startHeld) {
    Errand& e = errand_;
    if (e.Now == Errand::Phase::None) return;
    if (state == PlayState::Title || now - e.Started >= pad::HoldLimitMicros) {
        e.Now = Errand::Phase::None;
        return;
    }
    // The pause must read F1 up before the tap: up a tap's length, not one pump.
    const bool f1Free = !startHeld && !fed_.F1 && (f1UpAt_ == NeverUp || now - f1UpAt_ >= pad::TapMicros);
    if (e.Now == Errand::Phase::WaitForF1Free && f1Free) {
        e.Now = Errand::Phase::Tapping;
        e.Since = now;
    }
    if (e.Now == Errand::Phase::Tapping && now - e.Since >= pad::TapMicros) e.Now = Errand::Phase::Holding;
}

double PadMapper::SteeringShare(const PadReading& r, uint64_t now) {
    const int32_t way = (Holds(r, PadButton::Right) ? 1 : 0) - (Holds(r, PadButton::Left) ? 1 : 0);
    if (way != dpadWay_) dpadSince_ = now;
    dpadWay_ = way;
    double share = 0;
    for (double s : {pad::StickShare(r.LeftX), pad::StickShare(r.RightX), way * pad::DpadShare(now - dpadSince_)})
        if (std::fabs(s) > std::fabs(share)) share = s;
    return share;
}

void PadMapper::Advance(uint64_t nowMicros, PlayState state, bool steering, std::vector<InputEvent>* out) {
    const int32_t before = playing_;
    ChoosePlayer(state);
    // A pad steers for the time since the last look only if it played then too.
    const uint64_t step = before == playing_ && started_ ? std::min(nowMicros - last_, pad::LongestStepMicros) : 0;
    started_ = true;
    last_ = nowMicros;
    const Pad* player = Find(playing_);
    const PadReading reading = player != nullptr ? player->Reading : PadReading{};

    const uint32_t pressed = reading.Buttons & ~lastButtons_;
    lastButtons_ = reading.Buttons;
    const bool paused = state == PlayState::Paused;
    if (pressed & PadBit(PadButton::Back)) backLeaves_ = !paused;
    if (!Holds(reading, PadButton::Back)) backLeaves_ = false;
    if (paused && errand_.Now == Errand::Phase::None &&
        (pressed & (PadBit(PadButton::North) | PadBit(PadButton::Back)))) {
        errand_.Now = Errand::Phase::WaitForF1Free;
        errand_.Then = (pressed & PadBit(PadButton::North)) ? Key::F5 : Key::Escape;
        errand_.Started = nowMicros;
    }
    const bool startHeld = Holds(reading, PadButton::Start);
    RunErrand(nowMicros, state, startHeld);

    const bool tapping = errand_.Now == Errand::Phase::Tapping;
    const bool holding = tapping || errand_.Now == Errand::Phase::Holding;
    const bool south = Holds(reading, PadButton::South);
    const Outputs want{south, south, startHeld || tapping, backLeaves_ || (holding && errand_.Then == Key::Escape),
                       holding && errand_.Then == Key::F5};
    auto key = [&](bool Outputs::*which, Key k) {
        if (want.*which == fed_.*which) return;
        fed_.*which = want.*which;
        out->push_back(KeyEvent(k, fed_.*which));
    };
    if (fed_.F1 && !want.F1) f1UpAt_ = nowMicros;
    if (want.Button != fed_.Button) {
        fed_.Button = want.Button;
        out->push_back(ButtonEvent(0, fed_.Button));
    }
    key(&Outputs::Enter, Key::Enter);
    key(&Outputs::F1, Key::F1);
    key(&Outputs::Escape, Key::Escape);
    key(&Outputs::F5, Key::F5);

    // The stick is a speed: the paddle moves by it for the time that passed.
    // Only in play: motion kept from the title or a pause would throw the
    // paddle aside when play reads it.
    const double share = steering && state == PlayState::Playing ? SteeringShare(reading, nowMicros) : 0;
    if (share == 0) {
        owed_ = 0;
        if (!steering || state != PlayState::Playing) dpadWay_ = 0;
        return;
    }
    if ((share < 0) != (owed_ < 0)) owed_ = 0;  // what was owed one way is no push the other
    // In millionths of a pixel: a second of full tilt comes to its pixels exactly.
    owed_ += std::llround(share * pad::FullTiltSpeed * static_cast<double>(step));
    const int64_t whole = owed_ / 1000000;  // towards zero: the rest stays owed
    if (whole == 0) return;
    owed_ -= whole * 1000000;
    out->push_back(MotionEvent(static_cast<int32_t>(whole), 0));
}

// --- The core's mapper ---------------------------------------------------------------

namespace {

PadMapper mapper;
PlayState (*playStateSource)() = nullptr;
std::vector<InputEvent> padEvents;

}  // namespace

void PadRead(int32_t pad, const PadReading& reading) { mapper.Read(pad, reading); }

void PadGone(int32_t pad) { mapper.Gone(pad); }

int32_t PlayingPad() { return mapper.Playing(); }

namespace detail {

void AdvancePads() {
    if (mapper.Idle()) return;
    const PlayState state = playStateSource != nullptr ? playStateSource() : PlayState::Playing;
    padEvents.clear();
    mapper.Advance(backend::NowMicros(), state, Flags().MouseAcquired, &padEvents);
    for (const InputEvent& e : padEvents) Feed(e);
}

void ClearPads() {
    mapper = PadMapper{};
    playStateSource = nullptr;
}

}  // namespace detail
}  // namespace core

void SetPlayStateSource(PlayState (*source)()) { core::playStateSource = source; }

}  // namespace plat
