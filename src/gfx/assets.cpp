#include "gfx/assets.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/platform.h"

std::string AssetFolder;

namespace {
// The first file set-up reads: a folder without it holds no art.
constexpr const char* ProbeFile = "ELEMENTS.DAT";

bool Holds(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::is_regular_file(folder / ProbeFile, error);
}
}  // namespace

bool FindAssetFolder(std::string* searched) {
    std::error_code error;
    const auto cwd = std::filesystem::current_path(error);
    if (Holds(".")) {
        AssetFolder.clear();
        return true;
    }
    std::string tried = error ? std::string("the working directory") : cwd.string();
    const std::string exeDir = plat::ExecutableDirectory();
    if (!exeDir.empty()) {
        const auto beside = std::filesystem::path(exeDir) / "assets";
        // An installation's data folder, found from the games' folder rather
        // than by a fixed path, so that a moved installation still works.
        const auto installed = (std::filesystem::path(exeDir) / QORB_DATA_FROM_GAMEDIR).lexically_normal();
        std::vector<std::filesystem::path> folders{beside};
        if (installed != beside.lexically_normal()) folders.push_back(installed);  // the zip's layout: one folder
        for (const auto& folder : folders) {
            if (Holds(folder)) {
                AssetFolder = (folder / "").string();
                return true;
            }
            tried += ", " + folder.string();
        }
    }
    if (searched != nullptr) *searched = tried;
    return false;
}

std::string AssetPath(const char* fileName) { return AssetFolder + fileName; }
