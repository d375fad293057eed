#include "contact_sheet.h"

#include "lettering.h"
#include "png_writer.h"

namespace assetgen {
namespace {

Image Halve(const Image& src) {
    Image out(src.Width / 2, src.Height / 2);
    for (int y = 0; y < out.Height; ++y) {
        for (int x = 0; x < out.Width; ++x) {
            int r = 0, g = 0, b = 0;
            for (int k = 0; k < 4; ++k) {
                const Rgb8& p = src.At(x * 2 + (k & 1), y * 2 + (k >> 1));
                r += p.R;
                g += p.G;
                b += p.B;
            }
            out.At(x, y) = {uint8_t(r / 4), uint8_t(g / 4), uint8_t(b / 4)};
        }
    }
    return out;
}

}  // namespace

bool WriteContactSheet(const std::vector<Picture>& pictures, const std::string& dir) {
    bool ok = true;
    for (const Picture& p : pictures) ok = WritePng(p.Art, dir + "/" + p.Name + ".png") && ok;
    // Overview: four cells of 400 x 320 a row, half size, names underneath;
    // the wide intro sheet takes two cells.
    const int cellW = 410, cellH = 330, columns = 4;
    int cells = 0;
    for (const Picture& p : pictures) cells += p.Art.Width > 800 ? 2 : 1;
    const int rows = (cells + columns - 1) / columns + 1;
    Layer page(cellW * columns, cellH * rows);
    page.Fill(Hex(0x303038));
    int cell = 0;
    for (const Picture& p : pictures) {
        int span = p.Art.Width > 800 ? 2 : 1;
        if (cell % columns + span > columns) cell += columns - cell % columns;
        int x = (cell % columns) * cellW + 5, y = (cell / columns) * cellH + 5;
        PasteIntoLayer(page, Halve(p.Art), x, y, false);
        TextStyle style{2, 1, 1.8f, 0, 1};
        DrawLettering(page, p.Name, float(x), float(y + 306), style,
                      {Hex(0xFFFFFF), Hex(0xC8D0E0), Hex(0x101018), 1, 1, 0});
        cell += span;
    }
    return WritePng(FlattenOpaque(page), dir + "/contact_sheet.png") && ok;
}

}  // namespace assetgen
