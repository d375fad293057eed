// The Windows back end's clocks, sleeps, program folder and fatal report.
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "platform/backend.h"
#include "platform/win32/backend_state.h"

namespace plat {

using win32::detail::state;

namespace backend {

uint32_t Ticks() { return GetTickCount(); }

uint64_t NowMicros() {
    static const uint64_t frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<uint64_t>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const uint64_t count = static_cast<uint64_t>(now.QuadPart);
    return count / frequency * 1000000 + count % frequency * 1000000 / frequency;
}

void Sleep(uint32_t micros) { ::Sleep((micros + 999) / 1000); }

int64_t CalendarSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

std::string ExecutableDirectory() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return "";
    return std::filesystem::path(path).parent_path().string();
}

// A windowed program's error line goes unseen: show it too. The window, which
// exclusive mode left covering the screen, goes first.
void ReportFatal(const std::string& message) {
    std::fprintf(stderr, "qorb: %s\n", message.c_str());
    if (state.Window != nullptr) ShowWindow(state.Window, SW_HIDE);
    MessageBoxA(nullptr, message.c_str(), "Qorb", MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
}

}  // namespace backend
}  // namespace plat
