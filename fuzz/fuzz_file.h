// The loaders read files, so each input goes through one scratch file.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

inline const std::string& FuzzFilePath() {
    static const std::string path = [] {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(dir) + "/qorb-fuzz-" + std::to_string(getpid()) + ".bin";
    }();
    return path;
}

inline bool WriteFuzzFile(const uint8_t* data, size_t size) {
    FILE* f = std::fopen(FuzzFilePath().c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}
