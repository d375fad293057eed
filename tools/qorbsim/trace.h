// One JSON object per call of PlayFrame: the state of round play after it,
// and what the call sounded and showed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "bricks/brick_field.h"
#include "platform/platform.h"

class TraceWriter {
public:
    // Remembers the brick field, so the next line can list what changed.
    void Snapshot();
    // From now on each call's voice operations and presented pages are kept
    // for its line (one writer listens at a time). After headless::Reset.
    void Listen();
    // The line for call `call`, returned with `result` at virtual `ms`.
    std::string Line(uint64_t call, uint64_t ms, int32_t result);

private:
    std::array<std::array<double, FieldRows>, FieldColumns> strengths_{};
    std::string voices_;
    std::vector<uint64_t> screens_;
};

// A 64-bit hash of the surface's words, row by row (the pitch's padding left
// out), the same on every machine whatever its byte order: FNV-1a's step and
// constants over four words at a time (w0 | w1 << 16 | w2 << 32 | w3 << 48)
// in four interleaved lanes, folded together at the end with the same step
// (the odd words of a row go into lane 0 one by one). One plain FNV-1a chain
// over each page made tracing forty times slower than playing.
uint64_t PageHash(const plat::Surface& surface);
