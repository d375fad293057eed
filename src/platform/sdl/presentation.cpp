#include "platform/sdl/presentation.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace plat::sdl {

void ConvertRow(const uint16_t* words, uint32_t* pixels, int32_t count, WordLayout layout) {
    // Two loops with the layout fixed, so that each one vectorises.
    if (layout == WordLayout::Rgb565) {
        for (int32_t x = 0; x < count; ++x) pixels[x] = WordToXrgb(words[x], WordLayout::Rgb565);
    } else {
        for (int32_t x = 0; x < count; ++x) pixels[x] = WordToXrgb(words[x], WordLayout::Rgb555);
    }
}

uint64_t NextTickMicros(uint64_t micros) {
    const uint64_t tick = micros * 60 / 1000000 + 1;
    return (tick * 1000000 + 59) / 60;
}

RowSpan ChangedRows(const uint16_t* now, const uint16_t* before, int32_t pitchWords, int32_t width, int32_t height) {
    const size_t rowBytes = static_cast<size_t>(width) * sizeof(uint16_t);
    auto differs = [&](int32_t y) {
        const size_t at = static_cast<size_t>(y) * static_cast<size_t>(pitchWords);
        return std::memcmp(now + at, before + at, rowBytes) != 0;
    };
    RowSpan span;
    int32_t first = 0;
    while (first < height && !differs(first)) ++first;
    if (first == height) return span;
    int32_t last = height - 1;
    while (last > first && !differs(last)) --last;
    span.First = first;
    span.Last = last;
    return span;
}

int WindowedScale(int32_t width, int32_t height, int32_t desktopHeight, int32_t usableWidth, int32_t usableHeight) {
    if (width <= 0 || height <= 0) return 1;
    const int density = std::max(1, desktopHeight / 1080);
    const int fits = std::min(usableWidth / width, usableHeight / height);
    return std::max(1, std::min(density, fits));
}

bool IsSoftwareGl(std::string_view rendererString) {
    std::string lower(rendererString);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.starts_with("swr")) return true;  // OpenSWR
    for (const char* cpu : {"llvmpipe", "softpipe", "software", "swrast", "gdi generic", "mesa x11"})
        if (lower.find(cpu) != std::string::npos) return true;
    return false;
}

namespace {
bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}
}  // namespace

bool AcceptsVideoDriver(std::string_view chosen, const char* requested) {
    if (!SameName(chosen, "offscreen") && !SameName(chosen, "dummy")) return true;
    std::string_view list = requested != nullptr ? requested : "";
    while (!list.empty()) {
        const size_t comma = list.find(',');
        if (SameName(list.substr(0, comma), chosen)) return true;
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return false;
}

std::string NoDisplayMessage(const char* display, const char* waylandDisplay, std::string_view why) {
    std::string text = "no display could be opened (";
    text += display != nullptr && *display != '\0' ? "DISPLAY=" + std::string(display) : "DISPLAY is not set";
    if (waylandDisplay != nullptr && *waylandDisplay != '\0')
        text += ", WAYLAND_DISPLAY=" + std::string(waylandDisplay);
    text += ")";
    if (!why.empty()) text += ": " + std::string(why);
    return text;
}

std::string VideoStartNote(std::string_view printed, const char* waylandDisplay) {
    const bool waylandNamed = waylandDisplay != nullptr && *waylandDisplay != '\0';
    std::string note;
    while (!printed.empty()) {
        const size_t end = printed.find('\n');
        std::string_view line = printed.substr(0, end);
        printed = end == std::string_view::npos ? std::string_view() : printed.substr(end + 1);
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.remove_suffix(1);
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.front()))) line.remove_prefix(1);
        if (line.empty() || (!waylandNamed && line.find("XDG_RUNTIME_DIR") != std::string_view::npos)) continue;
        if (!note.empty()) note += "; ";
        note += line;
    }
    return note;
}

}  // namespace plat::sdl
