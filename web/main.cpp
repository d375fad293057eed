// The entry of the browser's module `qorb`: it makes the art and voices in
// the tab (the download carries none), then runs the game as game565 does.
// A Web Worker running this same module (`--make NAMES`) makes the voices
// meanwhile on the other core, then the round pictures behind the title; a
// game's first round waits for them only if they are not made yet.
//
// With the argument --bot (index.html?args=--bot) qorb-sim's built-in player
// plays, for measurements: it acts after each pass of the game's loop, and
// the back end feeds its input to the game as its time comes. The page's figures:
// playSteps counts the play steps that read the mouse, as qorb-sim counts
// them, steadySteps and steadyMs those of them that came in a row and the
// time they took, and flips the game's flips.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "assets.h"
#include "bot.h"
#include "make_assets.h"
#include "platform/platform.h"
#include "platform/web/page.h"
#include "platform/web/web_backend.h"
#include "play/play_report.h"
#include "play/status_panel.h"
#include "shell/devices.h"
#include "shell/entry.h"
#include "shell/executable_packing.h"

namespace {

namespace page = plat::web::page;

uint64_t playSteps = 0;
// Steps that followed another within 50 ms, and the time between them: the
// pace of play itself, without explosions and announcements between steps.
uint64_t steadySteps = 0;
double steadyMs = 0, lastStepMs = -1;

// What the page shows around the picture follows the game: 0 the title or
// the intro, 1 a game in play, 2 paused. A pause waits inside the play call
// that read F1, so the page hears of it from the pumps while it waits.
bool inPlayCall = false;
int32_t shownState = -1;

void ReportPlayState() {
    const int32_t state = Lives <= 0 ? 0 : inPlayCall && LastPlayFrame.F1 ? 2 : 1;
    if (state != shownState) page::PlayState(shownState = state);
}

void CountPlayStep(int32_t) {
    inPlayCall = false;
    ReportPlayState();
    if (LastPlayFrame.Mouse == PlayFrameReport::MouseRead::None) return;
    page::SetFigure("playSteps", static_cast<double>(++playSteps));
    const double now = page::NowMs();
    if (lastStepMs >= 0 && now - lastStepMs < 50) {
        steadyMs += now - lastStepMs;
        page::SetFigure("steadySteps", static_cast<double>(++steadySteps));
        page::SetFigure("steadyMs", steadyMs);
    }
    lastStepMs = now;
}

ExitStatus BotMain() {
    ExitStatus status;
    if (!OpenGame(&status)) return status;
    Bot bot;
    while (FramePass(&status.Code)) {
        for (const plat::TimedInput& e : bot.Act(plat::Ticks() + 1)) plat::web::Schedule(e);
    }
    ShutdownDevices();
    return status;
}

// Where the game looks for its art: beside the program, which is "/".
constexpr const char* AssetFolder = "/assets";

bool WriteAsset(const std::string& name, const std::vector<uint8_t>& bytes, std::string* error) {
    const std::string path = std::string(AssetFolder) + "/" + name;
    std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out.get()) != bytes.size() ||
        std::fclose(out.release()) != 0) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& n : names) joined += (joined.empty() ? "" : ",") + n;
    return joined;
}

// The worker's side: makes the files and hands each to the page.
int MakeForPage(const std::string& list) {
    std::vector<std::string> names;
    for (size_t start = 0; start <= list.size();) {
        const size_t comma = std::min(list.find(',', start), list.size());
        if (comma > start) names.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    std::string error;
    const bool made = assetgen::MakeEach(
        names,
        [](const std::string& name, const std::vector<uint8_t>& bytes) {
            page::HandOver(name.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size()));
            return true;
        },
        &error);
    if (!made) page::Fatal(error.c_str());
    page::Ended(made ? 0 : 1);
    return made ? 0 : 1;
}

// The files the worker makes and nobody has written yet, in its order, and
// those it makes that were made here meanwhile.
std::vector<std::string> fromWorker, unwanted;

// Writes the worker's next file if it has come, or makes it here if the
// worker has stopped; false with nothing done while it is still to come.
bool WriteNextFromWorker(std::string* error, bool* failed) {
    const std::string& name = fromWorker.front();
    if (const uint32_t size = page::MadeSize(name.c_str()); size > 0) {
        std::vector<uint8_t> bytes(size);
        page::TakeMade(name.c_str(), bytes.data());
        *failed = !WriteAsset(name, bytes, error);
    } else if (page::MakerFailed()) {
        *failed = !assetgen::MakeEach(
            {name},
            [&](const std::string& n, const std::vector<uint8_t>& bytes) { return WriteAsset(n, bytes, error); },
            error);
    } else {
        return false;
    }
    fromWorker.erase(fromWorker.begin());
    return true;
}

// Writes the worker's files until `left` are still to come, yielding while
// the next one is not in yet.
bool WaitForWorker(size_t left, std::string* error) {
    bool failed = false;
    while (fromWorker.size() > left && !failed) {
        if (!WriteNextFromWorker(error, &failed)) {
            page::Progress(0.99, fromWorker.front().c_str());
            page::WaitForMade();
        }
    }
    return !failed;
}

