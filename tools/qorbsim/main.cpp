// qorb-sim: the real game on the headless back end, as fast as the
// processor allows, for tests, benchmarks, pictures and bug reports.
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "bot.h"
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

struct Run {
    SimOptions Options;
    TraceWriter Trace;
    std::ofstream TraceFile;
    uint64_t Calls = 0;
    uint64_t PlaySteps = 0;
    uint64_t Games = 0;
    int32_t BestRound = 0;
    int32_t BestScore = 0;
    bool Stop = false;
    std::vector<plat::TimedInput> Events;  // the timeline applied: the script's and the bot's
    // When the game last did something by itself or took an input: the
    // measure of a run that waits for input that will never come.
    uint64_t LastActivityMicros = 0;
    size_t PendingEvents = 0;
    uint64_t LastPlayCallMicros = 0;
};

Run run;

constexpr uint64_t WaitingLimitMicros = 60'000'000;

// Set by SIGINT and SIGTERM; the run ends at the next moment of virtual time.
volatile std::sig_atomic_t stopSignal = 0;
extern "C" void OnStopSignal(int signal) { stopSignal = signal; }

int Fail(const std::string& why) {
    std::fprintf(stderr, "qorb-sim: %s\n%s", why.c_str(), SimUsage);
    return 2;
}

std::string Absolute(const std::string& path) {
    if (path.empty()) return path;
    std::error_code error;
    const fs::path made = fs::absolute(path, error);
    return error ? path : made.string();
}

void SaveShot(const std::string& file) {
    std::string error;
    if (!headless::SavePrimaryPng(file, &error)) std::fprintf(stderr, "qorb-sim: %s\n", error.c_str());
}

void AfterPlayFrame(int32_t result) {
    ++run.Calls;
    const uint64_t now = headless::NowMicros();
    run.LastPlayCallMicros = now;
    // A held ball without input is the game waiting for the serve.
    if (BallHeld == 0) run.LastActivityMicros = now;
    if (LastPlayFrame.Mouse != PlayFrameReport::MouseRead::None) ++run.PlaySteps;
    run.BestRound = std::max(run.BestRound, RoundNumber);
    run.BestScore = std::max(run.BestScore, Score);
    if (run.TraceFile.is_open())
        run.TraceFile << run.Trace.Line(run.Calls, headless::NowMicros() / 1000, result) << '\n';
    for (const SimOptions::Shot& shot : run.Options.Shots)
        if (shot.Call == run.Calls) SaveShot(shot.File);
    if (run.Options.ShotEvery != 0 && run.Calls % run.Options.ShotEvery == 0) {
        char name[32];
        std::snprintf(name, sizeof name, "shot-%08llu.png", static_cast<unsigned long long>(run.Calls));
        SaveShot((fs::path(run.Options.ShotDir) / name).string());
    }
    if (Lives == 0) ++run.Games;  // a call that leaves no lives has ended a game
    if (run.Options.Steps > 0 && run.Calls >= static_cast<uint64_t>(run.Options.Steps)) run.Stop = true;
    if (run.Options.Games > 0 && run.Games >= static_cast<uint64_t>(run.Options.Games)) run.Stop = true;
}

bool WriteRecord(const std::string& path, std::vector<plat::TimedInput> events) {
    std::stable_sort(events.begin(), events.end(),
                     [](const plat::TimedInput& a, const plat::TimedInput& b) { return a.AtMs < b.AtMs; });
    std::ofstream out(path);
    out << "# qorb-sim input timeline: TIME_MS EVENT ARGS\n";
    for (const plat::TimedInput& e : events) out << FormatEvent(e) << '\n';
    return static_cast<bool>(out);
}

// The trace and record as they stand, and the summary line; `code` unless
// the record cannot be written.
int Finish(int code) {
    const SimOptions& o = run.Options;
    if (run.TraceFile.is_open()) run.TraceFile.close();
    if (!o.Record.empty() && !WriteRecord(o.Record, run.Events)) return Fail(o.Record + ": cannot be written");
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "qorb-sim: %llu play steps, %llu games, round %d reached, best score %d, %d lives, "
        "%.3f virtual s, %.3f cpu s, peak memory %ld KiB\n",
        static_cast<unsigned long long>(run.PlaySteps), static_cast<unsigned long long>(run.Games), run.BestRound,
        run.BestScore, Lives, static_cast<double>(headless::NowMicros()) / 1e6,
        static_cast<double>(std::clock()) / CLOCKS_PER_SEC, usage.ru_maxrss);
    std::fflush(stdout);
    return code;
}

