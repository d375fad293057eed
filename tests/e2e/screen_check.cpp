// Compares a screenshot of the game's window (an X window dump, or a PNG file
// as a browser takes it) with a 24-bit picture file: the picture must fill the window as large as fits with its
// shape kept, black bars elsewhere, nearest-neighbour scaled.
//
// Usage: qorb_screen_check <window.xwd|window.png> <picture.bmp> [copy.ppm]
//          the whole 800 x 600 picture fills the window
//        qorb_screen_check --region <window.xwd> <picture.bmp> AX AY W H SX SY PERCENT
//          the picture's rectangle (AX, AY) W x H stands at (SX, SY) of the
//          game's screen in at least PERCENT of the samples
//        qorb_screen_check --find-x <window.xwd> <picture.bmp> AX AY W H SY FROM TO PERCENT
//          where along the row SY, from x FROM to TO of the game's screen, the
//          picture's rectangle matches best; prints that x, and fails when
//          even there fewer than PERCENT of the samples match
//        qorb_screen_check --same <first.xwd> <second.xwd>
//          two screenshots show the same picture (a paused game)
// Exit status 0 when it matches, 1 when not, 2 when a file cannot be read.
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

struct Rgb {
    int R = 0, G = 0, B = 0;
};

struct Picture {
    int Width = 0, Height = 0;
    std::vector<Rgb> Pixels;  // rows from the top
    const Rgb& At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

std::vector<uint8_t> ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t Big32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}
uint32_t Little32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t{b[at + 3]} << 24 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 1]} << 8 | b[at];
}

int MaskedChannel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    const uint32_t max = mask >> shift;
    return static_cast<int>(((pixel & mask) >> shift) * 255 / max);
}

// A ZPixmap dump of a true-colour window, as xwd writes it.
bool ReadXwd(const char* path, Picture* out, std::string* why) {
    const std::vector<uint8_t> b = ReadAll(path);
    if (b.size() < 100) return *why = "too short for a window dump", false;
    const uint32_t headerSize = Big32(b, 0), format = Big32(b, 8), width = Big32(b, 16), height = Big32(b, 20),
                   byteOrder = Big32(b, 28), bitsPerPixel = Big32(b, 44), bytesPerLine = Big32(b, 48),
                   redMask = Big32(b, 56), greenMask = Big32(b, 60), blueMask = Big32(b, 64), colours = Big32(b, 76);
    if (Big32(b, 4) != 7 || format != 2) return *why = "not a version 7 ZPixmap window dump", false;
    if (bitsPerPixel != 32 && bitsPerPixel != 24) return *why = "not a true-colour dump", false;
    const size_t data = size_t{headerSize} + size_t{colours} * 12;
    if (width == 0 || height == 0 || width > 16384 || height > 16384 || data + size_t{bytesPerLine} * height > b.size())
        return *why = "window dump is cut short", false;
    out->Width = static_cast<int>(width);
    out->Height = static_cast<int>(height);
    out->Pixels.resize(size_t{width} * height);
    const size_t step = bitsPerPixel / 8;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const size_t at = data + size_t{y} * bytesPerLine + x * step;
            uint32_t pixel = 0;
            for (size_t i = 0; i < step; ++i) {
                const size_t byte = byteOrder == 0 ? at + i : at + step - 1 - i;  // 0: least significant first
                pixel |= uint32_t{b[byte]} << (8 * i);
            }
            out->Pixels[size_t{y} * width + x] =
                Rgb{MaskedChannel(pixel, redMask), MaskedChannel(pixel, greenMask), MaskedChannel(pixel, blueMask)};
        }
    }
    return true;
}

bool ReadPng(const std::vector<uint8_t>& b, Picture* out, std::string* why) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, b.data(), b.size())) return *why = "not a readable PNG file", false;
    if (image.width == 0 || image.height == 0 || image.width > 16384 || image.height > 16384) {
        png_image_free(&image);
        return *why = "PNG picture of an unlikely size", false;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return *why = "PNG file is damaged", false;
    out->Width = static_cast<int>(image.width);
    out->Height = static_cast<int>(image.height);
    out->Pixels.resize(static_cast<size_t>(out->Width) * out->Height);
    for (size_t i = 0; i < out->Pixels.size(); ++i) out->Pixels[i] = Rgb{rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]};
    return true;
}

// A screenshot: a PNG file by its signature, else a window dump.
bool ReadScreen(const char* path, Picture* out, std::string* why) {
    const std::vector<uint8_t> b = ReadAll(path);
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (b.size() >= 8 && std::memcmp(b.data(), signature, 8) == 0) return ReadPng(b, out, why);
    return ReadXwd(path, out, why);
}