void StopOnMissingArt(const std::string& error) {
    plat::ReportFatalError("making the round pictures: " + error);
    plat::web::Schedule({plat::Ticks(), plat::CloseEvent()});
    fromWorker.clear();
}

// Between the game's polls: a round picture that has come is written, one a
// poll, so that no poll takes long.
void BetweenPolls() {
    for (auto u = unwanted.begin(); u != unwanted.end();) {
        if (page::MadeSize(u->c_str()) == 0) {
            ++u;
            continue;
        }
        page::TakeMade(u->c_str(), nullptr);
        u = unwanted.erase(u);
    }
    if (!fromWorker.empty()) {
        std::string error;
        bool failed = false;
        WriteNextFromWorker(&error, &failed);
        if (failed) StopOnMissingArt(error);
    }
}

// Before a game's round loads its picture: every round picture written, which
// waits only if the worker has not made them all yet.
void RoundPicturesBeforePlay() {
    std::string error;
    if (!fromWorker.empty() && !WaitForWorker(0, &error)) StopOnMissingArt(error);
}

// Makes what set-up reads, sharing the work with a worker where the page can
// start one; false with the reason when a file cannot be made.
bool MakeArt(std::string* error) {
    std::error_code folder;
    std::filesystem::create_directories(AssetFolder, folder);
    if (folder) {
        *error = std::string(AssetFolder) + ": " + folder.message();
        return false;
    }
    // Set-up reads the five pictures and the voices; the rounds read their
    // pictures (LEVELn.GRA) when they start.
    std::vector<std::string> pictures, voices, rounds;
    for (const std::string& name : assetgen::AssetNames()) {
        if (name.rfind("LEVEL", 0) == 0)
            rounds.push_back(name);
        else if (!name.ends_with(".voc"))
            pictures.push_back(name);
    }
    // The longest voices first: the longer, the longer to make.
    std::vector<assetgen::SoundRecipe> recipes = assetgen::SoundRecipes();
    std::stable_sort(recipes.begin(), recipes.end(),
                     [](const auto& a, const auto& b) { return a.ByteBudget > b.ByteBudget; });
    for (const assetgen::SoundRecipe& r : recipes) voices.push_back(r.Name);
    std::vector<std::string> forWorker = voices;
    forWorker.insert(forWorker.end(), rounds.begin(), rounds.end());
    const bool helped = page::StartMaker(Joined(forWorker).c_str());

    const double total = static_cast<double>(pictures.size() + voices.size());
    size_t count = 0;
    const auto write = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
        page::Progress(static_cast<double>(++count) / total, name.c_str());
        page::Sleep(0);  // let the page draw its progress bar, and hear the worker
        return WriteAsset(name, bytes, error);
    };
    if (!assetgen::MakeEach(pictures, write, error)) return false;
    // The voices: the worker makes them from the longest, this thread from the
    // shortest once its pictures are done, until they meet.
    while (!voices.empty()) {
        for (auto v = voices.begin(); v != voices.end();) {
            if (const uint32_t size = page::MadeSize(v->c_str()); size > 0) {
                std::vector<uint8_t> bytes(size);
                page::TakeMade(v->c_str(), bytes.data());
                if (!write(*v, bytes)) return false;
                v = voices.erase(v);
            } else {
                ++v;
            }
        }
        if (voices.empty()) break;
        if (!assetgen::MakeEach({voices.back()}, write, error)) return false;
        if (helped) unwanted.push_back(voices.back());
        voices.pop_back();
    }
    if (helped) fromWorker = rounds;
    RoundPicturesAtSetup = !helped;
    if (!helped &&
        !assetgen::MakeEach(
            rounds,
            [&](const std::string& name, const std::vector<uint8_t>& bytes) { return WriteAsset(name, bytes, error); },
            error))
        return false;
    page::Progress(1, "");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--make") return MakeForPage(argv[2]);
    const bool withBot = argc == 2 && std::string(argv[1]) == "--bot";
    if (argc > 1 && !withBot) {
        plat::ReportFatalError("the only argument is --bot");
        page::Ended(2);
        return 2;
    }
    std::string error;
    if (!MakeArt(&error)) {
        plat::ReportFatalError("making the art and sounds: " + error);
        page::Ended(1);
        return 1;
    }

    UseExecutablePacking();
    PlayFrameObserver = CountPlayStep;
    PlayFrameStarting = [] {
        inPlayCall = true;
        RoundPicturesBeforePlay();
    };
    plat::web::SetPumpHook([] {
        ReportPlayState();
        BetweenPolls();
    });
    plat::web::SetFlipObserver([](uint64_t flips) { page::SetFigure("flips", static_cast<double>(flips)); });
    const ExitStatus status = withBot ? BotMain() : GameMain();
    if (!status.Message.empty()) plat::ReportFatalError(status.Message);
    page::Ended(status.Code);
    return status.Code;
}
