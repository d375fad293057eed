#include "options.h"

#include <charconv>
#include <cstdint>
#include <string>

const char* const SimUsage =
    "usage: qorb-sim [--assets DIR] [--packing 565|555] [--seed N] [--script FILE] [--bot]\n"
    "                [--steps N] [--games N] [--until MS] [--round N] [--trace FILE] [--record FILE]\n"
    "                [--shot N:FILE.png]... [--shot-time MS:FILE.png]... [--shot-every K:DIR] [--help]\n"
    "Stops after N play calls (--steps), N ended games (--games) or MS virtual milliseconds (--until: at\n"
    "the first moment of virtual time at or past MS); with status 3 when the script has run out and the\n"
    "game has waited for input for 60 virtual seconds; on SIGINT or SIGTERM (status 130 or 143) with the\n"
    "trace and record written so far. The record lists the input the game was given up to the stop, an\n"
    "event at the very moment of the stop included (the game was handed it, though it had no time to act\n"
    "on it). Status 1, naming the file, when a trace, record or screenshot cannot be written or the run\n"
    "stops before a screenshot's call or moment. A game that cannot set up leaves no trace or record.\n";

namespace {

bool Number(const std::string& text, int64_t lo, int64_t* value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, *value);
    return ec == std::errc() && ptr == end && *value >= lo;
}

// "N:TEXT" with N a whole number of at least 1.
bool Pair(const std::string& text, uint64_t* n, std::string* rest) {
    const size_t colon = text.find(':');
    int64_t value = 0;
    if (colon == std::string::npos || !Number(text.substr(0, colon), 1, &value) || colon + 1 == text.size())
        return false;
    *n = static_cast<uint64_t>(value);
    *rest = text.substr(colon + 1);
    return true;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, SimOptions* o, std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= args.size()) return *error = a + " needs a value", false;
            *out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--bot") {
            o->Bot = true;
        } else if (a == "--help" || a == "-h") {
            o->Help = true;
        } else if (a == "--assets" || a == "--script" || a == "--trace" || a == "--record") {
            if (!value(&v)) return false;
            (a == "--assets" ? o->Assets : a == "--script" ? o->Script : a == "--trace" ? o->Trace : o->Record) = v;
        } else if (a == "--packing") {
            if (!value(&v)) return false;
            if (v != "565" && v != "555") return *error = "--packing must be 565 or 555, not \"" + v + "\"", false;
            o->PixelPacking = v == "565" ? Packing::Rgb565 : Packing::Rgb555;
        } else if (a == "--until") {
            if (!value(&v)) return false;
            if (!Number(v, 1, &o->UntilMs) || o->UntilMs > INT64_MAX / 1000)
                return *error = "--until needs milliseconds of at least 1, not \"" + v + "\"", false;
        } else if (a == "--round") {
            if (!value(&v)) return false;
            int64_t n = 0;
            // Every round has a layout and a backdrop; a bound keeps the count far from overflowing.
            if (!Number(v, 1, &n) || n > MaxRound)
                return *error = "--round needs a round from 1 to " + std::to_string(MaxRound) + ", not \"" + v + "\"",
                       false;
            o->Round = static_cast<int32_t>(n);
        } else if (a == "--seed" || a == "--steps" || a == "--games") {
            if (!value(&v)) return false;
            int64_t n = 0;
            if (!Number(v, a == "--seed" ? 0 : 1, &n))
                return *error = a + " needs a whole number" + (a == "--seed" ? "" : " of at least 1") + ", not \"" + v +
                                "\"",
                       false;
            (a == "--seed" ? o->Seed : a == "--steps" ? o->Steps : o->Games) = n;
        } else if (a == "--shot") {
            if (!value(&v)) return false;
            SimOptions::Shot shot;
            if (!Pair(v, &shot.Call, &shot.File)) return *error = "--shot needs N:FILE.png, not \"" + v + "\"", false;
            o->Shots.push_back(shot);
        } else if (a == "--shot-time") {
            if (!value(&v)) return false;
            SimOptions::TimedShot shot;
            if (!Pair(v, &shot.Ms, &shot.File))
                return *error = "--shot-time needs MS:FILE.png, not \"" + v + "\"", false;
            o->TimedShots.push_back(shot);
        } else if (a == "--shot-every") {
            if (!value(&v)) return false;
            if (!Pair(v, &o->ShotEvery, &o->ShotDir))
                return *error = "--shot-every needs K:DIR, not \"" + v + "\"", false;
        } else {
            *error = "unknown option \"" + a + "\"";
            return false;
        }
    }
    return true;
}
