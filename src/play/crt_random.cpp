#include "play/crt_random.h"

namespace crt {
namespace {
uint32_t state = 1;  // as if seeded with 1, like the runtime before any srand
}

void srand(uint32_t seed) { state = seed; }

int rand() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
}

}  // namespace crt
