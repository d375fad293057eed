#include "make_assets.h"

#include <algorithm>
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

std::vector<std::string> AssetNames() {
    std::vector<std::string> names;
    for (const AssetJob& job : AllAssetJobs()) names.push_back(job.Name);
    return names;
}

bool MakeEach(const std::vector<std::string>& names,
              const std::function<bool(const std::string&, const std::vector<uint8_t>&)>& made, std::string* error) {
    const std::vector<AssetJob> jobs = AllAssetJobs();
    for (const std::string& name : names) {
        const auto job = std::find_if(jobs.begin(), jobs.end(), [&](const AssetJob& j) { return j.Name == name; });
        if (job == jobs.end()) {
            if (error != nullptr) *error = name + " is no file of the game's";
            return false;
        }
        if (!made(name, job->Make())) {
            if (error != nullptr) *error = "stopped at " + name;
            return false;
        }
    }
    return true;
}

}  // namespace assetgen
