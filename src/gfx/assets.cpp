#include "gfx/assets.h"

#include <filesystem>
#include <system_error>

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
        if (Holds(beside)) {
            AssetFolder = (beside / "").string();
            return true;
        }
        tried += ", " + beside.string();
    }
    if (searched != nullptr) *searched = tried;
    return false;
}

std::string AssetPath(const char* fileName) { return AssetFolder + fileName; }
