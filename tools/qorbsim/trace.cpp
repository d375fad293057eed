#include "trace.h"

#include <cstdio>

#include "platform/headless/headless.h"
#include "play/ball.h"
#include "play/ball_collision.h"
#include "play/capsules.h"
#include "play/lasers.h"
#include "play/paddle.h"
#include "play/play_globals.h"
#include "play/play_report.h"
#include "play/round_loop.h"
#include "play/round_screens.h"
#include "play/status_panel.h"
#include "shell/entry.h"
#include "sound/voice.h"

namespace {

// Builds one object; floats with nine significant digits read back exactly.
class Json {
public:
    Json& Int(const char* key, int64_t v) { return Raw(key, std::to_string(v)); }
    Json& Float(const char* key, double v) {
        char text[32];
        std::snprintf(text, sizeof text, "%.9g", v);
        return Raw(key, text);
    }
    Json& Field(const char* key, float v) { return Float(key, v); }
    Json& Field(const char* key, int32_t v) { return Int(key, v); }
    Json& Field(const char* key, char v) { return Int(key, v); }
    Json& Raw(const char* key, const std::string& value) {
        text_ += (text_.size() > 1 ? "," : "") + std::string("\"") + key + "\":" + value;
        return *this;
    }
    std::string Done() { return text_ + "}"; }

private:
    std::string text_ = "{";
};

std::string BallObject() {
    return Json()
        .Float("SpeedX", TheBall.SpeedX)
        .Float("SpeedY", TheBall.SpeedY)
        .Int("DirX", TheBall.DirX)
        .Int("DirY", TheBall.DirY)
        .Done();
}

std::string PaddleObject() {
    return Json()
        .Int("PaddleFrame", ThePaddle.PaddleFrame)
        .Int("PaddleKind", ThePaddle.PaddleKind)
        .Int("CatchArmed", ThePaddle.CatchArmed)
        .Int("PaddleMorph", ThePaddle.PaddleMorph)
        .Done();
}

std::string LaserObject(const LaserPair& p) {
    return Json()
        .Int("Active", p.Active)
        .Int("X", p.X)
        .Int("LeftHeight", p.LeftHeight)
        .Int("RightHeight", p.RightHeight)
        .Done();
}

std::string MouseValue(const PlayFrameReport& r) {
    switch (r.Mouse) {
        case PlayFrameReport::MouseRead::None: return "null";
        case PlayFrameReport::MouseRead::Failed: return "\"failed\"";
        case PlayFrameReport::MouseRead::Read: break;
    }
    return Json().Int("lX", r.MouseX).Int("Button", r.Button).Done();
}

std::string KeysValue(const PlayFrameReport& r) {
    std::string keys;
    auto add = [&keys](bool down, const char* name) {
        if (down) keys += (keys.empty() ? "\"" : ",\"") + std::string(name) + "\"";
    };
    add(r.Escape, "Escape");
    add(r.F1, "F1");
    add(r.F5, "F5");
    return "[" + keys + "]";
}

std::string Hex(uint64_t hash) {
    char text[24];
    std::snprintf(text, sizeof text, "\"%016llx\"", static_cast<unsigned long long>(hash));
    return text;
}

TraceWriter* listening = nullptr;

}  // namespace

uint64_t PageHash(const plat::Surface& surface) {
    constexpr uint64_t Basis = 0xcbf29ce484222325u, Prime = 0x100000001b3u;
    uint64_t lanes[4] = {Basis, Basis, Basis, Basis};
    for (int32_t y = 0; y < surface.Height; ++y) {
        const uint16_t* row = surface.Words.data() + static_cast<size_t>(y) * surface.PitchWords;
        int32_t x = 0;
        for (; x + 16 <= surface.Width; x += 16)
            for (int lane = 0; lane < 4; ++lane) {
                const uint16_t* w = row + x + 4 * lane;
                const uint64_t four = w[0] | uint64_t{w[1]} << 16 | uint64_t{w[2]} << 32 | uint64_t{w[3]} << 48;
                lanes[lane] = (lanes[lane] ^ four) * Prime;
            }
        for (; x < surface.Width; ++x) lanes[0] = (lanes[0] ^ row[x]) * Prime;
    }
    uint64_t hash = Basis;
    for (uint64_t lane : lanes) hash = (hash ^ lane) * Prime;
    return hash;
}

void TraceWriter::Listen() {
    listening = this;
    PlayFrameStarting = [] {
        listening->voices_.clear();
        listening->screens_.clear();
    };
    VoiceObserver = [](VoiceOp op, const Voice& voice) {
        std::string& v = listening->voices_;
        v += (v.empty() ? "[\"" : ",[\"") + std::string(VoiceOpName(op)) + "\",\"" + VoiceName(voice) + "\"]";
    };
    plat::headless::SetFlipObserver(
        [](uint64_t) { listening->screens_.push_back(PageHash(*plat::headless::Primary())); });
}

void TraceWriter::Snapshot() {
    for (int c = 0; c < FieldColumns; ++c)
        for (int r = 0; r < FieldRows; ++r) strengths_[c][r] = BrickField[c][r].Strength;
}

std::string TraceWriter::Line(uint64_t call, uint64_t ms, int32_t result) {
    const PlayFrameReport& r = LastPlayFrame;
    std::string bricks;
    for (int c = 0; c < FieldColumns; ++c)
        for (int row = 0; row < FieldRows; ++row) {
            const double now = BrickField[c][row].Strength;
            const bool built = r.RoundBuilt && now > 0;
            if (now == strengths_[c][row] && !built) continue;
            char cell[64];
            std::snprintf(cell, sizeof cell, "[%d,%d,%.9g]", c, row, now);
            bricks += (bricks.empty() ? "" : ",") + std::string(cell);
        }
    Snapshot();

    Json line;
    line.Int("call", static_cast<int64_t>(call)).Int("t", static_cast<int64_t>(ms)).Int("ret", result);
#define QORB_TRACE_SCALAR(type, name, value, traced) \
    if (traced) line.Field(#name, name);
#define QORB_NO_RECORD(type, name)
    QORB_PLAY_GLOBALS(QORB_TRACE_SCALAR, QORB_NO_RECORD)
#undef QORB_TRACE_SCALAR
#undef QORB_NO_RECORD
    line.Raw("Ball", BallObject())
        .Raw("Paddle", PaddleObject())
        .Raw("Capsule", Json().Int("Kind", TheCapsule.Kind).Done())
        .Raw("LaserPairs", "[" + LaserObject(LaserPairA) + "," + LaserObject(LaserPairB) + "]")
        .Int("HitColumn", r.HitColumn)
        .Int("HitRow", r.HitRow)
        .Int("BrickBroken", r.BrickBroken)
        .Int("CapsuleCaught", r.CapsuleCaught);
    if (r.Seeded) line.Int("Seeded", r.SeedTime);
    if (r.RoundForced) line.Int("ForcedRound", ForcedStartRound);
    line.Raw("Mouse", MouseValue(r)).Raw("Keys", KeysValue(r)).Raw("Bricks", "[" + bricks + "]");
    std::string screens;
    for (uint64_t hash : screens_) screens += (screens.empty() ? "" : ",") + Hex(hash);
    line.Raw("Voices", "[" + voices_ + "]").Raw("Screen", "[" + screens + "]");
    const plat::Surface* back = plat::headless::Back();
    line.Raw("Back", back != nullptr ? Hex(PageHash(*back)) : "null");
    voices_.clear();
    screens_.clear();
    return line.Done();
}
