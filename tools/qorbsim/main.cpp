// qorb-sim: the real game on the headless back end, as fast as the
// processor allows, for tests, benchmarks, pictures and bug reports.
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "bot.h"
#include "gfx/assets.h"
#include "input_script.h"
#include "options.h"
#include "platform/headless/headless.h"
#include "play/ball.h"
#include "play/play_report.h"
#include "play/round_loop.h"
#include "play/status_panel.h"
#include "shell/devices.h"
#include "shell/entry.h"
#include "trace.h"

namespace {

namespace fs = std::filesystem;
namespace headless = plat::headless;

constexpr uint64_t WaitingLimitMicros = 60'000'000;
constexpr uint64_t Never = UINT64_MAX;

// Exit statuses of qorb-sim's own (the game's come from its quit message).
constexpr int StatusOutputLost = 1;
constexpr int StatusUsage = 2;
constexpr int StatusScriptRanOut = 3;

// Why and when the run ends. Decided wherever the moment comes (after a play
// call, in a wait of the game); the run loop then returns, and Finish writes
// and closes everything. From the moment on nothing is counted or written.
struct Stop {
    bool Decided = false;
    int Code = 0;
    std::string Why;  // said on stderr, if anything
    uint64_t AtMicros = 0;
    int32_t Lives = 0;
};

struct Run {
    SimOptions Options;
    TraceWriter Trace;
    std::ofstream TraceFile;
    uint64_t Calls = 0;
    uint64_t PlaySteps = 0;
    uint64_t Games = 0;
    int32_t BestRound = 0;
    int32_t BestScore = 0;
    Stop End;
    // The timeline applied, kept only to be written as the record.
    std::vector<plat::TimedInput> Events;
    std::vector<bool> ShotsTaken;
    std::vector<bool> TimedShotsTaken;
    // The game never ran: nothing is written, and the trace opened to check
    // that it can be is taken away again.
    bool SetUpFailed = false;
    // The measure of a run that waits for input that will never come: when
    // the last scripted event was applied, when the game began to wait for
    // input (the title screen, a serve), and when the play call now running
    // began (a call that lasts a minute is a pause).
    size_t PendingEvents = 0;
    uint64_t LastEventMicros = 0;
    uint64_t WaitingSinceMicros = Never;
    uint64_t CallStartMicros = 0;
};

Run run;

// Set by SIGINT and SIGTERM; the run ends at the next moment of virtual time.
volatile std::sig_atomic_t stopSignal = 0;
extern "C" void OnStopSignal(int signal) { stopSignal = signal; }

int Fail(const std::string& why) {
    std::fprintf(stderr, "qorb-sim: %s\n%s", why.c_str(), SimUsage);
    return StatusUsage;
}

// The build's art while it is there; an installed qorb-sim, far from any
// build, finds the installed art as the games do. "" when neither is found.
std::string DefaultAssets(std::string* searched) {
    std::error_code error;
    if (fs::is_regular_file(fs::path(QORB_DEFAULT_ASSET_DIR) / "ELEMENTS.DAT", error)) return QORB_DEFAULT_ASSET_DIR;
    std::string elsewhere;
    if (FindAssetFolder(&elsewhere)) return AssetFolder.empty() ? std::string(".") : AssetFolder;
    *searched = std::string(QORB_DEFAULT_ASSET_DIR) + ", " + elsewhere;
    return "";
}

std::string Absolute(const std::string& path) {
    if (path.empty()) return path;
    std::error_code error;
    const fs::path made = fs::absolute(path, error);
    return error ? path : made.string();
}

// The first decision stands. A game paused or waiting in a lost display is
// asked to close, so that its wait ends and the run loop gets control back.
void StopRun(int code, std::string why) {
    if (run.End.Decided) return;
    run.End = Stop{true, code, std::move(why), headless::NowMicros(), Lives};
    plat::core::RequestClose();
}

void SaveShot(const std::string& file) {
    std::string error;
    if (!headless::SavePrimaryPng(file, &error))
        StopRun(StatusOutputLost, "the screenshot " + file + " cannot be written: " + error);
}

void AfterPlayFrame(int32_t result) {
    if (run.End.Decided) return;
    ++run.Calls;
    const uint64_t now = headless::NowMicros();
    const bool step = LastPlayFrame.Mouse != PlayFrameReport::MouseRead::None;
    if (step) ++run.PlaySteps;
    // A held ball is the game waiting for the serve; anything else it does by itself.
    if (step && BallHeld == 1)
        run.WaitingSinceMicros = std::min(run.WaitingSinceMicros, now);
    else
        run.WaitingSinceMicros = Never;
    run.BestRound = std::max(run.BestRound, RoundNumber);
    run.BestScore = std::max(run.BestScore, Score);
    if (run.TraceFile.is_open()) {
        run.TraceFile << run.Trace.Line(run.Calls, now / 1000, result) << '\n';
        if (!run.TraceFile) StopRun(StatusOutputLost, "");  // Finish names the file
    }
    for (size_t i = 0; i < run.Options.Shots.size(); ++i)
        if (run.Options.Shots[i].Call == run.Calls) {
            run.ShotsTaken[i] = true;
            SaveShot(run.Options.Shots[i].File);
        }
    if (run.Options.ShotEvery != 0 && run.Calls % run.Options.ShotEvery == 0) {
        char name[32];
        std::snprintf(name, sizeof name, "shot-%08llu.png", static_cast<unsigned long long>(run.Calls));
        SaveShot((fs::path(run.Options.ShotDir) / name).string());
    }
    if (Lives == 0) ++run.Games;  // a call that leaves no lives has ended a game
    if (run.Options.Steps > 0 && run.Calls >= static_cast<uint64_t>(run.Options.Steps)) StopRun(0, "");
    if (run.Options.Games > 0 && run.Games >= static_cast<uint64_t>(run.Options.Games)) StopRun(0, "");
}

// Only what the game took up to the stop, so that a replay of the record
// is the run itself.
bool WriteRecord(const std::string& path, std::vector<plat::TimedInput> events, uint64_t stopMicros) {
    std::ofstream out(path);
    out << FormatRecord(std::move(events), stopMicros);
    out.close();
    return static_cast<bool>(out);
}

// The screenshots whose call or moment the run never reached, one line each.
std::vector<std::string> ShotsNotTaken() {
    std::vector<std::string> missing;
    const SimOptions& o = run.Options;
    for (size_t i = 0; i < o.Shots.size(); ++i)
        if (!run.ShotsTaken[i])
            missing.push_back("the screenshot " + o.Shots[i].File + " was not taken: the run stopped after " +
                              std::to_string(run.Calls) + " play calls, before call " +
                              std::to_string(o.Shots[i].Call));
    for (size_t i = 0; i < o.TimedShots.size(); ++i)
        if (!run.TimedShotsTaken[i])
            missing.push_back("the screenshot " + o.TimedShots[i].File + " was not taken: the run stopped at " +
                              std::to_string(run.End.AtMicros / 1000) + " ms, before " +
                              std::to_string(o.TimedShots[i].Ms) + " ms");
    return missing;
}

// A run whose game never ran leaves nothing that looks like its result.
void DiscardTrace() {
    if (!run.TraceFile.is_open()) return;
    run.TraceFile.close();
    std::error_code ignored;
    fs::remove(run.Options.Trace, ignored);
}

// Every way a run ends comes here: what stopped it, the trace and record
// closed and checked, the screenshots it owes, and the summary line. The
// status is the stop's, or 1 when something written is lost or a
// screenshot was never taken.
int Finish() {
    const SimOptions& o = run.Options;
    const Stop& end = run.End;
    int code = end.Code;
    if (!end.Why.empty()) std::fprintf(stderr, "qorb-sim: %s\n", end.Why.c_str());
    auto lost = [&code](const std::string& what) {
        std::fprintf(stderr, "qorb-sim: %s cannot be written\n", what.c_str());
        code = StatusOutputLost;
    };
    if (run.SetUpFailed) {
        DiscardTrace();
    } else {
        if (run.TraceFile.is_open()) {
            run.TraceFile.close();
            if (!run.TraceFile) lost("the trace " + o.Trace);
        }
        if (!o.Record.empty() && !WriteRecord(o.Record, std::move(run.Events), end.AtMicros))
            lost("the record " + o.Record);
        for (const std::string& why : ShotsNotTaken()) {
            std::fprintf(stderr, "qorb-sim: %s\n", why.c_str());
            code = StatusOutputLost;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "qorb-sim: %llu play steps, %llu games, round %d reached, best score %d, %d lives, "
        "%.3f virtual s, %.3f cpu s, peak memory %ld KiB\n",
        static_cast<unsigned long long>(run.PlaySteps), static_cast<unsigned long long>(run.Games), run.BestRound,
        run.BestScore, end.Lives, static_cast<double>(end.AtMicros) / 1e6,
        static_cast<double>(std::clock()) / CLOCKS_PER_SEC, usage.ru_maxrss);
    if (std::fflush(stdout) != 0) lost("the standard output");
    return code;
}

// Whether the script has run out and the game has waited a minute for input:
// counted from the later of the last event and the moment the game began to
// wait, so that an intro or an announcement playing by itself is not waiting.
void StopIfWaitingForEver(uint64_t micros) {
    const size_t pending = headless::PendingEvents();
    if (pending != run.PendingEvents) {
        run.PendingEvents = pending;
        run.LastEventMicros = micros;
        run.WaitingSinceMicros = Never;
    }
    if (run.Options.Bot || pending != 0) return;
    // Inside a play call that has not returned for a minute the game is paused.
    const bool paused = Lives > 0 && micros - std::max(run.CallStartMicros, run.LastEventMicros) >= WaitingLimitMicros;
    uint64_t since = paused ? run.CallStartMicros : run.WaitingSinceMicros;
    if (since == Never) return;
    since = std::max(since, run.LastEventMicros);
    if (micros - since < WaitingLimitMicros) return;
    const char* where = Lives == 0 ? "on the title screen" : paused ? "paused" : "to serve";
    StopRun(StatusScriptRanOut,
            "the script has run out (its last event at " + std::to_string(run.LastEventMicros / 1000) +
                " ms) and the game has waited for input (" + where + ") since " + std::to_string(since / 1000) +
                " ms; stopped 60 s later, at " + std::to_string(micros / 1000) + " ms");
}

// Every wait of the game moves virtual time, so this is where a run that
// must end is seen to end, whatever the game is waiting in.
void OnClock(uint64_t micros) {
    if (run.End.Decided) return;
    const SimOptions& o = run.Options;
    for (size_t i = 0; i < o.TimedShots.size(); ++i)
        if (!run.TimedShotsTaken[i] && micros / 1000 >= o.TimedShots[i].Ms) {
            run.TimedShotsTaken[i] = true;
            SaveShot(o.TimedShots[i].File);
        }
    if (stopSignal != 0) {
        const int signal = stopSignal;
        StopRun(128 + signal, std::string("stopped by ") + (signal == SIGINT ? "SIGINT" : "SIGTERM") + " at " +
                                  std::to_string(micros / 1000) + " ms; the trace and record hold the run so far");
    }
    if (o.UntilMs > 0 && micros >= static_cast<uint64_t>(o.UntilMs) * 1000) StopRun(0, "");
    if (!run.End.Decided) StopIfWaitingForEver(micros);
}

// The game until the run stops; then everything is shut down and written.
int PlayRun() {
    const SimOptions& o = run.Options;
    ExitStatus opened;
    if (!OpenGame(&opened)) {
        plat::ReportFatalError(opened.Message);
        run.SetUpFailed = true;
        StopRun(opened.Code, "");
        return Finish();
    }
    int exitCode = 0;
    Bot bot;
    run.Trace.Snapshot();
    if (run.TraceFile.is_open()) run.Trace.Listen();
    while (!run.End.Decided && FramePass(&exitCode)) {
        const uint64_t now = headless::NowMicros();
        run.CallStartMicros = now;
        if (Lives == 0) run.WaitingSinceMicros = std::min(run.WaitingSinceMicros, now);  // the title waits for a key
        if (!o.Bot) continue;
        // Strictly after now, so that a replay applies each event at the same moment.
        for (const plat::TimedInput& e : bot.Act(now / 1000 + 1)) {
            headless::Schedule(e);
            if (!o.Record.empty()) run.Events.push_back(e);
        }
    }
    StopRun(exitCode, "");  // the game quit by itself, unless the run was stopped first
    ShutdownDevices();
    return Finish();
}

}  // namespace

int main(int argc, char** argv) {
    SimOptions& o = run.Options;
    std::string error;
    if (!ParseOptions(std::vector<std::string>(argv + 1, argv + argc), &o, &error)) return Fail(error);
    if (o.Help) {
        std::fputs(SimUsage, stdout);
        return 0;
    }
    for (std::string* path : {&o.Script, &o.Trace, &o.Record, &o.ShotDir}) *path = Absolute(*path);
    for (SimOptions::Shot& shot : o.Shots) shot.File = Absolute(shot.File);
    for (SimOptions::TimedShot& shot : o.TimedShots) shot.File = Absolute(shot.File);

    std::vector<plat::TimedInput> script;
    if (!o.Script.empty() && !ReadScript(o.Script, &script, &error)) return Fail(error);
    std::string assets = o.Assets;
    if (assets.empty()) {
        std::string searched;
        assets = DefaultAssets(&searched);
        if (assets.empty()) return Fail("no art in " + searched + "; name its folder with --assets");
    }
    std::error_code moved;
    fs::current_path(assets, moved);
    if (moved) return Fail(assets + ": " + moved.message());
    if (!o.ShotDir.empty()) {
        std::error_code made;
        fs::create_directories(o.ShotDir, made);
        if (made) return Fail(o.ShotDir + ": cannot be made");
    }
    // Opened last, so that a refusal above leaves no empty trace behind.
    if (!o.Trace.empty()) {
        run.TraceFile.open(o.Trace);
        if (!run.TraceFile) return Fail(o.Trace + ": cannot be written");
    }

    GamePacking = o.PixelPacking;
    ForcedStartRound = o.Round;
    plat::DisplaySetWordLayout(o.PixelPacking == Packing::Rgb565 ? plat::WordLayout::Rgb565 : plat::WordLayout::Rgb555);
    headless::Reset(headless::Config{.StartSeconds = o.Seed});
    for (const plat::TimedInput& e : script) headless::Schedule(e);
    run.PendingEvents = headless::PendingEvents();
    if (!o.Record.empty()) run.Events = std::move(script);
    PlayFrameObserver = AfterPlayFrame;
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    // A timed shot is the screen as it stands at its moment, during long
    // sequences (title, intro, game over) too.
    run.ShotsTaken.assign(o.Shots.size(), false);
    run.TimedShotsTaken.assign(o.TimedShots.size(), false);
    headless::SetClockObserver(OnClock);
    return PlayRun();
}