// Every wait of the game moves virtual time, so this is where a run that
// must end is ended, whatever the game is waiting in.
void OnClock(uint64_t micros) {
    const SimOptions& o = run.Options;
    if (stopSignal != 0) {
        const int signal = stopSignal;
        std::fprintf(stderr, "qorb-sim: stopped by %s at %llu ms; the trace and record hold the run so far\n",
                     signal == SIGINT ? "SIGINT" : "SIGTERM", static_cast<unsigned long long>(micros / 1000));
        std::exit(Finish(128 + signal));
    }
    if (o.UntilMs > 0 && micros >= static_cast<uint64_t>(o.UntilMs) * 1000) std::exit(Finish(0));
    const size_t pending = headless::PendingEvents();
    if (pending != run.PendingEvents) {
        run.PendingEvents = pending;
        run.LastActivityMicros = micros;
    }
    if (o.Bot || pending != 0 || micros - run.LastActivityMicros < WaitingLimitMicros) return;
    const char* where = Lives == 0                                              ? "on the title screen"
                        : micros - run.LastPlayCallMicros >= WaitingLimitMicros ? "paused"
                                                                                : "to serve";
    std::fprintf(stderr,
                 "qorb-sim: the script has run out and the game has waited for input for 60 s (%s) since %llu ms; "
                 "stopped at %llu ms\n",
                 where, static_cast<unsigned long long>(run.LastActivityMicros / 1000),
                 static_cast<unsigned long long>(micros / 1000));
    std::exit(Finish(3));
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
    for (SimOptions::Shot& shot : o.TimedShots) shot.File = Absolute(shot.File);

    if (!o.Script.empty() && !ReadScript(o.Script, &run.Events, &error)) return Fail(error);
    if (!o.Trace.empty()) {
        run.TraceFile.open(o.Trace);
        if (!run.TraceFile) return Fail(o.Trace + ": cannot be written");
    }
    if (!o.ShotDir.empty()) {
        std::error_code made;
        fs::create_directories(o.ShotDir, made);
        if (made) return Fail(o.ShotDir + ": cannot be made");
    }
    const std::string assets = o.Assets.empty() ? std::string(QORB_DEFAULT_ASSET_DIR) : o.Assets;
    std::error_code moved;
    fs::current_path(assets, moved);
    if (moved) return Fail(assets + ": " + moved.message());

    GamePacking = o.PixelPacking;
    ForcedStartRound = o.Round;
    plat::DisplaySetWordLayout(o.PixelPacking == Packing::Rgb565 ? plat::WordLayout::Rgb565 : plat::WordLayout::Rgb555);
    headless::Reset(headless::Config{.StartSeconds = o.Seed});
    for (const plat::TimedInput& e : run.Events) headless::Schedule(e);
    run.PendingEvents = headless::PendingEvents();
    PlayFrameObserver = AfterPlayFrame;
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    // A timed shot is the screen as it stands at its moment, during long
    // sequences (title, intro, game over) too.
    std::vector<bool> taken(o.TimedShots.size(), false);
    headless::SetClockObserver([&](uint64_t micros) {
        for (size_t i = 0; i < o.TimedShots.size(); ++i)
            if (!taken[i] && micros / 1000 >= o.TimedShots[i].Call) {
                taken[i] = true;
                SaveShot(o.TimedShots[i].File);
            }
        OnClock(micros);
    });

    ExitStatus opened;
    if (!OpenGame(&opened)) {
        plat::ReportFatalError(opened.Message);
        return opened.Code;
    }
    int exitCode = 0;
    Bot bot;
    run.Trace.Snapshot();
    if (run.TraceFile.is_open()) run.Trace.Listen();
    while (!run.Stop && FramePass(&exitCode)) {
        if (!o.Bot) continue;
        // Strictly after now, so that a replay applies each event at the same moment.
        for (const plat::TimedInput& e : bot.Act(headless::NowMicros() / 1000 + 1)) {
            headless::Schedule(e);
            run.Events.push_back(e);
        }
    }
    ShutdownDevices();
    return Finish(exitCode);
}
