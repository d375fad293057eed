// The entry of the browser's module `qorb`: it makes the art and voices (the
// download carries none), then runs the game as game565 does. A Web Worker
// that the page starts as it opens runs this same module (`--maker`) on the
// other core: it makes set-up's files from one end while the tab makes them
// from the other, then the round pictures behind the title; a game's first
// round waits for them only if they are not made yet.
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
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "assets.h"
#include "bot.h"
#include "gfx/screen_map.h"
#include "make_assets.h"
#include "platform/file_open.h"
#include "platform/platform.h"
#include "platform/web/pacing.h"
#include "platform/web/page.h"
#include "platform/web/web_backend.h"
#include "play/play_report.h"
#include "play/status_panel.h"
#include "shell/devices.h"
#include "shell/entry.h"
#include "shell/executable_packing.h"
#include "sound/voice.h"

namespace {

namespace page = plat::web::page;

uint64_t playSteps = 0;
// Steps that followed another within 50 ms, and the time between them: the
// pace of play itself, without explosions and announcements between steps.
uint64_t steadySteps = 0;
double steadyMs = 0, lastStepMs = -1;

// What the page shows around the picture follows the game: 0 the title or
// the intro, 1 a game in play, 2 waiting in the pause (the play call that
// read F1 waits there, so the page hears of it from the pumps meanwhile).
int32_t shownState = -1;

void ReportPlayState() {
    const plat::PlayState where = WhereTheGameStands();
    const int32_t state = where == plat::PlayState::Title ? 0 : where == plat::PlayState::Paused ? 2 : 1;
    if (state != shownState) page::PlayState(shownState = state);
}

void CountPlayStep(int32_t) {
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

// --voices: every voice of the game played alone through the page's sound,
// for the browser test that listens to each (index.html?args=--voices&meter=1).
// Set-up as the game does it; then, once the page's audio runs, each voice in
// turn from its start for at most VoiceHeardMs and a silence after it. The
// page's figures: voiceN_loaded, and voiceN_from and voiceN_to, the frames of
// the page's audio between which it sounds; voicesDone once all are played.
constexpr uint32_t VoiceHeardMs = 700, VoiceQuietMs = 400;

void IdleFor(uint32_t ms) {
    for (const uint32_t start = plat::Ticks(); plat::Ticks() - start < ms;) plat::Idle();
}

ExitStatus VoicesMain() {
    ExitStatus status;
    if (!OpenGame(&status)) return status;
    while (!page::AudioRunning()) plat::Idle();
    IdleFor(VoiceQuietMs);
    for (int i = 0; i < VoiceCount; ++i) {
        Voice& voice = *VoiceInventory[i].Target;
        const std::string figure = "voice" + std::to_string(i) + "_";
        page::SetFigure((figure + "loaded").c_str(), voice.Buffer != nullptr ? 1 : 0);
        page::SetFigure((figure + "from").c_str(), page::AudioPlayedFrame());
        PlayVoice(voice);
        for (const uint32_t start = plat::Ticks(); plat::Ticks() - start < VoiceHeardMs && voice.Buffer != nullptr &&
                                                   plat::SoundStatus(voice.Buffer) == plat::SoundStatusPlaying;)
            plat::Idle();
        StopVoice(voice);
        // What the mixer made before the stop is heard up to its lead later.
        page::SetFigure((figure + "to").c_str(), page::AudioPlayedFrame() + plat::web::AudioFeed::MostLeadFrames);
        IdleFor(VoiceQuietMs);
    }
    page::SetFigure("voicesDone", 1);
    ShutdownDevices();
    status.Code = 0;
    return status;
}

// Where the game looks for its art: beside the program, which is "/".
constexpr const char* AssetFolder = "/assets";

std::string AssetFile(const std::string& name) { return std::string(AssetFolder) + "/" + name; }

bool WriteAsset(const std::string& name, const std::vector<uint8_t>& bytes, std::string* error) {
    const std::string path = AssetFile(name);
    std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out.get()) != bytes.size() ||
        std::fclose(out.release()) != 0) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

// The files' recipes, kept while set-up's files are made: the intro's sky
// (CLOUDS.DAT) is also the ships' ground, and the walls stand on two sheets,
// each drawn once for both when one thread makes both.
std::unique_ptr<std::vector<assetgen::AssetJob>> jobs;

// Makes one file and hands its bytes to `made`; false with the reason when
// it is no file of the game's or `made` says no.
bool MakeOne(const std::string& name, const std::function<bool(const std::vector<uint8_t>&)>& made,
             std::string* error) {
    if (!jobs) jobs = std::make_unique<std::vector<assetgen::AssetJob>>(assetgen::AllAssetJobs());
    const auto job = std::find_if(jobs->begin(), jobs->end(), [&](const auto& j) { return j.Name == name; });
    if (job == jobs->end()) {
        *error = name + " is no file of the game's";
        return false;
    }
    if (made(job->Make())) return true;
    *error = "stopped at " + name;
    return false;
}

// The files set-up reads, in the order the worker makes them. The tab
// makes each as set-up comes to it, unless the worker has, so that the two
// meet where the work is shared evenly, whatever each core's speed. The
// worker begins with the intro's sky and the ships' sheet drawn over it (one
// drawing of the sky for both), which set-up reads last of the pictures,
// then the voices, the longest (the slowest to make) first, then the other
// pictures from the last set-up reads.
std::vector<std::string> SetupFiles() {
    std::vector<std::string> files, pictures;
    for (const std::string& name : assetgen::AssetNames()) {
        if (name == "CLOUDS.DAT" || name == "SHIPS1.DAT")
            files.push_back(name);
        else if (name.rfind("LEVEL", 0) != 0 && !name.ends_with(".voc"))
            pictures.push_back(name);
    }
    std::vector<VoiceFile> voices(std::begin(VoiceInventory), std::end(VoiceInventory));
    std::stable_sort(voices.begin(), voices.end(),
                     [](const auto& a, const auto& b) { return a.ByteBudget > b.ByteBudget; });
    for (const VoiceFile& v : voices)
        if (std::find(files.begin(), files.end(), v.FileName) == files.end()) files.push_back(v.FileName);
    files.insert(files.end(), pictures.rbegin(), pictures.rend());
    return files;
}

// The round pictures (LEVELn.GRA): the rounds read them as they start.
std::vector<std::string> RoundFiles() {
    std::vector<std::string> rounds;
    for (const std::string& name : assetgen::AssetNames())
        if (name.rfind("LEVEL", 0) == 0) rounds.push_back(name);
    return rounds;
}

// The worker's side (--maker): makes the set-up files from the front, then
// the round pictures, skipping what the tab has made meanwhile, and hands
// each to the page.
int MakeForPage() {
    std::vector<std::string> names = SetupFiles();
    for (const std::string& name : RoundFiles()) names.push_back(name);
    std::string error;
    bool made = true;
    const size_t setupCount = names.size() - RoundFiles().size();
    for (size_t i = 0; i < names.size() && made; ++i) {
        if (i == setupCount) {
            jobs.reset();  // the rounds share nothing
            // They are read when a game starts, well after the title: the tab
            // has the cores to itself until its first picture.
            page::WaitForFirstPicture();
        }
        if (!page::StillWanted(names[i].c_str())) continue;
        made = MakeOne(
            names[i],
            [&](const std::vector<uint8_t>& bytes) {
                page::HandOver(names[i].c_str(), bytes.data(), static_cast<uint32_t>(bytes.size()));
                return true;
            },
            &error);
    }
    if (!made) page::Fatal(error.c_str());
    page::Ended(made ? 0 : 1);
    return made ? 0 : 1;
}

// Writes a file the worker has handed back where the game reads it.
bool StoreMade(const std::string& name, std::string* error) {
    if (page::TakeMade(name.c_str(), AssetFile(name).c_str())) return true;
    *error = "cannot write " + AssetFile(name);
    return false;
}

// The round pictures the worker makes that nobody has written yet, in its order.
std::vector<std::string> fromWorker;

// Writes the worker's next file if it has come, or makes it here if the
// worker has stopped; false with nothing done while it is still to come.
bool WriteNextFromWorker(std::string* error, bool* failed) {
    const std::string& name = fromWorker.front();
    if (page::MadeSize(name.c_str()) > 0) {
        *failed = !StoreMade(name, error);
    } else if (page::MakerStopped()) {
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
    if (fromWorker.empty()) return;
    std::string error;
    bool failed = false;
    WriteNextFromWorker(&error, &failed);
    if (failed) StopOnMissingArt(error);
}

// Before a game's round loads its picture: every round picture written, which
// waits only if the worker has not made them all yet.
void RoundPicturesBeforePlay() {
    std::string error;
    if (!fromWorker.empty() && !WaitForWorker(0, &error)) StopOnMissingArt(error);
}

// Set-up's files not in the folder yet, in the worker's order, and whether
// the worker shares them.
std::vector<std::string> setupLeft;
bool helped = false;
size_t setupMade = 0;

// The progress bar, once `name` is in the folder and out of setupLeft.
void SetupFilePut(const std::string& name) {
    ++setupMade;
    page::Progress(static_cast<double>(setupMade) / static_cast<double>(setupMade + setupLeft.size()), name.c_str());
}

// Writes whichever of set-up's files the worker has handed back.
bool StoreSetupFilesMade(std::string* error) {
    for (auto f = setupLeft.begin(); f != setupLeft.end();) {
        if (page::MadeSize(f->c_str()) == 0) {
            ++f;
            continue;
        }
        if (!StoreMade(*f, error)) return false;
        const std::string name = *f;
        f = setupLeft.erase(f);
        SetupFilePut(name);
    }
    return true;
}

// Makes set-up's file `name` here and puts it in the folder.
bool MakeSetupFileHere(const std::string name, std::string* error) {
    setupLeft.erase(std::find(setupLeft.begin(), setupLeft.end(), name));
    if (helped) page::MadeHere(name.c_str());
    if (!MakeOne(
            name, [&](const std::vector<uint8_t>& bytes) { return WriteAsset(name, bytes, error); }, error))
        return false;
    SetupFilePut(name);
    return true;
}

// Puts `name`, a file set-up reads, in the folder: the worker's copy if it
// has come, else made here, unless the worker is making it (the first it
// still has to make). Meanwhile the tab makes the files from the other end,
// which set-up reads soon too, and waits only when none is left. (`name` is
// a copy: the list changes meanwhile.)
bool PutSetupFile(const std::string name, std::string* error) {
    for (;;) {
        page::Sleep(0);  // hear the worker, and let the page draw its progress bar
        if (!StoreSetupFilesMade(error)) return false;
        const auto at = std::find(setupLeft.begin(), setupLeft.end(), name);
        if (at == setupLeft.end()) break;
        if (helped && at == setupLeft.begin() && !page::MakerStopped()) {
            if (setupLeft.size() == 1) {
                page::WaitForMade();
            } else if (!MakeSetupFileHere(setupLeft.back(), error)) {
                return false;
            }
            continue;
        }
        if (!MakeSetupFileHere(name, error)) return false;
        break;
    }
    if (setupLeft.empty()) {
        jobs.reset();
        page::Progress(1, "");
    }
    return true;
}

// Set-up reads its files one after another, some more than once (two voices
// come from lasers.voc), and a tab runs set-up once (playing again reloads
// the page). The file it opened last is let go when it opens another, once
// set-up has no more reads of it to make, so that the tab does not keep some
// 20 MB of copies of what the game holds already for as long as it stays open.
std::vector<std::string> setupFiles;
std::map<std::string, int> setupReadsLeft;
std::string setupFileRead;

void CountSetupReads() {
    for (const std::string& name : setupFiles) setupReadsLeft[name] = 1;
    for (const VoiceFile& v : VoiceInventory) setupReadsLeft[v.FileName] = 0;
    for (const VoiceFile& v : VoiceInventory) ++setupReadsLeft[v.FileName];
}

void LetGoOfSetupFileRead() {
    if (setupFileRead.empty() || setupReadsLeft[setupFileRead] > 0) return;
    std::error_code ignored;  // a file that stays only costs memory
    std::filesystem::remove(AssetFile(setupFileRead), ignored);
    setupFileRead.clear();
}

// Set-up opens its files in its own order; each is put in the folder as it
// is opened, so that set-up reads one while the worker makes the next.
void PutBeforeOpen(const char* path) {
    if (path == nullptr) return;
    LetGoOfSetupFileRead();
    const std::string file(path);
    const std::string name = file.substr(file.find_last_of('/') + 1);
    if (std::find(setupFiles.begin(), setupFiles.end(), name) == setupFiles.end()) return;
    setupFileRead = name;
    --setupReadsLeft[name];
    if (std::find(setupLeft.begin(), setupLeft.end(), name) == setupLeft.end()) return;
    std::string error;
    if (!PutSetupFile(name, &error)) plat::ReportFatalError("making the art and sounds: " + error);
}

// Readies the making of the art and voices, sharing it with the worker where
// the page started one: the first file set-up reads, by which it finds the
// folder, is made now, the rest as set-up reads them; false with the reason
// when a file cannot be made.
bool MakeArt(std::string* error) {
    std::error_code folder;
    std::filesystem::create_directories(AssetFolder, folder);
    if (folder) {
        *error = std::string(AssetFolder) + ": " + folder.message();
        return false;
    }
    helped = page::MakerStarted();
    setupFiles = SetupFiles();
    setupLeft = setupFiles;
    CountSetupReads();
    RoundPicturesAtSetup = !helped;
    if (helped) {
        fromWorker = RoundFiles();
    } else if (!assetgen::MakeEach(
                   RoundFiles(),
                   [&](const std::string& name, const std::vector<uint8_t>& bytes) {
                       return WriteAsset(name, bytes, error);
                   },
                   error)) {
        return false;
    }
    plat::BeforeOpen = PutBeforeOpen;
    return PutSetupFile(setupLeft.back(), error);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--maker") return MakeForPage();
    const bool withBot = argc == 2 && std::string(argv[1]) == "--bot";
    const bool voices = argc == 2 && std::string(argv[1]) == "--voices";
    if (argc > 1 && !withBot && !voices) {
        plat::ReportFatalError("the only arguments are --bot and --voices");
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
    page::StatusPanel(screen::StatusPanel.X, screen::RoundY + plat::GlyphHeight);
    PlayFrameObserver = CountPlayStep;
    PlayFrameStarting = RoundPicturesBeforePlay;
    plat::web::SetPumpHook([] {
        ReportPlayState();
        BetweenPolls();
    });
    plat::web::SetFlipObserver([](uint64_t flips) { page::SetFigure("flips", static_cast<double>(flips)); });
    const ExitStatus status = withBot ? BotMain() : voices ? VoicesMain() : GameMain();
    if (!status.Message.empty()) plat::ReportFatalError(status.Message);
    page::Ended(status.Code);
    return status.Code;
}
