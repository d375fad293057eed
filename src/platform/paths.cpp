// Where the running program lives, so the game can find its assets beside it.
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "platform/platform.h"

namespace plat {

std::string ExecutableDirectory() {
#if defined(_WIN32)
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return "";
    return std::filesystem::path(path).parent_path().string();
#else
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
#endif
}

}  // namespace plat
