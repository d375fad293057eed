// Every #include under src/ runs down the layers that HACKING.md declares,
// and a platform library's headers stay in their back end's folder. Linking
// cannot catch either: mingw's and SDL's headers are on the include paths.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path Source = QORB_SOURCE_DIR;

// The words after "<key>" on the line of HACKING.md that starts with it
// (after its indent).
std::vector<std::string> DeclaredWords(const std::string& key) {
    std::ifstream in(Source / "HACKING.md");
    std::string line;
    while (std::getline(in, line)) {
        const auto at = line.find(key);
        if (at == std::string::npos || line.find_first_not_of(' ') != at) continue;
        std::istringstream words(line.substr(at + key.size()));
        std::vector<std::string> found;
        for (std::string word; words >> word;) found.push_back(word);
        return found;
    }
    return {};
}

// An order from top to bottom such as "shell > frontend > sound | gfx":
// names of one rank are separated by "|" and may not include each other.
std::map<std::string, int> DeclaredOrder(const std::string& key) {
    std::map<std::string, int> rank;
    int level = 0;
    for (const std::string& word : DeclaredWords(key)) {
        if (word == ">") {
            ++level;
        } else if (word != "|") {
            rank[word] = level;
        }
    }
    return rank;
}

// The line "    layers: shell > frontend > ... > platform" of HACKING.md.
std::map<std::string, int> DeclaredLayers() { return DeclaredOrder("layers:"); }

// Per folder, the floors of its files by name without extension: the line
// "    play floors: round_loop | round_screens > ..." of HACKING.md.
using Floors = std::map<std::string, std::map<std::string, int>>;
Floors DeclaredFloors() { return {{"play", DeclaredOrder("play floors:")}}; }

// The back end whose folder alone may include a header, or "" for a header
// any file may include.
std::string OwnerOf(const std::string& header) {
    static const std::vector<std::pair<std::regex, std::string>> owners = {
        {std::regex("SDL.*\\.h|SDL2/.*"), "sdl"},
        {std::regex("(windows|mmsystem|ddraw|dinput|dsound|objbase|mmreg|xinput)\\.h", std::regex::icase), "win32"},
        {std::regex("png\\.h"), "headless"},
        {std::regex("emscripten.*"), "web"},
    };
    for (const auto& [pattern, owner] : owners)
        if (std::regex_match(header, pattern)) return owner;
    return "";
}

struct Include {
    fs::path File;
    int Line;
    std::string Target;
    bool Angled;
};

std::vector<Include> IncludesIn(const fs::path& file, const fs::path& name) {
    static const std::regex directive(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<Include> found;
    std::ifstream in(file);
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        std::smatch m;
        if (std::regex_search(line, m, directive)) found.push_back({name, n, m[2].str(), m[1].str() == "<"});
    }
    return found;
}

std::vector<Include> IncludesUnder(const fs::path& root) {
    std::vector<Include> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        for (Include& inc : IncludesIn(entry.path(), fs::relative(entry.path(), root))) found.push_back(std::move(inc));
    }
    return found;
}

// "platform/sdl/display.cpp" -> {"platform", "sdl"}; a core file's second part is "".
std::pair<std::string, std::string> PlaceOf(const fs::path& relative) {
    auto it = relative.begin();
    const std::string top = it->string();
    ++it;
    std::string sub;
    if (it != relative.end() && std::next(it) != relative.end()) sub = it->string();
    return {top, sub};
}

