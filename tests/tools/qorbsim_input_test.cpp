#include <gtest/gtest.h>

#include "input_script.h"
#include "options.h"

namespace {

TEST(SimScript, ReadsEveryKindOfEventAndSkipsComments) {
    const std::string text =
        "# a comment line\n"
        "\n"
        "0 key enter down\n"
        "150 key enter up   # trailing comment\r\n"
        "200 mouse -12 3\n"
        "210 button down\n"
        "220 button up\n"
        "9000 key f5 down\n"
        "9050 mouse fail\n"
        "9100 close\n";
    std::vector<plat::TimedInput> events;
    std::string error;
    ASSERT_TRUE(ParseScript(text, "s.txt", &events, &error)) << error;
    // The words name the layer's own events.
    const std::vector<plat::TimedInput> expected = {{0, plat::KeyEvent(plat::Key::Enter, true)},
                                                    {150, plat::KeyEvent(plat::Key::Enter, false)},
                                                    {200, plat::MotionEvent(-12, 3)},
                                                    {210, plat::ButtonEvent(0, true)},
                                                    {220, plat::ButtonEvent(0, false)},
                                                    {9000, plat::KeyEvent(plat::Key::F5, true)},
                                                    {9050, plat::MouseFailureEvent()},
                                                    {9100, plat::CloseEvent()}};
    ASSERT_EQ(events.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(events[i].AtMs, expected[i].AtMs) << i;
        EXPECT_TRUE(events[i].Event == expected[i].Event) << i;
    }
    // What the format has no words for is not written as something else.
    EXPECT_EQ(FormatEvent({5, plat::ButtonEvent(1, true)}), "");
    EXPECT_EQ(FormatEvent({5, plat::MotionEvent(0, 0, 120)}), "");
    // Written back, each line reads the same.
    for (const plat::TimedInput& e : events) {
        std::vector<plat::TimedInput> again;
        ASSERT_TRUE(ParseScript(FormatEvent(e), "x", &again, &error));
        EXPECT_EQ(FormatEvent(again.at(0)), FormatEvent(e));
    }
}

TEST(SimScript, MalformedLinesAreNamedByNumber) {
    const std::pair<const char*, const char*> cases[] = {
        {"10 key tab down", "unknown key"},
        {"-5 close", "bad time"},
        {"abc close", "bad time"},
        {"10 mouse 1", "expected"},
        {"10 mouse 1 x", "two whole numbers"},
        {"10 mouse fails", "expected"},
        {"10 mouse 99999999999 0", "two whole numbers"},
        {"10 button sideways", "expected"},
        {"10 jump", "expected"},
        {"10", "expected"},
    };
    for (const auto& [line, reason] : cases) {
        std::vector<plat::TimedInput> events;
        std::string error;
        EXPECT_FALSE(ParseScript(std::string("0 close\n\n") + line + "\n", "s.txt", &events, &error)) << line;
        EXPECT_EQ(error.rfind("s.txt:3: ", 0), 0u) << error;
        EXPECT_NE(error.find(reason), std::string::npos) << line << " -> " << error;
    }
    std::vector<plat::TimedInput> events;
    std::string error;
    EXPECT_FALSE(ReadScript("/nonexistent/script.txt", &events, &error));
    EXPECT_NE(error.find("/nonexistent/script.txt"), std::string::npos);
    // A folder opens as a file would and reads as an empty script.
    EXPECT_FALSE(ReadScript(".", &events, &error));
    EXPECT_EQ(error, ".: is a folder, not a script");
    EXPECT_TRUE(events.empty());
}

// The record holds every event the game was given up to the stop: one at the
// very moment of the stop too (the timeline hands it over before the stop is
// seen), none after it, in time order with events of one time as given.
TEST(SimRecord, HoldsTheEventsUpToAndAtTheStopMomentInTimeOrder) {
    const std::vector<plat::TimedInput> events = {
        {20001, plat::KeyEvent(plat::Key::Escape, true)},
        {20000, plat::ButtonEvent(0, true)},
        {19999, plat::MotionEvent(5, 0)},
        {20000, plat::ButtonEvent(0, false)},
        {0, plat::KeyEvent(plat::Key::Enter, true)},
    };
    const std::string header = "# qorb-sim input timeline: TIME_MS EVENT ARGS\n";
    const std::string upTo20000 = header + "0 key enter down\n19999 mouse 5 0\n20000 button down\n20000 button up\n";
    EXPECT_EQ(FormatRecord(events, 20000000), upTo20000);  // a stop on the whole millisecond
    EXPECT_EQ(FormatRecord(events, 20000999), upTo20000);
    EXPECT_EQ(FormatRecord(events, 19999999), header + "0 key enter down\n19999 mouse 5 0\n");
    EXPECT_EQ(FormatRecord(events, 20001000), upTo20000 + "20001 key escape down\n");
    EXPECT_EQ(FormatRecord({}, 5000), header);
}

TEST(SimOptionsParsing, AcceptsTheDocumentedOptions) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(ParseOptions({"--bot",   "--packing", "555",    "--seed",  "42",           "--steps",   "100",
                              "--shot",  "7:a.png",   "--shot", "9:b.png", "--shot-every", "50:frames", "--trace",
                              "t.jsonl", "--until",   "60000",  "--round", "25",           "--help"},
                             &o, &error))
        << error;
    EXPECT_EQ(o.UntilMs, 60000);
    EXPECT_EQ(o.Round, 25);
    EXPECT_TRUE(o.Help);
    EXPECT_TRUE(o.Bot);
    EXPECT_EQ(o.PixelPacking, Packing::Rgb555);
    EXPECT_EQ(o.Seed, 42);
    EXPECT_EQ(o.Steps, 100);
    ASSERT_EQ(o.Shots.size(), 2u);
    EXPECT_EQ(o.Shots[1].Call, 9u);
    EXPECT_EQ(o.Shots[1].File, "b.png");
    EXPECT_EQ(o.ShotEvery, 50u);
    EXPECT_EQ(o.ShotDir, "frames");
    EXPECT_EQ(o.Trace, "t.jsonl");
}

TEST(SimOptionsParsing, RefusesWhatItCannotUse) {
    const std::vector<std::vector<std::string>> bad = {
        {"--packing", "565x"}, {"--steps", "0"},       {"--games", "-1"}, {"--seed", "soon"}, {"--shot", "x.png"},
        {"--shot", "0:x.png"}, {"--shot-every", "5:"}, {"--trace"},       {"--fast"},         {"--until", "0"},
        {"--round", "0"},      {"--round", "100"},     {"--round", "-3"},
    };
    for (const auto& args : bad) {
        SimOptions o;
        std::string error;
        EXPECT_FALSE(ParseOptions(args, &o, &error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
