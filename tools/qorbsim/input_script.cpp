#include "input_script.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

struct KeyName {
    const char* Name;
    plat::Key Key;
};
constexpr KeyName KeyNames[] = {
    {"escape", plat::Key::Escape}, {"enter", plat::Key::Enter}, {"f1", plat::Key::F1}, {"f5", plat::Key::F5}};

bool ParseUpDown(const std::string& word, bool* down) {
    if (word == "down" || word == "up") {
        *down = word == "down";
        return true;
    }
    return false;
}

bool ParseInt(const std::string& word, int64_t lo, int64_t hi, int64_t* value) {
    if (word.empty()) return false;
    size_t used = 0;
    try {
        const long long v = std::stoll(word, &used, 10);
        if (used != word.size() || v < lo || v > hi) return false;
        *value = v;
        return true;
    } catch (...) {
        return false;
    }
}

// One line without its comment; false with a reason.
bool ParseLine(const std::string& line, plat::TimedInput* event, bool* blank, std::string* why) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    *blank = w.empty();
    if (w.empty()) return true;
    int64_t at = 0;
    if (!ParseInt(w[0], 0, INT64_MAX / 1000, &at)) return *why = "bad time \"" + w[0] + "\"", false;
    event->AtMs = static_cast<uint64_t>(at);
    const std::string& what = w.size() > 1 ? w[1] : std::string();
    if (what == "mouse" && w.size() == 4) {
        int64_t dx = 0, dy = 0;
        if (!ParseInt(w[2], INT32_MIN, INT32_MAX, &dx) || !ParseInt(w[3], INT32_MIN, INT32_MAX, &dy))
            return *why = "mouse needs two whole numbers", false;
        event->Event = plat::MotionEvent(static_cast<int32_t>(dx), static_cast<int32_t>(dy));
        return true;
    }
    // The next mouse read fails, as when the device is lost.
    if (what == "mouse" && w.size() == 3 && w[2] == "fail") {
        event->Event = plat::MouseFailureEvent();
        return true;
    }
    bool down = false;
    if (what == "button" && w.size() == 3 && ParseUpDown(w[2], &down)) {
        event->Event = plat::ButtonEvent(0, down);
        return true;
    }
    if (what == "key" && w.size() == 4 && ParseUpDown(w[3], &down)) {
        for (const KeyName& k : KeyNames)
            if (w[2] == k.Name) {
                event->Event = plat::KeyEvent(k.Key, down);
                return true;
            }
        return *why = "unknown key \"" + w[2] + "\" (escape, enter, f1 or f5)", false;
    }
    if (what == "close" && w.size() == 2) {
        event->Event = plat::CloseEvent();
        return true;
    }
    *why = "expected TIME_MS followed by: mouse DX DY | mouse fail | button down|up | key NAME down|up | close";
    return false;
}

}  // namespace

bool ParseScript(const std::string& text, const std::string& name, std::vector<plat::TimedInput>* events,
                 std::string* error) {
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        plat::TimedInput event;
        bool blank = false;
        std::string why;
        if (!ParseLine(line, &event, &blank, &why)) {
            *error = name + ":" + std::to_string(number) + ": " + why;
            return false;
        }
        if (!blank) events->push_back(event);
    }
    return true;
}

bool ReadScript(const std::string& path, std::vector<plat::TimedInput>* events, std::string* error) {
    // A folder opens like a file and reads as empty.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        *error = path + ": is a folder, not a script";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = path + ": cannot be read";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ParseScript(text.str(), path, events, error);
}

std::string FormatEvent(const plat::TimedInput& timed) {
    using Kind = plat::InputEvent::Kind;
    const plat::InputEvent& e = timed.Event;
    const std::string at = std::to_string(timed.AtMs) + " ";
    switch (e.What) {
        case Kind::Motion:
            if (e.Dz != 0) return "";
            return at + "mouse " + std::to_string(e.Dx) + " " + std::to_string(e.Dy);
        case Kind::MouseFailure: return at + "mouse fail";
        case Kind::Button: return e.Code == 0 ? at + "button " + (e.Down ? "down" : "up") : "";
        case Kind::Key:
            for (const KeyName& k : KeyNames)
                if (static_cast<int32_t>(k.Key) == e.Code) return at + "key " + k.Name + (e.Down ? " down" : " up");
            return "";
        case Kind::Close: return at + "close";
    }
    return "";
}

std::string FormatRecord(std::vector<plat::TimedInput> events, uint64_t stopMicros) {
    std::stable_sort(events.begin(), events.end(),
                     [](const plat::TimedInput& a, const plat::TimedInput& b) { return a.AtMs < b.AtMs; });
    std::string text = "# qorb-sim input timeline: TIME_MS EVENT ARGS\n";
    for (const plat::TimedInput& e : events)
        if (e.AtMs * 1000 <= stopMicros) text += FormatEvent(e) + '\n';
    return text;
}
