// The SDL back end's clocks, sleeps and fatal report.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>

#include "platform/backend.h"

namespace plat::backend {

uint32_t Ticks() { return static_cast<uint32_t>(SDL_GetTicks64()); }

uint64_t NowMicros() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

void Sleep(uint32_t micros) { std::this_thread::sleep_for(std::chrono::microseconds(micros)); }

int64_t CalendarSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

void ReportFatal(const std::string& message) { std::fprintf(stderr, "qorb: %s\n", message.c_str()); }

}  // namespace plat::backend
