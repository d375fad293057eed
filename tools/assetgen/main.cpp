// assetgen: draws and synthesises every picture and sound file the game
// reads into one folder.
//
//   assetgen OUTPUT_DIR [--contact-sheet DIR]
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "assets.h"
#include "contact_sheet.h"

namespace {

bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

int Usage() {
    std::fprintf(stderr, "usage: assetgen OUTPUT_DIR [--contact-sheet DIR]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string outDir, sheetDir;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--contact-sheet") {
            if (++i >= argc) return Usage();
            sheetDir = argv[i];
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage();
        } else if (outDir.empty()) {
            outDir = arg;
        } else {
            return Usage();
        }
    }
    if (outDir.empty()) return Usage();
    try {
        std::filesystem::create_directories(outDir);
        auto pictures = assetgen::DrawAllPictures();
        auto files = assetgen::EncodeAll(pictures, assetgen::MakeAllSounds());
        for (const auto& f : files) {
            if (!WriteFile(std::filesystem::path(outDir) / f.Name, f.Bytes)) {
                std::fprintf(stderr, "assetgen: cannot write %s\n", f.Name.c_str());
                return 1;
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
