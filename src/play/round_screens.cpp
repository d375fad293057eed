#include "play/round_screens.h"

#include "gfx/sheet_map.h"
#include "gfx/surface_copy.h"
#include "platform/platform.h"
#include "play/play_globals.h"
#include "sound/voice.h"

char TitleMusicPending = AtStart::TitleMusicPending;
char TitleZoomPending = AtStart::TitleZoomPending;

namespace {

constexpr int32_t BannerX = 206, BannerY = 440;
constexpr int32_t GlyphY = 440;
constexpr int32_t FirstGlyphX = 450;

void DrawGlyph(int32_t slot, int32_t x) {
    const sheets::Rect glyph = sheets::GlyphSlots.Frame(slot);
    CopyRect(glyph.X, glyph.Y, x, GlyphY, glyph.W, glyph.H, SourceBElements, 1);
}

void WaitForF1(bool down) {
    while (plat::KeyDown(plat::Key::F1) != down) plat::Idle();
}

}  // namespace

void ShowRoundAnnouncement(int32_t round) {
    constexpr sheets::Rect banner = sheets::RoundBanner;
    CopyRect(banner.X, banner.Y, BannerX, BannerY, banner.W, banner.H, SourceBElements, 1);
    if (round < 0) {
        // No round is numbered below 0; its slot would lie off the sheet.
    } else if (round <= 9) {
        DrawGlyph(round, FirstGlyphX);
    } else if (round <= 19) {
        DrawGlyph(1, FirstGlyphX);
        // Slot 0 overlaps the left wall on the sheet; slot 10 shows the same digit.
        DrawGlyph(round == 10 ? 10 : round - 10, 480);
    } else if (round <= 29) {
        // KEEP AS DESIGNED: the second digit of rounds 20 to 29 comes from slots 10 to 19.
        DrawGlyph(2, FirstGlyphX);
        DrawGlyph(round - 10, 490);
    }
    PresentFrame();
    StartVoice(VoiceFanfare);
    WaitVoice(VoiceFanfare);
    PresentFrame();
    CopyRect(BannerX, BannerY, BannerX, BannerY, 319, 35, SourceBackdrop, 0);
}

void PauseUntilF1Tapped() {
    WaitForF1(false);
    WaitForF1(true);
    WaitForF1(false);
}

void ShowGameOver() {
    StartVoice(VoiceGameOver);
    ClearScreen(ClearBackBuffer);
    ClearScreen(ClearPrimary);
    constexpr sheets::Rect picture = sheets::GameOverPicture;
    CopyRect(picture.X, picture.Y, 174, 164, picture.W, picture.H, SourceBElements, 0);
    PresentFrame();
    WaitVoice(VoiceGameOver);
    TitleZoomPending = 1;
    TitleMusicPending = 1;
    NewGamePending = 1;
    Lives = 0;
}
