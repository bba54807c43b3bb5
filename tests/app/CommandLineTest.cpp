#include <gtest/gtest.h>

#include "app/CliHost.h"
#include "app/CommandLine.h"

using namespace linkmend;

TEST(CommandLineTest, OptionsSettingsFileAndUsageErrors) {
    const auto o = ParseCommandLine({"--batch", "-i", "/srv/job one.ini", "--production", "--list-changed"});
    EXPECT_TRUE(o.error.empty() && o.batch && o.production && o.listChanged && !o.help && !o.version);
    EXPECT_EQ(o.settingsFile, "/srv/job one.ini");
    EXPECT_TRUE(ParseCommandLine({"-h"}).help && ParseCommandLine({"--version"}).version);
    EXPECT_FALSE(ParseCommandLine({}).batch || ParseCommandLine({}).production || ParseCommandLine({}).listChanged);
    EXPECT_EQ(ParseCommandLine({"--batch"}).settingsFile, "Linkmend.INI");
    EXPECT_EQ(ParseCommandLine({"-i", "job.ini", "--batch"}).settingsFile, "job.ini");
    const std::pair<std::vector<std::string>, const char*> errors[] = {
        {{"--batch", "-i"}, "-i needs the name of a settings file"},
        {{"--batch", "-i", ""}, "-i needs the name of a settings file"},
        {{"--bacth"}, "unknown option: --bacth"},
        {{"stray", "--batch"}, "unknown option: stray"}};
    for (const auto& [args, error] : errors) EXPECT_EQ(ParseCommandLine(args).error, error);
    EXPECT_EQ(JoinCommandLine({"-i", "My Settings.ini", "--batch"}), " -i \"My Settings.ini\" --batch");
}

// Away from a terminal the countdown shows only the full hours it passes; a tick made late by a busy
// machine, already past the hour, still shows it.
TEST(CliHostTest, CountdownShowsEachFullHourItPassesAwayFromATerminal) {
    const std::vector<std::string> clock = {"2024-05-01 20:59:58", "2024-05-01 21:00:01", "2024-05-01 22:00:00"};
    std::size_t reading = 0;
    CliHost host([&] { return DateTime::Parse(clock[std::min(reading++, clock.size() - 1)]); }, false);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(host.WaitForScheduledStart());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Counting down to start of batch processing of URL change request at 10:00 p.m.\n"
              "Time left: 01:00:00\nStarting at 2024-05-01 22:00:00\n");
}
