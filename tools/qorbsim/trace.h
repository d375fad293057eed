// One JSON object per call of PlayFrame: the state of round play after it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "bricks/brick_field.h"

class TraceWriter {
public:
    // Remembers the brick field, so the next line can list what changed.
    void Snapshot();
    // The line for call `call`, returned with `result` at virtual `ms`.
    std::string Line(uint64_t call, uint64_t ms, int32_t result);

private:
    std::array<std::array<double, FieldRows>, FieldColumns> strengths_{};
};
