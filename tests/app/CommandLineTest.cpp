#include <gtest/gtest.h>

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
