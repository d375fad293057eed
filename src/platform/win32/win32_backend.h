// Control of the Windows back end from the entry point. Not for the game.
#pragma once

namespace plat::win32 {

// The instance handed to WinMain; the window and DirectInput are made for it.
void SetInstance(void* instance);

// Hides the game's window, which exclusive mode left covering the screen, so
// that a message box after a failure can be seen.
void HideWindow();

}  // namespace plat::win32