bool ReadBmp24(const char* path, Picture* out, std::string* why) {
    const std::vector<uint8_t> b = ReadAll(path);
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return *why = "not a bitmap file", false;
    const uint32_t offset = Little32(b, 10);
    const int32_t width = static_cast<int32_t>(Little32(b, 18)), height = static_cast<int32_t>(Little32(b, 22));
    const int bits = b[28] | b[29] << 8;
    if (bits != 24 || width <= 0 || height == 0) return *why = "not a 24-bit bitmap", false;
    const int rows = std::abs(height);
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    if (offset + stride * rows > b.size()) return *why = "bitmap is cut short", false;
    out->Width = width;
    out->Height = rows;
    out->Pixels.resize(static_cast<size_t>(width) * rows);
    for (int y = 0; y < rows; ++y) {
        const int stored = height > 0 ? rows - 1 - y : y;  // positive height: bottom row first
        for (int x = 0; x < width; ++x) {
            const size_t at = offset + stride * stored + static_cast<size_t>(x) * 3;
            out->Pixels[static_cast<size_t>(y) * width + x] = Rgb{b[at + 2], b[at + 1], b[at]};
        }
    }
    return true;
}

void WritePpm(const char* path, const Picture& p) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << p.Width << ' ' << p.Height << "\n255\n";
    for (const Rgb& c : p.Pixels)
        out.put(static_cast<char>(c.R)).put(static_cast<char>(c.G)).put(static_cast<char>(c.B));
}

// The display keeps five bits a channel; the dark end of each is the game's
// colour key and shows black.
bool Near(const Rgb& shown, const Rgb& art) {
    auto close = [](int s, int a) { return std::abs(s - a) <= 24; };
    return close(shown.R, art.R) && close(shown.G, art.G) && close(shown.B, art.B);
}

}  // namespace

// Where the game's 800 x 600 screen lies in the window: as large as fits, centred.
struct Placement {
    double Scale;
    int Left, Top;
    int X(double gx) const { return Left + static_cast<int>(gx * Scale); }
    int Y(double gy) const { return Top + static_cast<int>(gy * Scale); }
};

Placement Place(const Picture& screen) {
    const double scale = std::min(screen.Width / 800.0, screen.Height / 600.0);
    return Placement{scale, (screen.Width - static_cast<int>(800 * scale)) / 2,
                     (screen.Height - static_cast<int>(600 * scale)) / 2};
}

// The art's rectangle (ax, ay) w x h, compared where it would stand at (sx,
// sy) of the game's screen: how many samples match, of how many.
struct RegionMatch {
    int Samples = 0, Matches = 0;
};
RegionMatch MatchRegion(const Picture& screen, const Picture& art, int ax, int ay, int w, int h, int sx, int sy) {
    const Placement place = Place(screen);
    RegionMatch m;
    for (int y = 1; y < h - 1; y += 3)
        for (int x = 1; x < w - 1; x += 3) {
            const Rgb& shown = screen.At(place.X(sx + x + 0.5), place.Y(sy + y + 0.5));
            bool ok = false;
            for (int dy = -1; dy <= 1 && !ok; ++dy)
                for (int dx = -1; dx <= 1 && !ok; ++dx) ok = Near(shown, art.At(ax + x + dx, ay + y + dy));
            ++m.Samples;
            m.Matches += ok;
        }
    return m;
}

// Reads the screenshot, the picture and the rectangle of the picture
// (argv[4..7]); false, having said why, when one cannot be had.
bool ReadRegionArguments(char** argv, Picture* screen, Picture* art, int rect[4]) {
    std::string why;
    if (!ReadScreen(argv[2], screen, &why) || !ReadBmp24(argv[3], art, &why)) {
        std::fprintf(stderr, "screen_check: %s\n", why.c_str());
        return false;
    }
    for (int i = 0; i < 4; ++i) rect[i] = std::atoi(argv[4 + i]);
    const int ax = rect[0], ay = rect[1], w = rect[2], h = rect[3];
    if (w <= 2 || h <= 2 || ax < 0 || ay < 0 || ax + w > art->Width || ay + h > art->Height) {
        std::fprintf(stderr, "screen_check: the region lies outside the picture\n");
        return false;
    }
    return true;
}

int Region(char** argv) {
    Picture screen, art;
    int r[4];
    if (!ReadRegionArguments(argv, &screen, &art, r)) return 2;
    const int sx = std::atoi(argv[8]), sy = std::atoi(argv[9]), percent = std::atoi(argv[10]);
    const RegionMatch m = MatchRegion(screen, art, r[0], r[1], r[2], r[3], sx, sy);
    std::printf("region %dx%d at %d,%d: %d of %d samples match\n", r[2], r[3], sx, sy, m.Matches, m.Samples);
    return m.Matches * 100 >= m.Samples * percent ? 0 : 1;
}

