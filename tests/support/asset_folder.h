// A complete folder of small, recognisable art and voices, made once per
// test run, and a fixture that sets the game up on it headless.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "gfx/pixel_packing.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "shell/devices.h"
#include "support/bitmap_files.h"
#include "support/voice_files.h"

namespace testing_support {

// The title picture encodes its column in red and blue and its row in green.
inline Rgb TitlePixel(int x, int y) {
    return Rgb{static_cast<uint8_t>((x & 31) << 3 | 4), static_cast<uint8_t>((y & 31) << 3 | 4),
               static_cast<uint8_t>((x >> 5) << 3 | 4)};
}

// Every other picture is one flat colour of its own.
inline Rgb FlatPixel(int index) {
    return Rgb{static_cast<uint8_t>(40 + 10 * index), static_cast<uint8_t>(200 - 10 * index), 128};
}

// Voices last 50 ms, the title music 5 s and the intro music 1 s.
inline uint32_t VoiceFrames(const std::string& name) {
    if (name == "titles.voc") return 220500;
    if (name == "ships1.voc") return 44100;
    return 2205;
}

inline const std::filesystem::path& AssetFolderForTests() {
    // Made once for all test processes: written aside, then renamed into place.
    static const std::filesystem::path dir = [] {
        const auto root = std::filesystem::temp_directory_path() / "qorb-tests";
        const auto done = root / "assets-v2";
        if (std::filesystem::exists(done / "bonus.voc")) return done;
        const auto d = root / ("assets-making-" + std::to_string(::getpid()));
        std::filesystem::remove_all(d);
        std::filesystem::create_directories(d);
        const char* flat[] = {"ELEMENTS.DAT", "BELEMNTS.DAT", "CLOUDS.DAT"};
        for (int i = 0; i < 3; ++i) WriteFile(d / flat[i], MakeBmp24(800, 600, [i](int, int) { return FlatPixel(i); }));
        WriteFile(d / "TITLES.DAT", MakeBmp24(800, 600, TitlePixel));
        WriteFile(d / "SHIPS1.DAT", MakeBmp24(1424, 600, [](int, int) { return FlatPixel(3); }));
        for (int n = 1; n <= 11; ++n)
            WriteFile(d / ("LEVEL" + std::to_string(n) + ".GRA"),
                      MakeBmp24(800, 600, [n](int, int) { return FlatPixel(4 + n); }));
        for (const char* name :
             {"brick_high_ping.voc", "brick_low_ping.voc", "paddle_ping.voc", "crash.voc", "fanfare.voc", "expand.voc",
              "warp2.voc", "titles.voc", "ships1.voc", "gameover.voc", "shrink.voc", "lasers.voc", "bonus.voc"})
            WriteFile(d / name, MakeVoc(std::vector<int16_t>(VoiceFrames(name) * 2, 1000)));
        std::error_code taken;
        std::filesystem::rename(d, done, taken);  // another process may have won
        if (taken) std::filesystem::remove_all(d);
        return done;
    }();
    return dir;
}

// Runs in a copy of the asset folder (so tests may spoil files), with the
// headless back end reset; does not set up by itself.
class AssetFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::headless::Reset();
        GamePacking = Packing::Rgb565;
        plat::DisplaySetWordLayout(plat::WordLayout::Rgb565);
        previous = std::filesystem::current_path();
        folder = ScratchDir();
        std::filesystem::copy(AssetFolderForTests(), folder);
        std::filesystem::current_path(folder);
    }
    void TearDown() override {
        ShutdownDevices();
        std::filesystem::current_path(previous);
        plat::headless::Reset();
    }
    static uint16_t At(const plat::Surface* s, int x, int y) {
        return s->Words[static_cast<size_t>(y) * s->PitchWords + x];
    }
    static uint16_t Packed(Rgb c) { return PackPixel(c.R, c.G, c.B, 16, Packing::Rgb565); }
    static bool AllOf(const plat::Surface* s, plat::Rect r, uint16_t word) {
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (At(s, x, y) != word) return false;
        return true;
    }

    std::filesystem::path previous;
    std::filesystem::path folder;
};

}  // namespace testing_support
