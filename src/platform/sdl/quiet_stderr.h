// Silences standard error for a scope. Some system libraries print their own
// complaints there while SDL probes them (the ALSA library without a sound
// card, a GL driver that cannot load); the game reports a failure in one line
// of its own, and a probe that falls back needs no report at all.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace plat::sdl::detail {

class QuietStderr {
public:
    QuietStderr() {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
        if (null >= 0) close(null);
    }
    ~QuietStderr() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_ = -1;
};

}  // namespace plat::sdl::detail
