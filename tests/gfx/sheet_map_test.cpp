// The table of where each picture lies: every region is on its surface, and
// no two regions of a surface share a pixel but the one the art is made
// around. A frame count or stride that outgrows its room fails here rather
// than as a picture cut off or drawn over its neighbour.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gfx/sheet_map.h"

namespace {

enum class Surface { Elements, BElements, RoundArt, Titles, Clouds, Ships };

struct Region {
    Surface On;
    std::string Name;
    sheets::Rect Area;
};

template <typename Frames>
void AddFrames(std::vector<Region>& out, Surface on, const std::string& name, const Frames& frames) {
    for (int32_t i = 0; i < frames.Count; ++i) out.push_back({on, name + " " + std::to_string(i), frames.Frame(i)});
}

std::vector<Region> AllRegions() {
    using enum Surface;
    std::vector<Region> r;
    for (int32_t column = 0; column < sheets::CapsuleColumns; ++column) {
        for (bool lower : {false, true}) {
            const sheets::Strip& block = lower ? sheets::CapsuleLowerBlock : sheets::CapsuleUpperBlock;
            const std::string name = "capsule " + std::to_string(column) + (lower ? " lower " : " upper ");
            for (int32_t frame = 0; frame < block.Count; ++frame)
                r.push_back({Elements, name + std::to_string(frame), sheets::CapsuleFrame(column, lower, frame)});
        }
    }
    AddFrames(r, Elements, "brick", sheets::BrickPictures);
    for (int32_t row = 1; row <= sheets::PaddleRows; ++row)
        for (int32_t frame = 0; frame < sheets::PaddleFramesInRow[row - 1]; ++frame)
            r.push_back({Elements, "paddle " + std::to_string(row) + "/" + std::to_string(frame),
                         sheets::PaddleFrame(row, frame)});
    for (int32_t frame = 0; frame < sheets::ExplosionFrames; ++frame)
        r.push_back({Elements, "explosion " + std::to_string(frame), sheets::ExplosionFrame(frame)});
    r.push_back({Elements, "ball", sheets::BallImage});
    r.push_back({Elements, "laser shot", sheets::LaserShot});
    AddFrames(r, Elements, "exit gate", sheets::ExitGateFrames);

    r.push_back({BElements, "left wall", sheets::LeftWall});
    r.push_back({BElements, "top wall", sheets::TopWall});
    r.push_back({BElements, "right wall", sheets::RightWall});
    r.push_back({BElements, "round banner", sheets::RoundBanner});
    AddFrames(r, BElements, "glyph slot", sheets::GlyphSlots);
    r.push_back({BElements, "game over", sheets::GameOverPicture});

    r.push_back({RoundArt, "round art shown", sheets::RoundArtShown});
    r.push_back({Titles, "title", sheets::TitlePicture});
    r.push_back({Clouds, "sky", sheets::IntroSky});

    r.push_back({Ships, "ship", sheets::Ship});
    for (int i = 0; i < 3; ++i) r.push_back({Ships, "caption " + std::to_string(i), sheets::Captions[i]});
    r.push_back({Ships, "craft", sheets::Craft});
    r.push_back({Ships, "far craft", sheets::FarCraft});
    AddFrames(r, Ships, "panel", sheets::PanelFrames);
    r.push_back({Ships, "panel rest", sheets::PanelRest});
    AddFrames(r, Ships, "hatch", sheets::HatchFrames);
    AddFrames(r, Ships, "light", sheets::LightFrames);
    return r;
}

bool Overlap(const sheets::Rect& a, const sheets::Rect& b) {
    return a.X < b.X + b.W && b.X < a.X + a.W && a.Y < b.Y + b.H && b.Y < a.Y + a.H;
}

}  // namespace

TEST(SheetMap, EveryRegionLiesOnItsSurface) {
    for (const Region& region : AllRegions()) {
        const sheets::Rect& a = region.Area;
        const int32_t width = region.On == Surface::Ships ? sheets::ShipsSurfaceWidth : sheets::SurfaceWidth;
        EXPECT_TRUE(a.W > 0 && a.H > 0 && a.X >= 0 && a.Y >= 0 && a.X + a.W <= width &&
                    a.Y + a.H <= sheets::SurfaceHeight)
            << region.Name << " at " << a.X << "," << a.Y << " " << a.W << " x " << a.H;
    }
}

TEST(SheetMap, RegionsShareNoPixelButGlyphSlotZeroOverTheLeftWall) {
    const std::vector<Region> regions = AllRegions();
    std::vector<std::string> overlaps;
    for (size_t i = 0; i < regions.size(); ++i)
        for (size_t j = i + 1; j < regions.size(); ++j)
            if (regions[i].On == regions[j].On && Overlap(regions[i].Area, regions[j].Area))
                overlaps.push_back(regions[i].Name + " / " + regions[j].Name);
    // The art keeps the wall's pixels there and squeezes the digit beside it;
    // the announcement never reads slot 0.
    EXPECT_EQ(overlaps, std::vector<std::string>{"left wall / glyph slot 0"});
}
