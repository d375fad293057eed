// The start every loader of a game file shares: open it, measure it, and on
// failure say which file and why.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

namespace plat {

// Called, when set, with a file's name just before a loader opens it: the
// browser's entry makes each file set-up reads as set-up comes to it.
extern void (*BeforeOpen)(const char* fileName);

// Sets `why` (when asked for) to "<file>: <reason>" and gives false, so a
// loader can refuse in one line.
inline bool RefuseFile(std::string* why, const char* fileName, const std::string& reason) {
    if (why != nullptr) *why = std::string(fileName) + ": " + reason;
    return false;
}

// Opens the file for reading in binary, at its start, and measures it in
// `bytes`; false, with `why` set, when there is no name or the file cannot be
// opened or measured.
inline bool OpenAndMeasure(const char* fileName, std::ifstream& in, uint64_t& bytes, std::string* why) {
    if (fileName == nullptr) return RefuseFile(why, "(null)", "no file name");
    if (BeforeOpen != nullptr) BeforeOpen(fileName);
    in.open(fileName, std::ios::binary);
    if (!in) return RefuseFile(why, fileName, "cannot be opened");
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    in.seekg(0, std::ios::beg);
    if (end < 0) return RefuseFile(why, fileName, "cannot be measured");
    bytes = static_cast<uint64_t>(end);
    return true;
}

}  // namespace plat
