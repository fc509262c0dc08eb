// The Help menu's commands: the manual in the user's language, the folder of
// the user's files, the About box's text.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "settings/SettingsStore.h"

using namespace rz;
using rz::test::TempDir;

namespace {

struct StoreWithPlace : MemorySettingsStore {
    std::string location() const override { return "/home/u/.config/Quendral/RuvuZevodare.ini"; }
};

struct HelpFixture : ::testing::Test {
    TempDir program;
    TempDir user;
    MainModel model;
    test::ScriptedPlatform platform;
    StoreWithPlace store;

    void SetUp() override {
        platform.attach(model);
        Services s = model.services();
        s.settings = &store;
        model.setServices(s);
        // Installed: the user's files and the shipped ones in two places.
        model.usePaths(AppPaths(program.str(), user.str(), program.str() + "share"));
        std::filesystem::create_directories(program.file("share/help"));
    }
    void ship(const std::string& code) { test::writeFile(program.file("share/help/manual_" + code + ".html"), "<html>"); }
};

} // namespace

TEST_F(HelpFixture, TheManualIsTheUsersLanguageElseEnglish) {
    ship("en");
    ship("de");
    struct Case {
        int sprache;
        const char* file;
    } cases[] = {
        {0, "manual_de.html"}, // the built-in texts are German
        {1, "manual_de.html"}, {2, "manual_en.html"}, {3, "manual_en.html"}, {4, "manual_en.html"},
        {5, "manual_en.html"}, {6, "manual_en.html"}, {7, "manual_en.html"}, {8, "manual_en.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sprache);
        model.sprache = c.sprache;
        platform.opened.clear();
        model.Handbuch1Click();
        ASSERT_EQ(platform.opened.size(), 1u);
        EXPECT_EQ(std::filesystem::path(platform.opened[0]).filename(), c.file);
        EXPECT_EQ(platform.opened[0].rfind(program.str() + "share", 0), 0u) << platform.opened[0];
    }
    ship("ru");
    model.sprache = 6;
    EXPECT_EQ(std::filesystem::path(model.manualPath()).filename(), "manual_ru.html");
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(HelpFixture, AMissingManualIsSaidAndNothingOpens) {
    model.sprache = 1;
    model.Handbuch1Click();
    EXPECT_TRUE(platform.opened.empty());
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].find("manual_en.html"), std::string::npos) << platform.messages[0];
}

TEST_F(HelpFixture, DataFolderAndAboutNameThePlacesOfTheFiles) {
    model.DatenordnerOeffnen1Click();
    EXPECT_EQ(platform.opened, (std::vector<std::string>{user.str()}));

    const std::string about = model.aboutText("2.6", {"Qt 6.4.2 (LGPL-3.0)", "CLI11 (BSD-3-Clause)"});
    for (const std::string& part : {std::string("Version 2.6"), "Ihre Dateien (Ziehungsdatei, Tippdateien, Bericht): " + user.str(),
                                    "Mitgelieferte Dateien (Sprachen, Handbuch, Ziehungshistorie): " + program.str() + "share",
                                    std::string("Einstellungen: /home/u/.config/Quendral/RuvuZevodare.ini"),
                                    std::string("Qt 6.4.2 (LGPL-3.0)"), std::string("CLI11 (BSD-3-Clause)")})
        EXPECT_NE(about.find(part), std::string::npos) << part << "\n" << about;

    // A store without a place of its own (the command line's) names none.
    model.setServices({.dialogs = &platform, .shell = &platform});
    EXPECT_EQ(model.aboutText("2.6", {}).find("Einstellungen"), std::string::npos);
}