std::vector<std::string> Violations(const fs::path& root, const std::map<std::string, int>& rank,
                                    const Floors& floors = {}) {
    std::vector<std::string> bad;
    for (const Include& inc : IncludesUnder(root)) {
        const auto [layer, backend] = PlaceOf(inc.File);
        const std::string where = (fs::path("src") / inc.File).string() + ":" + std::to_string(inc.Line) + ": ";
        if (inc.Angled) {
            const std::string owner = OwnerOf(inc.Target);
            if (!owner.empty() && !(layer == "platform" && backend == owner))
                bad.push_back(where + "<" + inc.Target + "> belongs to src/platform/" + owner + "/ only");
            continue;
        }
        const auto slash = inc.Target.find('/');
        if (slash == std::string::npos) {
            bad.push_back(where + "\"" + inc.Target + "\" names no folder");
            continue;
        }
        const std::string target = inc.Target.substr(0, slash);
        if (!rank.count(layer) || !rank.count(target)) {
            bad.push_back(where + "\"" + inc.Target + "\": a folder outside the declared layers");
            continue;
        }
        if (target == layer) {
            // Within the platform layer, the core sees no back end and a back
            // end sees only the core and itself.
            const auto [_, targetBackend] = PlaceOf(inc.Target);
            if (layer == "platform" && !targetBackend.empty() && targetBackend != backend)
                bad.push_back(where + "\"" + inc.Target + "\" reaches into another back end");
            // Within a folder with floors, a file includes its own header and
            // the floors below its own.
            const auto folder = floors.find(layer);
            if (folder == floors.end()) continue;
            const std::string from = inc.File.stem().string(), to = fs::path(inc.Target).stem().string();
            const auto& floor = folder->second;
            if (!floor.count(from) || !floor.count(to))
                bad.push_back(where + "\"" + inc.Target + "\": a file outside the declared floors of " + layer);
            else if (from != to && floor.at(to) <= floor.at(from))
                bad.push_back(where + "\"" + inc.Target + "\" climbs from " + from + " to " + to + " in " + layer);
            continue;
        }
        if (rank.at(target) <= rank.at(layer))
            bad.push_back(where + "\"" + inc.Target + "\" climbs from " + layer + " to " + target);
    }
    return bad;
}

// The game's headers assetgen may include: the line "    assetgen includes:
// gfx/sheet_map.h ..." of HACKING.md.
std::set<std::string> DeclaredForAssetgen() {
    const auto words = DeclaredWords("assetgen includes:");
    return {words.begin(), words.end()};
}

// assetgen's own files include each other by bare name; of the game only the
// headers HACKING names, which in turn include only such headers; of the
// platform libraries only libpng, for its PNG writer.
std::vector<std::string> AssetgenViolations(const fs::path& tool, const fs::path& game,
                                            const std::set<std::string>& allowed) {
    std::vector<std::string> bad;
    auto check = [&](const Include& inc, const std::string& where) {
        if (inc.Angled) {
            const std::string owner = OwnerOf(inc.Target);
            if (!owner.empty() && inc.Target != "png.h")
                bad.push_back(where + "<" + inc.Target + "> belongs to src/platform/" + owner + "/ only");
        } else if (inc.Target.find('/') == std::string::npos) {
            if (!fs::exists(tool / inc.Target)) bad.push_back(where + "\"" + inc.Target + "\" is not assetgen's");
        } else if (!allowed.count(inc.Target)) {
            bad.push_back(where + "\"" + inc.Target + "\": a game header assetgen may not include");
        }
    };
    for (const Include& inc : IncludesUnder(tool))
        check(inc, (fs::path("tools/assetgen") / inc.File).string() + ":" + std::to_string(inc.Line) + ": ");
    for (const std::string& header : allowed) {
        std::ifstream in(game / header);
        if (!in) {
            bad.push_back("src/" + header + ": named for assetgen but missing");
            continue;
        }
        for (const Include& inc : IncludesIn(game / header, header)) {
            if (!inc.Angled && inc.Target.find('/') == std::string::npos)
                bad.push_back("src/" + header + ":" + std::to_string(inc.Line) + ": \"" + inc.Target +
                              "\" names no folder");
            else
                check(inc, "src/" + header + ":" + std::to_string(inc.Line) + ": ");
        }
    }
    return bad;
}

std::string Listed(const std::vector<std::string>& bad) {
    std::string list;
    for (const auto& b : bad) list += "\n  " + b;
    return list;
}

TEST(Layers, HackingDeclaresTheOrderOfEverySourceFolderAndEveryFileOfPlay) {
    const auto rank = DeclaredLayers();
    ASSERT_FALSE(rank.empty()) << "no \"layers:\" line in HACKING.md";
    for (const auto& entry : fs::directory_iterator(Source / "src")) {
        if (!entry.is_directory()) continue;
        EXPECT_TRUE(rank.count(entry.path().filename().string())) << entry.path();
    }
    const auto floors = DeclaredFloors();
    for (const auto& [folder, floor] : floors) {
        ASSERT_FALSE(floor.empty()) << "no \"" << folder << " floors:\" line in HACKING.md";
        for (const auto& entry : fs::directory_iterator(Source / "src" / folder))
            EXPECT_TRUE(floor.count(entry.path().stem().string())) << entry.path();
    }
}

