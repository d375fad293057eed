// game565 with a virtual pad that standard input works, for the play-through
// with a pad alone (pad_test.sh). One command a line:
//
//   plug | unplug
//   button NAME 0|1     NAME: a b x y back guide start leftstick rightstick
//                             leftshoulder rightshoulder up down left right
//   axis NAME VALUE     NAME: leftx lefty rightx righty lefttrigger
//                             righttrigger; VALUE -32768 .. 32767
//
// The pad is SDL's own virtual one, so that all the rest is the game's: SDL's
// game controllers, the back end and the core's mapping.
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "shell/entry.h"
#include "shell/executable_packing.h"

namespace {

using plat::sdl::TestPadAxis;
using plat::sdl::TestPadButton;

template <typename T, size_t N>
bool Named(const std::string& name, const char* const (&names)[N], T* out) {
    for (size_t i = 0; i < N; ++i)
        if (name == names[i]) {
            *out = static_cast<T>(i);
            return true;
        }
    return false;
}

constexpr const char* ButtonNames[] = {
    "a",  "b",    "x",    "y",    "back", "guide", "start", "leftstick", "rightstick", "leftshoulder", "rightshoulder",
    "up", "down", "left", "right"};
constexpr const char* AxisNames[] = {"leftx", "lefty", "rightx", "righty", "lefttrigger", "righttrigger"};

void Obey(const std::string& line) {
    std::istringstream words(line);
    std::string command, name;
    long value = 0;
    words >> command;
    TestPadButton button{};
    TestPadAxis axis{};
    if (command == "plug") {
        plat::sdl::PlugTestPad();
    } else if (command == "unplug") {
        plat::sdl::UnplugTestPad();
    } else if (command == "button" && words >> name >> value && Named(name, ButtonNames, &button)) {
        plat::sdl::SetTestPadButton(button, value != 0);
    } else if (command == "axis" && words >> name >> value && Named(name, AxisNames, &axis) && value >= -32768 &&
               value <= 32767) {
        plat::sdl::SetTestPadAxis(axis, static_cast<int16_t>(value));
    } else if (!command.empty()) {
        std::fprintf(stderr, "pad_game: no such command: %s\n", line.c_str());
    }
}

}  // namespace

int main() {
    UseExecutablePacking();
    // Commands queue as events, which any thread may post. Read without
    // stdio, whose lock on standard input the program's exit would wait for.
    std::thread([] {
        std::string pending;
        char buffer[256];
        for (ssize_t got; (got = read(STDIN_FILENO, buffer, sizeof buffer)) > 0;) {
            pending.append(buffer, static_cast<size_t>(got));
            for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
                Obey(pending.substr(0, end));
        }
    }).detach();
    const ExitStatus status = GameMain();
    if (!status.Message.empty()) plat::ReportFatalError(status.Message);
    return status.Code;
}
