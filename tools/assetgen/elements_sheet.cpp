// ELEMENTS.DAT: capsules, bricks, paddles, explosion, ball, shot and gate.
#include "art.h"
#include "layout.h"

namespace assetgen {

Image DrawElementsSheet() {
    Image sheet(SheetWidth, SheetHeight);
    for (int column = 0; column < CapsuleColumns; ++column) {
        for (int frame = 0; frame < CapsuleFrames; ++frame) {
            for (bool lower : {false, true}) {
                Rect r = CapsuleFrame(column, lower, frame);
                Paste(sheet, DrawCapsule(column, lower, frame), r.X, r.Y);
            }
        }
    }
    for (int kind = 0; kind < BrickKinds; ++kind) {
        Rect r = BrickRect(kind);
        Paste(sheet, DrawBrick(kind), r.X, r.Y);
    }
    for (int row = 1; row <= PaddleRows; ++row) {
        for (int frame = 0; frame < PaddleFramesInRow(row); ++frame) {
            Rect r = PaddleRect(row, frame);
            Paste(sheet, DrawPaddle(row, frame), r.X, r.Y);
        }
    }
    for (int frame = 0; frame < ExplosionFrames; ++frame) {
        Rect r = ExplosionRect(frame);
        Paste(sheet, DrawExplosion(frame), r.X, r.Y);
    }
    Paste(sheet, DrawBall(), BallRect.X, BallRect.Y);
    Paste(sheet, DrawLaserShot(), LaserRect.X, LaserRect.Y);
    const Image walls = DrawWalls();
    for (int frame = 0; frame < GateFrames; ++frame) {
        Rect r = GateRect(frame);
        Paste(sheet, DrawGate(frame, walls), r.X, r.Y);
    }
    return sheet;
}

}  // namespace assetgen
