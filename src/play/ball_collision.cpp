#include "play/ball_collision.h"

#include "bricks/brick_field.h"
#include "play/handoffs.h"
#include "play/play_globals.h"
#include "sound/voice.h"

int32_t BrickBounceCount = AtStart::BrickBounceCount;

namespace {

// The cell search only runs strictly inside this band of y.
constexpr int32_t BandTop = 44, BandBottom = 440;
constexpr double ArmouredAbove = 100;
constexpr double ArmouredSpeedStep = 0.01;
constexpr double SpeedCeiling = 9.8;
constexpr int32_t BouncesBeforeFlattening = 25;

struct Cell {
    int32_t Column, Row;
};

// The cell of the ball's leading corner. Moving up the ball's top pixel row
// counts, moving down its bottom row must have reached the brick; outside
// the band the starting values stand.
Cell FindCell(int32_t x, int32_t y, int32_t dirX, int32_t dirY) {
    const bool left = dirX < 0, up = dirY < 0;
    Cell cell{left ? 0 : FieldColumns - 1, up ? -1 : PlayedRows};
    if (y <= BandTop || y >= BandBottom) return cell;
    if (up)
        while (cell.Row <= PlayedRows && !(y < CellPitchY * cell.Row + 102)) ++cell.Row;
    else
        while (cell.Row >= 0 && !(y > CellPitchY * cell.Row + 69)) --cell.Row;
    if (left)
        while (cell.Column < FieldColumns && !(x < CellPitchX * cell.Column + 73)) ++cell.Column;
    else
        while (cell.Column >= 0 && !(x > CellPitchX * cell.Column + 18)) --cell.Column;
    return cell;
}

// A neighbour in the corner rule. Above row 0 and below row 14 is open
// space; beside the field stands the wall, so it counts as a brick.
bool Empty(int32_t column, int32_t row) {
    if (row < 0 || row >= PlayedRows) return true;
    if (column < 0 || column >= FieldColumns) return false;
    return !(BrickField[column][row].Strength > 0);
}

// The ball came in diagonally and both directions were reversed: the
// neighbours tell which face it really struck, and the other reversal is
// taken back.
void SettleCorner(Ball& ball, int32_t column, int32_t row, int32_t dirX, int32_t dirY) {
    if (dirX > 0 && dirY > 0) {
        // KEEP AS DESIGNED: only a ball coming right and down tests the cell
        // above before its side neighbour.
        if (Empty(column, row - 1))
            ball.DirX = dirX;
        else if (Empty(column - 1, row))
            ball.DirY = dirY;
    } else if (dirX < 0 && dirY > 0) {
        if (Empty(column + 1, row))
            ball.DirY = dirY;
        else if (Empty(column, row - 1))
            ball.DirX = dirX;
    } else if (dirX < 0) {
        if (Empty(column + 1, row))
            ball.DirY = dirY;
        else if (Empty(column, row + 1))
            ball.DirX = dirX;
    } else {
        if (Empty(column - 1, row))
            ball.DirY = dirY;
        else if (Empty(column, row + 1))
            ball.DirX = dirX;
    }
}

}  // namespace

void CollideBallWithBricks(int32_t& hitColumn, int32_t& hitRow, Ball& ball, const int32_t& ballX, const int32_t& ballY,
                           float& ballSpeed, int32_t& brickBroken, char& capsuleActive, const Paddle& paddle,
                           int32_t& frameCycle, int32_t& capsuleColumn, int32_t& capsuleY, Capsule& capsule) {
    const int32_t dirX = ball.DirX, dirY = ball.DirY;
    // Where the last step came from, as long as direction and speed held.
    const Cell before = FindCell(ballX - dirX * static_cast<int32_t>(ball.SpeedX),
                                 ballY - dirY * static_cast<int32_t>(ball.SpeedY), dirX, dirY);
    const Cell now = FindCell(ballX, ballY, dirX, dirY);
    hitColumn = now.Column;
    hitRow = now.Row;
    if (!InPlayedField(now.Column, now.Row)) return;
    BrickCell& brick = BrickField[now.Column][now.Row];
    if (!(brick.Strength > 0)) return;

    brick.Strength -= 1;
    if (brick.Strength == 0) {
        PlayVoice(VoiceBrickLow);
        BrickBounceCount = 0;
        brick.Erase(now.Column, now.Row);
        brickBroken = 1;
        ReleaseCapsule(brick.DropChance, now.Column, now.Row, capsuleActive, paddle, frameCycle, capsuleColumn,
                       capsuleY, capsule);
    } else if (brick.Strength > 0) {
        if (brick.Strength > ArmouredAbove) {
            ballSpeed = static_cast<float>(ballSpeed + ArmouredSpeedStep);
            if (ballSpeed > SpeedCeiling) ballSpeed = static_cast<float>(SpeedCeiling);
        }
        PlayVoice(VoiceBrickHigh);
        // A ball caught bouncing between bricks that hold gets a new angle.
        if (++BrickBounceCount > BouncesBeforeFlattening) {
            BrickBounceCount = 0;
            ball.SpeedX = static_cast<float>(ball.SpeedX - 1.0);
        }
    }

    const bool rowChanged = before.Row != now.Row, columnChanged = before.Column != now.Column;
    if (rowChanged) ball.DirY = -ball.DirY;
    if (columnChanged) ball.DirX = -ball.DirX;
    if (rowChanged && columnChanged) SettleCorner(ball, now.Column, now.Row, dirX, dirY);
}
