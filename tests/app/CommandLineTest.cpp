#include <gtest/gtest.h>

#include "app/CommandLine.h"

using namespace linkmend;

TEST(CommandLineTest, BatchOptions) {
    const auto o = ParseCommandLine({"--batch", "-i", "/srv/job one.ini", "--production", "--list-changed"});
    EXPECT_TRUE(o.error.empty());
    EXPECT_TRUE(o.batch);
    EXPECT_TRUE(o.production);
    EXPECT_TRUE(o.listChanged);
    EXPECT_EQ(o.settingsFile, "/srv/job one.ini");
}

TEST(CommandLineTest, SettingsFileDefaultsAndFollowingOption) {
    EXPECT_EQ(ParseCommandLine({"--batch"}).settingsFile, "Linkmend.INI");
    EXPECT_EQ(ParseCommandLine({"-i", "job.ini", "--batch"}).settingsFile, "job.ini");
    EXPECT_FALSE(ParseCommandLine({}).batch);
}

TEST(CommandLineTest, UsageErrors) {
    EXPECT_EQ(ParseCommandLine({"--batch", "-i"}).error, "-i needs the name of a settings file");
    EXPECT_EQ(ParseCommandLine({"--batch", "-i", ""}).error, "-i needs the name of a settings file");
    EXPECT_EQ(ParseCommandLine({"--bacth"}).error, "unknown option: --bacth");
    EXPECT_EQ(ParseCommandLine({"stray"}).error, "unknown option: stray");
}

TEST(CommandLineTest, JoinedTextQuotesArgumentsWithBlanks) {
    EXPECT_EQ(JoinCommandLine({"-i", "My Settings.ini", "--batch"}), " -i \"My Settings.ini\" --batch");
}