TEST(Layers, EveryIncludeRunsDownAndPlatformHeadersStayInTheirBackEnd) {
    const auto bad = Violations(Source / "src", DeclaredLayers(), DeclaredFloors());
    EXPECT_TRUE(bad.empty()) << bad.size() << " includes break the layering:" << Listed(bad);
}

TEST(Layers, AssetgenIncludesOfTheGameOnlyWhatHackingNames) {
    const auto allowed = DeclaredForAssetgen();
    ASSERT_FALSE(allowed.empty()) << "no \"assetgen includes:\" line in HACKING.md";
    const auto bad = AssetgenViolations(Source / "tools" / "assetgen", Source / "src", allowed);
    EXPECT_TRUE(bad.empty()) << bad.size() << " includes of assetgen reach too far:" << Listed(bad);
}

TEST(Layers, TheCheckCatchesWhatItMustCatch) {
    const fs::path root = fs::temp_directory_path() / ("qorb-layers-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const auto write = [&](const std::string& name, const std::string& text) {
        fs::create_directories((root / name).parent_path());
        std::ofstream(root / name) << text;
    };
    write("src/gfx/a.cpp", "#include \"gfx/a.h\"\n#include \"platform/platform.h\"\n#include <vector>\n");
    write("src/bricks/b.cpp", "#include \"play/ball.h\"\n");                     // up
    write("src/gfx/c.cpp", "#include \"sound/voice.h\"\n");                      // sideways
    write("src/play/d.cpp", "  #  include <SDL.h>\n");                           // a library outside its back end
    write("src/platform/e.cpp", "#include \"platform/sdl/backend_state.h\"\n");  // the core into a back end
    write("src/platform/sdl/f.cpp", "#include <SDL.h>\n#include <windows.h>\n");
    write("src/platform/win32/g.cpp", "#include <windows.h>\n#include \"platform/headless/headless.h\"\n");
    write("src/platform/pads.cpp", "#include <XInput.h>\n");  // the core into a platform library
    // Floors inside play: top > mid_a | mid_b > low.
    write("src/play/top.cpp", "#include \"play/top.h\"\n#include \"play/mid_a.h\"\n#include \"play/low.h\"\n");
    write("src/play/mid_a.cpp", "#include \"play/mid_b.h\"\n");  // sideways on a floor
    write("src/play/low.h", "#include \"play/top.h\"\n");        // up a floor
    write("src/play/stray.cpp", "#include \"play/low.h\"\n");    // on no floor
    // assetgen: its own files, the named game headers and libpng only.
    write("tools/assetgen/art.h", "#include <png.h>\n#include \"gfx/sheet_map.h\"\n#include \"art.h\"\n");
    write("tools/assetgen/h.cpp", "#include \"gfx/bitmap.h\"\n#include \"missing.h\"\n#include <SDL.h>\n");
    write("src/gfx/sheet_map.h", "#include \"gfx/surfaces.h\"\n#include <cstdint>\n");  // reaches past the list
    const std::map<std::string, int> rank = {{"play", 0}, {"bricks", 1}, {"sound", 2}, {"gfx", 2}, {"platform", 3}};
    const Floors floors = {{"play", {{"top", 0}, {"mid_a", 1}, {"mid_b", 1}, {"low", 2}, {"d", 0}}}};
    const auto bad = Violations(root / "src", rank, floors);
    const auto badTool = AssetgenViolations(root / "tools" / "assetgen", root / "src", {"gfx/sheet_map.h"});
    fs::remove_all(root);
    std::string all;
    for (const auto& b : bad) all += b + "\n";
    for (const auto& b : badTool) all += b + "\n";
    for (const char* expected :
         {"bricks/b.cpp:1", "gfx/c.cpp:1", "play/d.cpp:1", "platform/e.cpp:1", "platform/sdl/f.cpp:2",
          "platform/win32/g.cpp:2", "platform/pads.cpp:1", "play/mid_a.cpp:1", "play/low.h:1", "play/stray.cpp:1",
          "assetgen/h.cpp:1", "assetgen/h.cpp:2", "assetgen/h.cpp:3", "src/gfx/sheet_map.h:1"})
        EXPECT_NE(all.find(expected), std::string::npos) << expected << " not caught in:\n" << all;
    EXPECT_EQ(bad.size(), 10u) << all;
    EXPECT_EQ(badTool.size(), 4u) << all;
}

}  // namespace
