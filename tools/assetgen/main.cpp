// assetgen: draws and synthesises every picture and sound file the game
// reads into one folder, and the program's icon.
//
//   assetgen [OUTPUT_DIR] [--contact-sheet DIR] [--icons DIR]
//
// --icons writes qorb-SIZE.png for each size from 16 to 256 pixels, and all
// of them in qorb.ico for the Windows programs; 192 and 512 too, and a
// maskable 512 (the whole square painted, the orb in its middle), for the
// browser's installed app.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "art.h"
#include "assets.h"
#include "contact_sheet.h"
#include "ico_writer.h"
#include "png_writer.h"

namespace {

bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

int Usage() {
    std::fprintf(stderr, "usage: assetgen [OUTPUT_DIR] [--contact-sheet DIR] [--icons DIR]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string outDir, sheetDir, iconDir;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--contact-sheet" || arg == "--icons") {
            if (++i >= argc) return Usage();
            (arg == "--icons" ? iconDir : sheetDir) = argv[i];
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage();
        } else if (outDir.empty()) {
            outDir = arg;
        } else {
            return Usage();
        }
    }
    if (outDir.empty() && sheetDir.empty() && iconDir.empty()) return Usage();
    try {
        if (!iconDir.empty()) {
            std::filesystem::create_directories(iconDir);
            std::vector<assetgen::Layer> forIco;
            for (int size : {16, 24, 32, 48, 64, 128, 192, 256, 512}) {
                const std::string name = iconDir + "/qorb-" + std::to_string(size) + ".png";
                assetgen::Layer icon = assetgen::DrawIcon(size);
                if (!assetgen::WritePng(icon, name)) {
                    std::fprintf(stderr, "assetgen: cannot write %s\n", name.c_str());
                    return 1;
                }
                if (size <= 256) forIco.push_back(std::move(icon));
            }
            const std::string maskable = iconDir + "/qorb-maskable-512.png";
            if (!assetgen::WritePng(assetgen::DrawMaskableIcon(512), maskable)) {
                std::fprintf(stderr, "assetgen: cannot write %s\n", maskable.c_str());
                return 1;
            }
            const std::vector<uint8_t> ico = assetgen::EncodeIco(forIco);
            if (ico.empty() || !WriteFile(std::filesystem::path(iconDir) / "qorb.ico", ico)) {
                std::fprintf(stderr, "assetgen: cannot write %s/qorb.ico\n", iconDir.c_str());
                return 1;
            }
        }
        if (outDir.empty() && sheetDir.empty()) return 0;
        auto pictures = assetgen::DrawAllPictures();
        if (!outDir.empty()) {
            std::filesystem::create_directories(outDir);
            for (const auto& f : assetgen::EncodeAll(pictures, assetgen::MakeAllSounds())) {
                if (!WriteFile(std::filesystem::path(outDir) / f.Name, f.Bytes)) {
                    std::fprintf(stderr, "assetgen: cannot write %s\n", f.Name.c_str());
                    return 1;
                }
            }
        }
        if (!sheetDir.empty()) {
            std::filesystem::create_directories(sheetDir);
            if (!assetgen::WriteContactSheet(pictures, sheetDir)) {
                std::fprintf(stderr, "assetgen: cannot write the contact sheet into %s\n", sheetDir.c_str());
                return 1;
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
