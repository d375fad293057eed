#include "shell/devices.h"

#include <cstdio>
#include <string>

#include "gfx/assets.h"
#include "gfx/bitmap.h"
#include "gfx/sheet_map.h"
#include "sound/voice.h"

bool DDrawObject = false;
bool DSoundObject = false;
bool PrimarySoundBuffer = false;
bool DInputObject = false;
bool MouseDevice = false;

std::string SetupFailure;
bool RoundPicturesAtSetup = true;

namespace {

constexpr int32_t ScreenWidth = 800;
constexpr int32_t ScreenHeight = 600;
// The art is made for surfaces of the screen's size, but the intro's sheet
// is wider.
constexpr int32_t ShipsWidth = sheets::ShipsSurfaceWidth;
static_assert(sheets::SurfaceWidth == ScreenWidth && sheets::SurfaceHeight == ScreenHeight);
constexpr int RoundPictureCount = 11;

struct OffscreenSurface {
    plat::Surface** Target;
    int32_t Width;
};

// Creation order.
const OffscreenSurface Inventory[] = {
    {&ElementsSurface, ScreenWidth}, {&BElementsSurface, ScreenWidth}, {&BackdropSurface, ScreenWidth},
    {&RoundArtSurface, ScreenWidth}, {&ShipsSurface, ShipsWidth},      {&TitlesSurface, ScreenWidth},
    {&CloudsSurface, ScreenWidth},
};

struct ArtFile {
    const char* FileName;
    plat::Surface** Target;
    int32_t Width;
};

const ArtFile Art[] = {
    {"ELEMENTS.DAT", &ElementsSurface, ScreenWidth}, {"BELEMNTS.DAT", &BElementsSurface, ScreenWidth},
    {"TITLES.DAT", &TitlesSurface, ScreenWidth},     {"CLOUDS.DAT", &CloudsSurface, ScreenWidth},
    {"SHIPS1.DAT", &ShipsSurface, ShipsWidth},
};

bool Fail(const std::string& step, const std::string& why) {
    SetupFailure = step + ": " + why;
    return false;
}

bool Required(bool ok, const char* step) { return ok || Fail(step, plat::LastError()); }

void Warn(const std::string& text) { std::fprintf(stderr, "qorb: warning: %s\n", text.c_str()); }

// Loads a picture into `image` and checks that it is a 16- or 24-bit
// picture of the size its surface needs; an 8-bit one would upload garbage.
bool LoadArt(BmpImage& image, const char* fileName, int32_t width, std::string* why) {
    const std::string path = AssetPath(fileName);
    if (!LoadBmp(image, path.c_str(), why)) return false;
    const BitmapInfoHeader& info = image.InfoHeader;
    if (info.BitCount == 8 || info.Width != width || info.Height != ScreenHeight) {
        *why = path + ": is " + std::to_string(info.Width) + " x " + std::to_string(info.Height) + " at " +
               std::to_string(info.BitCount) + " bits, not a 16- or 24-bit picture of " + std::to_string(width) +
               " x " + std::to_string(ScreenHeight);
        FreeBmp(image);
        return false;
    }
    return true;
}

bool SetupDisplay() {
    if (!Required(plat::DisplayCreate(), "opening the display")) return false;
    DDrawObject = true;
    if (!Required(plat::DisplaySetCooperativeLevel(), "taking the display")) return false;
    if (!Required(plat::DisplaySetMode(ScreenWidth, ScreenHeight, 16), "setting the 800 x 600 x 16 mode")) return false;
    if (!Required(plat::DisplayCreatePrimary(&PrimarySurface), "creating the flip chain")) return false;
    plat::DisplayGetBackBuffer(&BackBuffer);
    plat::DisplayGetPixelFormat(&DisplayPixelFormat);
    for (const OffscreenSurface& s : Inventory)
        if (!Required(plat::DisplayCreateSurface(s.Width, ScreenHeight, s.Target), "creating an off-screen surface"))
            return false;
    return true;
}

bool SetupArt() {
    std::string searched;
    if (!FindAssetFolder(&searched))
        return Fail("finding the art", std::string(Art[0].FileName) + " is in none of: " + searched);
    std::string why;
    for (const ArtFile& a : Art) {
        if (!LoadArt(AssetImage, a.FileName, a.Width, &why)) return Fail("loading the art", why);
        UploadImage(AssetImage, *a.Target, static_cast<uint32_t>(a.Width) * 2);
        FreeBmp(AssetImage);
    }
    // The rounds load these later; a broken one should stop the game now,
    // not blank a round halfway through a game.
    for (int n = 1; RoundPicturesAtSetup && n <= RoundPictureCount; ++n) {
        const std::string name = "LEVEL" + std::to_string(n) + ".GRA";
        BmpImage check;
        if (!LoadArt(check, name.c_str(), ScreenWidth, &why)) return Fail("checking the round pictures", why);
    }
    return true;
}

void SetupSound() {
    const char* failed = nullptr;
    if (!plat::SoundCreate()) {
        failed = "opening the sound device";
    } else {
        DSoundObject = true;
        if (!plat::SoundSetCooperativeLevel()) {
            failed = "taking the sound device";
        } else if (!plat::SoundCreatePrimaryBuffer()) {
            failed = "creating the primary sound buffer";
        } else {
            PrimarySoundBuffer = true;
            plat::SoundSetFormat(plat::SoundRate, 2, 16);
        }
    }
    if (failed != nullptr) {
        Warn(std::string(failed) + " failed (" + plat::LastError() + "); playing without sound");
        plat::SoundRelease();
        PrimarySoundBuffer = false;
        DSoundObject = plat::SoundCreateSilent();
    }
    std::string why;
    for (const VoiceFile& v : VoiceInventory)
        if (!LoadVoice(AssetPath(v.FileName).c_str(), *v.Target, v.ByteBudget, &why))
            Warn(why + "; that sound stays silent");
}

bool SetupInput() {
    if (!Required(plat::InputCreate(), "opening the input devices")) return false;
    DInputObject = true;
    if (!Required(plat::MouseCreate(), "opening the mouse")) return false;
    MouseDevice = true;
    if (!Required(plat::MouseSetCooperativeLevel(), "sharing the mouse")) return false;
    if (!Required(plat::MouseSetDataFormat(), "setting the mouse format")) return false;
    return Required(plat::MouseAcquire(), "acquiring the mouse");
}

}  // namespace

bool SetupDevices() {
    SetupFailure.clear();
    if (!SetupDisplay() || !SetupArt()) return false;
    SetupSound();
    return SetupInput();
}

void ShutdownDevices() {
    FreeBmp(AssetImage);
    for (plat::Surface** s :
         {&RoundArtSurface, &BackdropSurface, &BElementsSurface, &ElementsSurface, &BackBuffer, &PrimarySurface}) {
        if (*s != nullptr) plat::ReleaseSurface(*s);
        *s = nullptr;
    }
    if (DDrawObject) plat::DisplayRelease();  // takes the ships, titles and clouds with it
    DDrawObject = false;
    ShipsSurface = TitlesSurface = CloudsSurface = nullptr;
    if (DSoundObject) plat::SoundRelease();  // and the voices with it
    DSoundObject = PrimarySoundBuffer = false;
    for (const VoiceFile& v : VoiceInventory) *v.Target = Voice{};
    if (MouseDevice) {
        plat::MouseUnacquire();
        plat::MouseRelease();
    }
    MouseDevice = false;
    if (DInputObject) plat::InputRelease();
    DInputObject = false;
}
