// Portable or installed: where each file of the program lives.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "TestSupport.h"
#include "settings/AppPaths.h"

namespace rz {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

AppPaths::Environment environment(std::map<std::string, std::string> vars) {
    return [vars = std::move(vars)](const char* name) -> std::optional<std::string> {
        const auto it = vars.find(name);
        if (it == vars.end())
            return std::nullopt;
        return it->second;
    };
}

const std::string sep(1, static_cast<char>(fs::path::preferred_separator));

// The variable that names the per-user data folder's base on this system.
AppPaths::Environment userDataBase(const std::string& base) {
#if defined(_WIN32)
    return environment({{"APPDATA", base}});
#else
    return environment({{"XDG_DATA_HOME", base}});
#endif
}

bool never(const std::string&) { return false; }
bool always(const std::string&) { return true; }

// Every file below root, relative to it.
std::set<std::string> treeOf(const fs::path& root) {
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        out.insert(fs::relative(e.path(), root).string());
    return out;
}

// An installed tree: prefix/bin and prefix/share/ruvuzevodare with the history.
struct InstalledTree {
    TempDir dir;
    std::string prefix = dir.file("usr");
    std::string bin = prefix + sep + "bin" + sep;
    std::string share = prefix + sep + "share" + sep + "ruvuzevodare" + sep;
    std::string dataHome = dir.file("xdg-data");
    InstalledTree() {
        fs::create_directories(bin);
        fs::create_directories(share + "history");
        fs::create_directories(share + "land");
        test::writeFile(share + "history/megamillions.csv", "date,n1,n2,n3,n4,n5,megaball,megaplier\n"
                                                              "2019-10-15,4,12,14,35,70,2,2\n"
                                                              "2019-10-22,5,12,33,41,70,7,3\n");
    }
    AppPaths detect() const { return AppPaths::detect(bin, never, userDataBase(dataHome)); }
    std::string userFolder() const { return dataHome + sep + "Quendral" + sep + "RuvuZevodare" + sep; }
};

TEST(AppPaths, AWritableProgramFolderKeepsEverythingBesideTheProgram) {
    TempDir dir;
    const AppPaths p = AppPaths::detect(dir.str(), always, environment({{"HOME", "/home/u"}}));
    EXPECT_EQ(p.layout(), AppLayout::Portable);
    const std::string f = dir.str();
    EXPECT_EQ(p.programFolder(), f);
    EXPECT_EQ(p.userFolder(), f);
    EXPECT_EQ(p.dataFolder(), f);
    const std::pair<std::string, std::string> expected[] = {
        {p.drawingFile(), f + "Ruvuzevodare.dat"},
        {p.reportFile(), f + "Test.rtf"},
        {p.printoutFile(), f + "Tipp.txt"},
        {p.cartNoticeFile(), f + "Meldung.htm"},
        {p.submissionTipsFolder(), f + "Tipps"},
        {p.languageFolder(), f + "land" + sep},
        {p.bundledHistoryFile(), f + "history/megamillions.csv"},
        {p.soundFile("yippee.wav"), f + "yippee.wav"},
        {p.clickScriptFolder(), f + "Script"},
        {p.qtTranslationsFolder(), f + "translations"},
    };
    for (const auto& [got, want] : expected)
        EXPECT_EQ(got, want);
    // The same as every file in one folder, as the tests and --db use it.
    EXPECT_EQ(AppPaths(f).drawingFile(), p.drawingFile());
}

TEST(AppPaths, AReadOnlyProgramFolderSplitsUserFilesFromShippedOnes) {
    InstalledTree t;
    const AppPaths p = t.detect();
    ASSERT_TRUE(p.installed());
    const std::string user = t.userFolder();
    const std::string share = fs::path(t.share).lexically_normal().string();
    EXPECT_EQ(p.userFolder(), user);
    EXPECT_EQ(p.dataFolder(), share);
    const std::pair<std::string, std::string> expected[] = {
        {p.drawingFile(), user + "Ruvuzevodare.dat"},
        {p.reportFile(), user + "Test.rtf"},
        {p.printoutFile(), user + "Tipp.txt"},
        {p.cartNoticeFile(), user + "Meldung.htm"},
        {p.submissionTipsFolder(), user + "Tipps"},
        {p.languageFolder(), share + "land" + sep},
        {p.bundledHistoryFile(), share + "history/megamillions.csv"},
        {p.soundFile("yippee.wav"), share + "yippee.wav"},
        {p.clickScriptFolder(), share + "Script"},
    };
    for (const auto& [got, want] : expected)
        EXPECT_EQ(got, want);
}

TEST(AppPaths, ReadOnlyFolderWithoutShareFolderReadsShippedFilesBesideTheProgram) {
    // A copied folder on a read-only medium: the user's files go to the
    // user's folder, the shipped ones stay where they are.
    TempDir dir;
#if defined(_WIN32)
    const AppPaths p = AppPaths::detect(dir.str(), never, environment({{"APPDATA", "C:\\Users\\u\\AppData\\Roaming"}}));
    const std::string drawingFile = "C:\\Users\\u\\AppData\\Roaming\\Quendral\\RuvuZevodare\\Ruvuzevodare.dat";
#else
    const AppPaths p = AppPaths::detect(dir.str(), never, environment({{"HOME", "/home/u"}}));
    const std::string drawingFile = "/home/u/.local/share/Quendral/RuvuZevodare/Ruvuzevodare.dat";
#endif
    ASSERT_TRUE(p.installed());
    EXPECT_EQ(p.dataFolder(), dir.str());
    EXPECT_EQ(p.drawingFile(), drawingFile);
    // Without any per-user location nothing moves.
    EXPECT_FALSE(AppPaths::detect(dir.str(), never, environment({})).installed());
}

TEST(AppPaths, UserDataFolderFollowsTheBaseDirectoryRules) {
    struct Case {
        std::map<std::string, std::string> env;
        std::string folder;
    } cases[] = {
#if defined(_WIN32)
        {{{"APPDATA", "C:\\Users\\u\\AppData\\Roaming"}, {"HOME", "/home/u"}},
         "C:\\Users\\u\\AppData\\Roaming\\Quendral\\RuvuZevodare\\"},
        {{{"APPDATA", "C:/Users/u/AppData/Roaming/"}}, "C:\\Users\\u\\AppData\\Roaming\\Quendral\\RuvuZevodare\\"},
        {{{"HOME", "/home/u"}}, ""},
        {{{"APPDATA", ""}}, ""},
#else
        {{{"XDG_DATA_HOME", "/data"}, {"HOME", "/home/u"}}, "/data/Quendral/RuvuZevodare/"},
        {{{"HOME", "/home/u"}}, "/home/u/.local/share/Quendral/RuvuZevodare/"},
        {{{"XDG_DATA_HOME", ""}, {"HOME", "/home/u"}}, "/home/u/.local/share/Quendral/RuvuZevodare/"},
        {{{"XDG_DATA_HOME", "relative/data"}, {"HOME", "/home/u"}}, "/home/u/.local/share/Quendral/RuvuZevodare/"},
        {{{"HOME", "/home/u/"}}, "/home/u/.local/share/Quendral/RuvuZevodare/"},
        {{{"HOME", ""}}, ""},
#endif
        {{}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AppPaths::userDataFolder(environment(c.env)), c.folder);
}

TEST(AppPaths, TheProbeCreatesAFileForRealAndLeavesNothing) {
    TempDir dir;
    EXPECT_TRUE(AppPaths::canCreateFileIn(dir.str()));
    EXPECT_TRUE(fs::is_empty(dir.str()));
    EXPECT_FALSE(AppPaths::canCreateFileIn(dir.file("missing")));
    test::writeFile(dir.file("plain"), "x");
    EXPECT_FALSE(AppPaths::canCreateFileIn(dir.file("plain")));
#if defined(__linux__)
    // No one, root included, creates a file in /proc: the probe tries
    // instead of reading permission bits.
    EXPECT_FALSE(AppPaths::canCreateFileIn("/proc"));
#endif
    // A folder without write permission: read-only for everyone but root,
    // whom permission bits do not stop.
    fs::create_directory(dir.file("ro"));
    fs::permissions(dir.file("ro"), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    test::writeFile(dir.file("ro/try"), "x");
    const bool permissionsBite = !fs::exists(dir.file("ro/try"));
    EXPECT_EQ(AppPaths::canCreateFileIn(dir.file("ro")), !permissionsBite);
    fs::permissions(dir.file("ro"), fs::perms::owner_all);
}

TEST(AppPaths, FirstInstalledStartCreatesTheUserFileFromTheShippedHistory) {
    InstalledTree t;
    const std::set<std::string> before = treeOf(t.prefix);
    test::ScriptedPlatform platform;
    MainModel model;
    platform.attach(model);
    model.FormCreate(t.detect());
    model.SpracheSetzen();

    EXPECT_EQ(model.DatabasePath(), t.userFolder() + "Ruvuzevodare.dat");
    EXPECT_EQ(model.database().readAll().size(), 2u);
    EXPECT_EQ(model.StatusPanel[1].rfind("2 Ziehungen aus den mitgelieferten Daten geladen", 0), 0u)
        << model.StatusPanel[1];
    // The commands write the user's files into the user's folder.
    model.BitBtn7Click(); // printout
    EXPECT_EQ(platform.messages, std::vector<std::string>{});
    EXPECT_TRUE(fs::is_regular_file(t.userFolder() + "Tipp.txt"));
    EXPECT_EQ(platform.opened, std::vector<std::string>{t.userFolder() + "Tipp.txt"});
    EXPECT_EQ(model.paths().languageFolder(), fs::path(t.share).lexically_normal().string() + "land" + sep);
    EXPECT_EQ(model.languageFolder(), model.paths().languageFolder());
    EXPECT_EQ(treeOf(t.prefix), before); // nothing written into the installed tree

    // The second start keeps the user's file.
    test::writeDatabase(model.DatabasePath(), {test::rec(2020, 1, 3, {1, 2, 3, 4, 5}, 6)});
    MainModel again;
    test::ScriptedPlatform platform2;
    platform2.attach(again);
    again.FormCreate(t.detect());
    again.SpracheSetzen();
    EXPECT_EQ(again.database().readAll().size(), 1u);
}

TEST(AppPaths, AUserFolderThatCannotBeCreatedIsAnError) {
    TempDir dir;
    test::writeFile(dir.file("blocker"), "a file where the folder should be");
    const AppPaths p(dir.str(), dir.file("blocker") + "/Quendral/RuvuZevodare", dir.str());
    EXPECT_THROW(p.prepareUserFolder(), IoError);
    // Portable: nothing to create, nothing thrown.
    EXPECT_NO_THROW(AppPaths(dir.file("missing")).prepareUserFolder());
    EXPECT_FALSE(fs::exists(dir.file("missing")));
}

} // namespace
} // namespace rz
