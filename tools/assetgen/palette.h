// The shared colours of the game's look.
#pragma once

#include "color.h"

namespace assetgen::palette {

// The seven one-hit bricks, in order of kind.
inline const Color BrickColors[7] = {Hex(0xE8352C), Hex(0xF58A1F), Hex(0xF5D327), Hex(0x3DC83F),
                                     Hex(0x22C8DA), Hex(0x3A66EC), Hex(0xC63FDA)};
inline const Color Steel = Hex(0x8C9AB0);
inline const Color SteelDark = Hex(0x4A5468);
inline const Color Gold = Hex(0xF2B632);
inline const Color Bronze = Hex(0xC07A2C);
inline const Color Silver = Hex(0xD4DCE8);
inline const Color CapRed = Hex(0xE23A2E);
inline const Color Energy = Hex(0x7FF6FF);
inline const Color Ink = Hex(0x141020);  // outlines

// The five capsule columns.
inline const Color CapsuleColors[5] = {Hex(0xE0392E), Hex(0x3470E6), Hex(0xF08A1C), Hex(0x2DB64A), Hex(0x9A46E0)};

}  // namespace assetgen::palette
