// Float helpers that give the same bits from every C library, and quickly.
// glibc's hypotf is exactly this formula; musl's (the WebAssembly build's)
// rounds twice, so one value in eight came out a bit apart, and it is
// several times slower.
#pragma once

#include <cmath>

namespace assetgen {

inline float Hypot(float x, float y) {
    return static_cast<float>(std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y));
}

// std::lround of a float (halves away from zero) without the library call:
// in double, v + 0.5 is exact.
inline long RoundHalfAway(float v) {
    const double d = v;
    return static_cast<long>(d >= 0 ? std::floor(d + 0.5) : -std::floor(-d + 0.5));
}

}  // namespace assetgen
