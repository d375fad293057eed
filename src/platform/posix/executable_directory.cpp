// Where the running program lives on Linux, so the game can find its assets
// beside it.
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/backend.h"

namespace plat::backend {

std::string ExecutableDirectory() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

}  // namespace plat::backend