int FindX(char** argv) {
    Picture screen, art;
    int r[4];
    if (!ReadRegionArguments(argv, &screen, &art, r)) return 2;
    const int sy = std::atoi(argv[8]), from = std::atoi(argv[9]), to = std::atoi(argv[10]),
              percent = std::atoi(argv[11]);
    if (from < 0 || to < from || to + r[2] > 800 || sy < 0 || sy + r[3] > 600) {
        std::fprintf(stderr, "screen_check: the row to search lies outside the screen\n");
        return 2;
    }
    int best = from;
    RegionMatch bestMatch;
    for (int sx = from; sx <= to; ++sx) {
        const RegionMatch m = MatchRegion(screen, art, r[0], r[1], r[2], r[3], sx, sy);
        if (m.Matches > bestMatch.Matches) best = sx, bestMatch = m;
    }
    std::printf("%d\n", best);
    std::fprintf(stderr, "region %dx%d best at %d,%d: %d of %d samples match\n", r[2], r[3], best, sy,
                 bestMatch.Matches, bestMatch.Samples);
    return bestMatch.Samples > 0 && bestMatch.Matches * 100 >= bestMatch.Samples * percent ? 0 : 1;
}

int Same(char** argv) {
    Picture first, second;
    std::string why;
    if (!ReadScreen(argv[2], &first, &why) || !ReadScreen(argv[3], &second, &why)) {
        std::fprintf(stderr, "screen_check: %s\n", why.c_str());
        return 2;
    }
    if (first.Width != second.Width || first.Height != second.Height) return 1;
    size_t differ = 0;
    for (size_t i = 0; i < first.Pixels.size(); ++i) {
        const Rgb &a = first.Pixels[i], &b = second.Pixels[i];
        differ += a.R != b.R || a.G != b.G || a.B != b.B;
    }
    std::printf("%zu of %zu pixels differ\n", differ, first.Pixels.size());
    return differ == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 11 && std::string(argv[1]) == "--region") return Region(argv);
    if (argc == 12 && std::string(argv[1]) == "--find-x") return FindX(argv);
    if (argc == 4 && std::string(argv[1]) == "--same") return Same(argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <window.xwd> <picture.bmp> [copy.ppm]\n", argv[0]);
        return 2;
    }
    Picture screen, art;
    std::string why;
    if (!ReadScreen(argv[1], &screen, &why) || !ReadBmp24(argv[2], &art, &why)) {
        std::fprintf(stderr, "screen_check: %s\n", why.c_str());
        return 2;
    }
    if (argc > 3) WritePpm(argv[3], screen);

    // Where the picture lies: as large as fits, centred.
    const double scale =
        std::min(static_cast<double>(screen.Width) / art.Width, static_cast<double>(screen.Height) / art.Height);
    const int shownW = static_cast<int>(art.Width * scale), shownH = static_cast<int>(art.Height * scale);
    const int left = (screen.Width - shownW) / 2, top = (screen.Height - shownH) / 2;

    int samples = 0, matches = 0;
    std::set<int> colours;
    for (int sy = 2; sy < art.Height - 2; sy += 7) {
        for (int sx = 2; sx < art.Width - 2; sx += 7) {
            const int x = left + static_cast<int>((sx + 0.5) * scale), y = top + static_cast<int>((sy + 0.5) * scale);
            const Rgb& shown = screen.At(x, y);
            colours.insert(shown.R << 16 | shown.G << 8 | shown.B);
            bool ok = false;
            // Nearest-neighbour may pick a pixel beside the one aimed at.
            for (int dy = -1; dy <= 1 && !ok; ++dy)
                for (int dx = -1; dx <= 1 && !ok; ++dx) ok = Near(shown, art.At(sx + dx, sy + dy));
            ++samples;
            matches += ok;
        }
    }
    int bars = 0, barsBlack = 0;
    for (int y = 0; y < screen.Height; y += 4) {
        for (int x = 0; x < screen.Width; x += 4) {
            if (x >= left - 1 && x <= left + shownW && y >= top - 1 && y <= top + shownH) continue;
            const Rgb& c = screen.At(x, y);
            ++bars;
            barsBlack += c.R == 0 && c.G == 0 && c.B == 0;
        }
    }
    const bool pictureOk = matches * 100 >= samples * 95 && colours.size() >= 16;
    const bool barsOk = barsBlack == bars;
    std::printf(
        "screen %dx%d, picture at %d,%d %dx%d: %d of %d samples match, %zu colours; %d of %d bar samples black\n",
        screen.Width, screen.Height, left, top, shownW, shownH, matches, samples, colours.size(), barsBlack, bars);
    return pictureOk && barsOk ? 0 : 1;
}
