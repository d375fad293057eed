// qorb-sim's input scripts: any text is either refused with a reason or read
// into events that, written back, read the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "input_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<plat::TimedInput> events;
    std::string error;
    if (!ParseScript(text, "fuzz", &events, &error)) {
        if (error.rfind("fuzz:", 0) != 0) __builtin_trap();
        return 0;
    }
    std::string written;
    for (const plat::TimedInput& e : events) written += FormatEvent(e) + "\n";
    std::vector<plat::TimedInput> again;
    if (!ParseScript(written, "again", &again, &error) || again.size() != events.size()) __builtin_trap();
    for (size_t i = 0; i < events.size(); ++i)
        if (FormatEvent(again[i]) != FormatEvent(events[i])) __builtin_trap();
    return 0;
}
