// A screenshot of the headless display as a PNG file, for builds without
// libpng: the same picture, stored uncompressed.
#include <cstdio>
#include <memory>

#include "platform/headless/headless.h"
#include "platform/png_plain.h"

namespace plat::headless {

bool SavePrimaryPng(const std::string& path, std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error != nullptr) *error = why;
        return false;
    };
    const Surface* s = Primary();
    if (s == nullptr) return fail("no primary surface to save");
    const std::vector<uint8_t> file = png::EncodeRgbPlain(s->Width, s->Height, PrimaryRgb().data());
    if (file.empty()) return fail("the screen is too large for a PNG file");
    std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!out) return fail("cannot open " + path + " for writing");
    if (std::fwrite(file.data(), 1, file.size(), out.get()) != file.size() || std::fclose(out.release()) != 0)
        return fail("cannot write " + path);
    return true;
}

}  // namespace plat::headless
