// Float helpers that give the same bits from every C library, and quickly.
// glibc's hypotf is exactly this formula; musl's (the WebAssembly build's)
// rounds twice, so one value in eight came out a bit apart, and it is
// several times slower.
#pragma once

#include <cmath>
#include <cstdlib>

namespace assetgen {

inline float Hypot(float x, float y) {
    return static_cast<float>(std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y));
}

// std::pow(v, 2) for a float v, which C++ computes as a double: a float's
// square is exact in a double, so the library's pow gives exactly this,
// at the cost of a multiplication.
inline double Squared(float v) {
    const double d = v;
    return d * d;
}

// std::lround of a float (halves away from zero) without the library call:
// in double, v + 0.5 is exact.
inline long RoundHalfAway(float v) {
    const double d = v;
    return static_cast<long>(d >= 0 ? std::floor(d + 0.5) : -std::floor(-d + 0.5));
}

// strtof for the art's and music's own numbers ("12", "-0.4", "2.75"):
// a whole number of at most seven digits over a power of ten is one
// correctly rounded division, the very float strtof gives, without the
// 128-bit arithmetic musl's strtof does in the browser. Anything else goes
// to strtof. `end` is set past the number.
inline float ReadFloat(const char* text, const char** end) {
    const char* p = text;
    const bool negative = *p == '-';
    if (negative) ++p;
    long whole = 0;
    int digits = 0, decimals = 0;
    bool point = false;
    for (;; ++p) {
        if (*p >= '0' && *p <= '9') {
            whole = whole * 10 + (*p - '0');
            ++digits;
            if (point) ++decimals;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    const bool more = *p == 'e' || *p == 'E' || *p == 'x' || *p == 'X';  // exponents, hexadecimal
    if (digits == 0 || digits > 7 || more) {
        char* stop = nullptr;
        const float value = std::strtof(text, &stop);
        *end = stop;
        return value;
    }
    *end = p;
    float scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const float value = static_cast<float>(whole) / scale;
    return negative ? -value : value;
}

}  // namespace assetgen
