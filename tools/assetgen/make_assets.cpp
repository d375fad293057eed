#include "make_assets.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "assets.h"

namespace assetgen {

bool MakeAssets(const std::string& folder, const std::function<void(double, const std::string&)>& before,
                std::string* error) {
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made) {
        if (error != nullptr) *error = folder + ": " + made.message();
        return false;
    }
    const std::vector<AssetJob> jobs = AllAssetJobs();
    for (size_t i = 0; i < jobs.size(); ++i) {
        if (before) before(static_cast<double>(i) / static_cast<double>(jobs.size()), jobs[i].Name);
        const std::vector<uint8_t> bytes = jobs[i].Make();
        const std::string path = folder + "/" + jobs[i].Name;
        std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(path.c_str(), "wb"), std::fclose);
        if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out.get()) != bytes.size() ||
            std::fclose(out.release()) != 0) {
            if (error != nullptr) *error = "cannot write " + path;
            return false;
        }
    }
    if (before) before(1.0, "");
    return true;
}

}  // namespace assetgen
