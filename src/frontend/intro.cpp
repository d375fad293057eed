#include "frontend/intro.h"

#include <algorithm>
#include <cstdint>

#include "gfx/screen_map.h"
#include "gfx/sheet_map.h"
#include "gfx/surface_copy.h"
#include "gfx/surfaces.h"
#include "gfx/timing.h"
#include "platform/platform.h"
#include "sound/voice.h"

namespace {

// The pictures come from the intro's sheet in ShipsSurface, the sky from
// CloudsSurface.
constexpr int PanelFrameCount = sheets::PanelFrames.Count;

constexpr int32_t Opaque = 0;
constexpr int32_t Keyed = 1;

// ---------------------------------------------------------------------------
// The script's timing

struct Phase {
    int Steps;
    uint32_t StepMs;
    bool ChecksEnter;
};

constexpr uint32_t OpeningMs = 40;
constexpr Phase Glide{120, 45, true};
constexpr Phase CaptionGrows{22, 45, true};
constexpr Phase PanelOpens{PanelFrameCount, 75, true};
constexpr Phase CraftFlies{38, 10, true};
constexpr Phase HatchOpens{6, 85, true};
constexpr Phase LightsShine{6, 85, true};
constexpr Phase PanelCloses{PanelFrameCount, 75, true};
constexpr Phase CaptionFolds{46, 45, true};
// KEEP AS DESIGNED: the finale cannot be cut short; only the wait after it.
constexpr Phase Finale{70, 45, false};

bool EnterDown() { return plat::KeyDown(plat::Key::Enter); }

// Runs the steps of a phase, each lasting at least its time; false when Enter
// cut the intro short at the start of a step.
template <typename Body>
bool RunSteps(const Phase& phase, Body&& body) {
    for (int step = 0; step < phase.Steps; ++step) {
        StartTimer();
        if (phase.ChecksEnter && EnterDown()) return false;
        body(step);
        WaitSince(phase.StepMs);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Drawing

void Draw(const sheets::Rect& image, int32_t x, int32_t y, int32_t keyed) {
    CopyRect(image.X, image.Y, x, y, image.W, image.H, SourceShips, keyed);
}

void Erase(int32_t x, int32_t y, int32_t width, int32_t height) {
    CopyRect(x, y, x, y, width, height, SourceClouds, Opaque);
}

// The whole picture scaled into `to`; a rectangle without height draws nothing.
void Stretch(const sheets::Rect& image, const plat::Rect& to) {
    plat::BlitStretch(BackBuffer, to, ShipsSurface, plat::RectAt(image.X, image.Y, image.W, image.H));
}

// ---------------------------------------------------------------------------
// The captions at the top: one at a time unfolds from its centre line, stays
// a while and folds away.

struct CaptionRule {
    int Cap;     // the half-height it grows to at most
    int FoldAt;  // the step count at which it turns to fold
};

constexpr CaptionRule GlideCaptions{27, 70};
constexpr CaptionRule SecondCaptionRule{49, 90};

constexpr int32_t CaptionCentreY = 60;
constexpr int32_t FirstCaptionLeft = 70;
constexpr int32_t SecondCaptionLeft = 8;

constexpr int FirstCaptionIndex = 0;
constexpr int SecondCaptionIndex = 1;

struct CaptionState {
    int HalfHeight = 0;
    int Steps = 0;
    int Index = FirstCaptionIndex;
    int Unfolding = 1;

    void Update(const CaptionRule& rule) {
        if (Unfolding == 1) {
            ++Steps;
            HalfHeight = std::min(HalfHeight + 1, rule.Cap);
            // KEEP AS DESIGNED: the turning step counts twice and already shrinks.
            if (Steps == rule.FoldAt) Unfolding = 0;
        }
        if (Unfolding == 0) {
            ++Steps;
            --HalfHeight;
            if (HalfHeight < 0) {
                ++Index;
                HalfHeight = 0;
                Unfolding = 1;
            }
        }
    }
};

void StretchCaption(const sheets::Rect& caption, int32_t left, int32_t halfHeight) {
    // The stretch does not use the key, but the sheet's key is set before it
    // as before every copy from the sheet.
    plat::SetColorKey(ShipsSurface, 0, 0);
    Stretch(caption, plat::Rect{left, CaptionCentreY - halfHeight, left + caption.W, CaptionCentreY + halfHeight});
}

void StretchSecondCaption(int32_t halfHeight) { StretchCaption(sheets::SecondCaption, SecondCaptionLeft, halfHeight); }

// The areas wiped behind the first and second captions.
void EraseFirstCaption() { Erase(70, 33, 608, 66); }
// KEEP AS DESIGNED: one column left of the caption, whose last column it never wipes.
void EraseSecondCaption() { Erase(7, 23, 783, 98); }

// ---------------------------------------------------------------------------
// The phases; each returns false when Enter cut the intro short.

constexpr int32_t GlideFirstX = 50;
constexpr int32_t GlideStartY = 300;
constexpr int32_t GlideRiseEvery = 9;  // x multiple at which the ship rises a pixel
constexpr int32_t ShipRestX = screen::ShipRest.X, ShipRestY = screen::ShipRest.Y;

void Open() {
    while (EnterDown()) plat::Idle();  // the Enter that opened the intro
    StartTimer();
    WaitSince(OpeningMs);
    StartVoice(VoiceShips);
    // The whole sky, to the same place on the screen.
    constexpr sheets::Rect sky = sheets::IntroSky;
    Erase(sky.X, sky.Y, sky.W, sky.H);
    PresentFrame();
    Erase(sky.X, sky.Y, sky.W, sky.H);
}

bool GlideIn(CaptionState& caption) {
    int32_t y = GlideStartY;
    return RunSteps(Glide, [&](int step) {
        const int32_t x = GlideFirstX + step;
        if (x % GlideRiseEvery == 0) --y;
        Draw(sheets::Ship, x, y, Keyed);
        if (caption.Index == FirstCaptionIndex)
            StretchCaption(sheets::FirstCaption, FirstCaptionLeft, caption.HalfHeight);
        else if (caption.Index == SecondCaptionIndex)
            StretchSecondCaption(caption.HalfHeight);
        caption.Update(GlideCaptions);
        PresentFrame();
        // KEEP AS DESIGNED: wiped where it now stands, one pixel on from where this buffer drew it.
        Erase(x, y, sheets::Ship.W, sheets::Ship.H);
        if (caption.Index == FirstCaptionIndex)
            EraseFirstCaption();
        else if (caption.Index == SecondCaptionIndex)
            EraseSecondCaption();
    });
}

bool GrowSecondCaption(CaptionState& caption) {
    int32_t lastDrawn = caption.HalfHeight;
    const bool finished = RunSteps(CaptionGrows, [&](int) {
        lastDrawn = caption.HalfHeight;
        StretchSecondCaption(lastDrawn);
        caption.Update(SecondCaptionRule);
        PresentFrame();
        if (caption.Index == SecondCaptionIndex) EraseSecondCaption();
    });
    if (finished) StretchSecondCaption(lastDrawn);  // so that both buffers hold the same
    return finished;
}

constexpr int32_t PanelX = screen::BriefingPanel.X, PanelY = screen::BriefingPanel.Y;

bool OpenPanel() {
    if (!RunSteps(PanelOpens, [](int step) {
            Draw(sheets::PanelFrames.Frame(step), PanelX, PanelY, Opaque);
            PresentFrame();
        }))
        return false;
    Draw(sheets::PanelRest, PanelX, PanelY, Opaque);
    PresentFrame();
    Draw(sheets::PanelRest, PanelX, PanelY, Opaque);
    return true;
}

bool FlyCraft() {
    int32_t x = 200, y = 205;
    return RunSteps(CraftFlies, [&](int step) {
        Draw(sheets::Craft, x + 5, y + 5, Keyed);
        PresentFrame();
        // KEEP AS DESIGNED: wiped at the new place, which misses rows of the craft this buffer drew.
        Erase(x, y, 24, 23);
        x += 5;
        if (step % 2 == 1) y += 4;
    });
}

constexpr int32_t HatchX = screen::LaunchRing.X, HatchY = screen::LaunchRing.Y;

bool OpenHatch() {
    return RunSteps(HatchOpens, [](int step) {
        Draw(sheets::HatchFrames.Frame(step), HatchX, HatchY, Opaque);
        PresentFrame();
    });
}

bool ShineLights() {
    return RunSteps(LightsShine, [](int step) {
        Draw(sheets::LightFrames.Frame(step), HatchX, HatchY, Opaque);
        PresentFrame();
        Draw(sheets::LightFrames.Frame(step), HatchX, HatchY, Opaque);
    });
}

bool ClosePanel() {
    if (!RunSteps(PanelCloses, [](int step) {
            Draw(sheets::PanelFrames.Frame(PanelFrameCount - 1 - step), PanelX, PanelY, Opaque);
            PresentFrame();
        }))
        return false;
    Erase(PanelX, PanelY, sheets::PanelRest.W, sheets::PanelRest.H);
    PresentFrame();
    Erase(PanelX, PanelY, sheets::PanelRest.W, sheets::PanelRest.H);
    return true;
}

bool FoldSecondCaption(CaptionState& caption) {
    caption.Unfolding = 0;
    return RunSteps(CaptionFolds, [&](int) {
        StretchSecondCaption(caption.HalfHeight);
        caption.Update(SecondCaptionRule);
        PresentFrame();
        // Taller than the other wipes: the caption stands at its full 45 here.
        if (caption.Index == SecondCaptionIndex) Erase(7, 14, 784, 104);
    });
}

// The third caption unfolds and stays while a far craft flies up and away,
// shrinking until nothing of it is drawn.
void PlayFinale(int32_t startHalfHeight) {
    constexpr int32_t ThirdCaptionLeft = 80, ThirdCaptionCentreY = 50;
    constexpr int32_t ThirdCaptionCap = 49;
    constexpr int GrowSteps = 26;
    constexpr int ShrinkEvery = 4;
    int32_t g = startHalfHeight;
    bool growing = true;
    int32_t p = 320, w = sheets::FarCraft.W, t = sheets::FarCraft.H;
    RunSteps(Finale, [&](int step) {
        const int count = step + 1;
        Stretch(sheets::ThirdCaption, plat::Rect{ThirdCaptionLeft, ThirdCaptionCentreY - g,
                                                 ThirdCaptionLeft + sheets::ThirdCaption.W, ThirdCaptionCentreY + g});
        Stretch(sheets::FarCraft, plat::Rect{p + 79, p, p + 79 + w, p + t});
        --p;
        if (count % ShrinkEvery == 0) {
            w -= 3;
            t -= 1;
        }
        if (growing) g = std::min(g + 1, ThirdCaptionCap);
        if (count == GrowSteps) growing = false;
        PresentFrame();
        EraseSecondCaption();
        Erase(p + 81, p + 2, w + 3, t + 2);
    });
}

void WaitForMusic() {
    if (VoiceShips.Buffer == nullptr) return;
    while (plat::SoundStatus(VoiceShips.Buffer) == plat::SoundStatusPlaying) {
        if (EnterDown()) return;
        plat::Idle();
    }
}

}  // namespace

void PlayIntro() {
    Open();
    CaptionState caption;
    if (!GlideIn(caption)) return;
    Draw(sheets::Ship, ShipRestX, ShipRestY, Keyed);  // so that both buffers hold it
    if (!GrowSecondCaption(caption) || !OpenPanel() || !FlyCraft() || !OpenHatch() || !ShineLights() || !ClosePanel() ||
        !FoldSecondCaption(caption))
        return;
    PlayFinale(caption.HalfHeight);
    WaitForMusic();
}
