// ELEMENTS.DAT: capsules, bricks, paddles, explosion, ball, shot and gate.
#include "art.h"
#include "gfx/sheet_map.h"

namespace assetgen {

Image DrawElementsSheet(const Image& walls) {
    Image sheet(sheets::SurfaceWidth, sheets::SurfaceHeight);
    static_assert(sheets::CapsuleUpperBlock.Count == sheets::CapsuleLowerBlock.Count);
    for (int column = 0; column < sheets::CapsuleColumns; ++column) {
        for (int frame = 0; frame < sheets::CapsuleUpperBlock.Count; ++frame) {
            for (bool lower : {false, true}) {
                sheets::Rect r = sheets::CapsuleFrame(column, lower, frame);
                Paste(sheet, DrawCapsule(column, lower, frame), r.X, r.Y);
            }
        }
    }
    for (int kind = 0; kind < sheets::BrickPictures.Count; ++kind) {
        sheets::Rect r = sheets::BrickPictures.Frame(kind);
        Paste(sheet, DrawBrick(kind), r.X, r.Y);
    }
    for (int row = 1; row <= sheets::PaddleRows; ++row) {
        for (int frame = 0; frame < sheets::PaddleFramesInRow[row - 1]; ++frame) {
            sheets::Rect r = sheets::PaddleFrame(row, frame);
            Paste(sheet, DrawPaddle(row, frame), r.X, r.Y);
        }
    }
    for (int frame = 0; frame < sheets::ExplosionFrames; ++frame) {
        sheets::Rect r = sheets::ExplosionFrame(frame);
        Paste(sheet, DrawExplosion(frame), r.X, r.Y);
    }
    Paste(sheet, DrawBall(), sheets::BallImage.X, sheets::BallImage.Y);
    Paste(sheet, DrawLaserShot(), sheets::LaserShot.X, sheets::LaserShot.Y);
    for (int frame = 0; frame < sheets::ExitGateFrames.Count; ++frame) {
        sheets::Rect r = sheets::ExitGateFrames.Frame(frame);
        Paste(sheet, DrawGate(frame, walls), r.X, r.Y);
    }
    return sheet;
}

}  // namespace assetgen
