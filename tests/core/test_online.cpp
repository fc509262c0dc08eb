// The online submission's plain pieces: cart addresses, the addresses the
// browser may be handed, click-script substitution, the robot's location and
// the script update rule.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "TestSupport.h"
#include "common/FileIo.h"
#include "common/TextCodec.h"
#include "download/Http.h"
#include "online/Cart.h"
#include "online/ClickScript.h"
#include "online/OnlineFiles.h"
#include "settings/GeneratorSettings.h"

using namespace rz;

namespace {

// Rows given as tip-file lines, set through the field check.
TipSet tipsOf(const std::vector<std::pair<int, std::string>>& rows) {
    TipSet t;
    for (const auto& [r, line] : rows) {
        const auto f = TipSet::splitTipLine(line);
        for (int k = 1; k <= TipSet::kFields; ++k)
            t.set(r, k, f[static_cast<std::size_t>(k)]);
    }
    return t;
}

const std::string E = ",,,,,,";

std::string query(const std::array<std::string, 6>& rows, int count) {
    std::string q;
    for (int k = 1; k <= 6; ++k)
        q += "kasten" + std::to_string(k) + "=" + rows[static_cast<std::size_t>(k - 1)] + "&";
    return q + "Tipps=" + std::to_string(count);
}

} // namespace

TEST(Cart, AddressesFromTheRows) {
    const std::string B = "https://portal.example/cart?";
    const std::string r1 = "5,17,33,41,62,9,", r2 = "2,8,19,50,70,25,", full = "1,2,3,4,5,6,";
    struct Case {
        const char* what;
        std::vector<std::pair<int, std::string>> rows;
        std::vector<std::string> urls;
    } cases[] = {
        {"the example of two rows", {{1, r1}, {2, r2}},
         {B + "kasten1=5,17,33,41,62,9,&kasten2=2,8,19,50,70,25,&kasten3=,,,,,,&"
              "kasten4=,,,,,,&kasten5=,,,,,,&kasten6=,,,,,,&Tipps=2"}},
        {"all rows empty: one cart, count 0", {}, {B + query({E, E, E, E, E, E}, 0)}},
        {"rows 1 and 3: the highest row counts", {{1, r1}, {3, r2}}, {B + query({r1, E, r2, E, E, E}, 3)}},
        {"a row holding only its seventh value is not empty", {{2, ",,,,,,7"}},
         {B + query({E, ",,,,,,7", E, E, E, E}, 2)}},
        {"a row holding only its first number", {{1, "7,,,,,,"}}, {B + query({"7,,,,,,", E, E, E, E, E}, 1)}},
        {"twelve rows: two carts of six",
         {{1, full}, {2, full}, {3, full}, {4, full}, {5, full}, {6, full},
          {7, r1}, {8, r1}, {9, r1}, {10, r1}, {11, r1}, {12, r2}},
         {B + query({full, full, full, full, full, full}, 6), B + query({r1, r1, r1, r1, r1, r2}, 6)}},
        {"row 7 empty, row 9 filled: row 9 is not sent", {{1, r1}, {9, r2}}, {B + query({r1, E, E, E, E, E}, 1)}},
        {"row 7 alone: the first cart is empty", {{7, r2}},
         {B + query({E, E, E, E, E, E}, 0), B + query({r2, E, E, E, E, E}, 1)}},
        {"fields out of range were emptied by the field check", {{1, "75,2,3,4,5,26,"}},
         {B + query({",2,3,4,5,,", E, E, E, E, E}, 1)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(cartUrls(B, cartRowTexts(tipsOf(c.rows))), c.urls);
    }
}

TEST(Cart, OnlyWebAddressesOfSoundLengthGoToTheBrowser) {
    const std::string base = "https://portal.example/c?";
    const std::string fits = base + std::string(kMaxCartUrlLength - base.size(), 'x');
    struct Case {
        std::string url;
        bool refused;
    } cases[] = {
        {"http://portal.example/c?a=1", false},
        {"HTTPS://Portal.Example:8443/c?a=1", false},
        {fits, false},
        {fits + "x", true},
        {"file:///etc/passwd?", true},
        {"javascript:alert(1)//?", true},
        {"/usr/bin/xterm -e sh?", true},
        {"C:\\Windows\\system32\\cmd.exe?", true},
        {"ftp://portal.example/c?", true},
        {"http://?kasten1=", true},
        {"https://portal.example/c?\r\nkasten1=", true},
        {"https://portal.example/c?\x7f", true},
        {"", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url.substr(0, 60));
        const auto why = refusedCartUrl(c.url);
        EXPECT_EQ(why.has_value(), c.refused);
        if (why) {
            EXPECT_NE(why->find("es wird nichts geöffnet"), std::string::npos) << *why;
        }
    }
}

TEST(Cart, RequestAddressesOnTheDataServer) {
    struct Case {
        std::string server;
        std::string request; // Tipps=7
        std::string fallback;
    } cases[] = {
        {"http://127.0.0.1:8080", "http://127.0.0.1:8080/lotto/lotto.asp?Spiel=Zentuva&Wo=Lottoland&Tipps=7",
         "http://127.0.0.1:8080/lotto/warenkorb2.asp?"},
        {" 127.0.0.1:8080/ ", "http://127.0.0.1:8080/lotto/lotto.asp?Spiel=Zentuva&Wo=Lottoland&Tipps=7",
         "http://127.0.0.1:8080/lotto/warenkorb2.asp?"},
        {"https://data.example/base/", "https://data.example/base/lotto/lotto.asp?Spiel=Zentuva&Wo=Lottoland&Tipps=7",
         "https://data.example/base/lotto/warenkorb2.asp?"},
        {kDefaultServerAddress, "", ""}, // a CSV export has no cart
        {"ftp://data.example", "", ""},
        {"http://data.example/?x=1", "", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.server);
        EXPECT_EQ(cartRequestUrl(c.server, 7), c.request);
        EXPECT_EQ(fallbackCartBase(c.server), c.fallback);
    }
}

// A clock that moves only when the code waits on it.
struct FakeTicks : ITicks {
    std::int64_t now = 1000;
    std::vector<int> waits;
    std::int64_t nowMs() override { return now; }
    void sleepMs(int ms) override {
        waits.push_back(ms);
        now += ms;
    }
};

TEST(Cart, PauseLetsTheWindowWorkAndEndsOnStop) {
    struct Events : NullPlatform {
        int calls = 0;
        void processPendingEvents() override { ++calls; }
    };
    {
        Events ev;
        FakeTicks ticks;
        EXPECT_TRUE(pauseWithEvents(ev, 80, {}, ticks));
        EXPECT_EQ(ticks.now, 1080);
        EXPECT_EQ(ev.calls, 9); // every 10 ms, and once more at the end
        for (int w : ticks.waits)
            EXPECT_LE(w, 10);
    }
    {
        Events ev;
        FakeTicks ticks;
        EXPECT_FALSE(pauseWithEvents(ev, 60000, [&ev] { return ev.calls >= 3; }, ticks));
        EXPECT_EQ(ev.calls, 3);
        EXPECT_EQ(ticks.now, 1020);
    }
}

// ------------------------------------------------------------ click scripts

TEST(ClickScript, PlaceholdersAreFilledFromTheTipFileLines) {
    const ScriptFlags none;
    const std::string path = "/home/u/Tipps/20240109.qlt";
    struct Case {
        const char* what;
        std::string script;
        std::vector<std::string> lines;
        std::string filled;
    } cases[] = {
        {"three lines: line 3 fills row 3, rows 4 to 12 are empty",
         "[Z1_3] [Z5_3] [S1_3] [S2_3]|[Z1_4][Z5_12][S1_4][S1_12][S2_4][S2_12]|[Z1_1]",
         {"1,2,3,4,5,6,", "7,8,9,10,11,12,", "21,22,23,24,25,13,9"},
         "21 25 13 9||1"},
        {"no lines: every tip placeholder is empty", "a[Z1_1]b[S1_1]c[S2_1]d[Z3_12]e[S2_12]f", {}, "abcdef"},
        {"[Z1_1] and [Z1_10] each get their own value",
         "[Z1_1]/[Z1_10]",
         {"1,2,3,4,5,6,", "2,3,4,5,6,7,", "3,4,5,6,7,8,", "4,5,6,7,8,9,", "5,6,7,8,9,10,", "6,7,8,9,10,11,",
          "7,8,9,10,11,12,", "8,9,10,11,12,13,", "9,10,11,12,13,14,", "10,11,12,13,14,15,"},
         "1/10"},
        {"placeholders are case-sensitive", "[z1_1][Z1_1][tippdatei]", {"4,5,6,7,8,9,"}, "[z1_1]4[tippdatei]"},
        {"the seventh value is the rest up to the next comma", "[S2_1]|[S2_2]|[S2_3]",
         {"1,2,3,4,5,6,7", "1,2,3,4,5,6,7,8", "1,2,3,4,5,6,"}, "7|7|"},
        {"a line without enough commas leaves the later values empty and the rest for the seventh",
         "[Z1_1]|[Z2_1]|[S1_1]|[S2_1]", {"1,2"}, "1|||2"},
        {"an empty line in the middle is a line of empty values", "[Z1_1][Z1_2][Z1_3]", {"1,,,,,,", "", "3,,,,,,"},
         "13"},
        {"fixed words and the tip file", "[MELDUNGFERTIG]: [TIPPDATEI]", {}, "Ready to Play: " + path},
        {"inserted text is not scanned again", "[TIPPDATEI]", {}, path},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(fillClickScript(c.script, c.lines, none, path), c.filled);
    }
    // A tip file path that looks like a placeholder stays as it is: the path
    // is put in last.
    EXPECT_EQ(fillClickScript("[TIPPDATEI] [DAUER]", {}, none, "/x/[DAUER]/[Z1_1].qlt"),
              "/x/[DAUER]/[Z1_1].qlt NEIN");
}

TEST(ClickScript, YesNoPlaceholdersFollowTheGeneratorSettings) {
    struct Case {
        int preferPairs, maxOverlap, preferFrequent;
        const char* filled; // [DAUER] [FR] [DI] [DIFR]
    } cases[] = {
        {0, 0, 0, "NEIN NEIN NEIN NEIN"},
        {1, 0, 0, "JA NEIN NEIN NEIN"},
        {0, 1, 0, "NEIN JA NEIN NEIN"},
        {0, 0, 1, "NEIN NEIN JA NEIN"},
        {0, 1, 1, "NEIN JA JA JA"},
        {1, 1, 1, "JA JA JA JA"},
    };
    for (const Case& c : cases) {
        GeneratorSettings s;
        s.set(Gs::PreferPairs, c.preferPairs);
        s.set(Gs::MaxOverlapEnabled, c.maxOverlap);
        s.set(Gs::PreferFrequent, c.preferFrequent);
        EXPECT_EQ(fillClickScript("[DAUER] [FR] [DI] [DIFR]", {}, scriptFlagsFrom(s), "x"), c.filled);
    }
    EXPECT_EQ(fillClickScript("[DIFR][DI]", {}, ScriptFlags{false, false, true, false}, "x"), "NEINJA");
}

TEST(ClickScript, FileNamesOfARun) {
    EXPECT_EQ(submissionTipFileName(dayFromYmd(2024, 1, 2)), "20240109.qlt");
    EXPECT_EQ(submissionTipFileName(dayFromYmd(2023, 12, 29)), "20240105.qlt");
    EXPECT_EQ(submissionTipFileName(dayFromYmd(2024, 2, 26) + 0.75), "20240305.qlt"); // rounded up
    EXPECT_EQ(submissionTipFileName(dayFromYmd(2024, 2, 26) + 0.25), "20240304.qlt");
    EXPECT_EQ(substitutedScriptName(dayFromYmd(2024, 7, 4)), "20240704.qcs");
}

TEST(ClickScript, RobotBesideTheProgram) {
    struct Case {
        const char* folder;
        bool upper;
        const char* exe;
        const char* candidate;
    } cases[] = {
        {"C:\\Programme\\Quendral\\Zentuva\\", true, "Ostrevo\\ostrevo.exe",
         "C:\\PROGRAMME\\QUENDRAL\\Ostrevo\\ostrevo.exe"},
        {"/opt/Quendral/Zentuva/", false, "Ostrevo/ostrevo", "/opt/Quendral/Ostrevo/ostrevo"},
        {"/opt/quendral/zentuva/bin/", false, "Ostrevo/ostrevo", "/opt/quendral/Ostrevo/ostrevo"},
        {"/home/quendraluser/Quendral/Zentuva/", false, "Ostrevo/ostrevo",
         "/home/quendraluser/Quendral/Ostrevo/ostrevo"},
        {"/opt/QuendralSoft/Zentuva/", false, "Ostrevo/ostrevo", "/opt/QuendralSoft/Zentuva/Ostrevo/ostrevo"},
        {"/usr/lib/ruvuzevodare/", false, "Ostrevo/ostrevo", "/usr/lib/ruvuzevodare/Ostrevo/ostrevo"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(robotBesideProgram(c.folder, c.upper, c.exe), c.candidate) << c.folder;
}

TEST(ClickScript, RobotLookupOrder) {
    test::TempDir dir;
    namespace fs = std::filesystem;
    const std::string machine = dir.file("machine"), user = dir.file("user"), empty = dir.file("empty");
    const std::string program = dir.file("Quendral/Zentuva") + "/";
    for (const auto& d : {machine, user, empty, program, dir.file("Quendral/Ostrevo")})
        fs::create_directories(d);
    test::writeFile(machine + "/" + kRobotExecutable, "#!/bin/sh\n");
    test::writeFile(user + "/" + kRobotExecutable, "#!/bin/sh\n");
    const std::string beside = dir.file("Quendral/") + kRobotBesideProgram;
    // A recorded folder and the program's name, joined with the system's separator.
    const auto in = [](const std::string& folder) {
        return folder + static_cast<char>(fs::path::preferred_separator) + kRobotExecutable;
    };

    struct Case {
        const char* what;
        std::optional<std::string> machineFolder, userFolder;
        bool besideExists;
        std::optional<RobotLocation> found;
    } cases[] = {
        {"machine-wide first", machine, user, true, RobotLocation{in(machine), true}},
        {"a recorded folder without the program: missing, no further search", empty, user, true,
         RobotLocation{in(empty), false}},
        {"then the user's", std::nullopt, user, true, RobotLocation{in(user), true}},
        {"an empty recorded folder does not count", std::string(), std::string(), true, RobotLocation{beside, true}},
        {"beside the program", std::nullopt, std::nullopt, true, RobotLocation{beside, true}},
        {"nowhere", std::nullopt, std::nullopt, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.besideExists)
            test::writeFile(beside, "#!/bin/sh\n");
        else
            fs::remove(beside);
        const auto got = locateRobot({c.machineFolder, c.userFolder, program});
        ASSERT_EQ(got.has_value(), c.found.has_value());
        if (got) {
#if defined(_WIN32)
            // Beside the program the folder is spelt in capitals, as the
            // case-blind file system allows: the same file.
            if (c.found->path == beside)
                EXPECT_TRUE(sameFile(got->path, beside)) << got->path;
            else
#endif
            EXPECT_EQ(got->path, c.found->path);
            EXPECT_EQ(got->exists, c.found->exists);
        }
    }
}

TEST(ClickScript, ScriptListOfTheFolder) {
    test::TempDir dir;
    namespace fs = std::filesystem;
    for (const char* f : {"b.qcs", "A.QCS", "notes.txt", "c.qcs.bak", "qcs"})
        test::writeFile(dir.file(f), "x");
    fs::create_directory(dir.file("folder.qcs"));
    const std::vector<std::string> expected{dir.file("A.QCS"), dir.file("b.qcs")};
    EXPECT_EQ(listClickScripts(dir.file("")), expected); // the folder's name as given, then the file's
    EXPECT_TRUE(listClickScripts(dir.file("missing")).empty());

    EXPECT_EQ(initialScript("", expected), dir.file("b.qcs"));
    EXPECT_EQ(initialScript("/elsewhere/x.qcs", expected), "/elsewhere/x.qcs");
    EXPECT_EQ(initialScript("", {}), "");
}

TEST(ClickScript, UpdateAddress) {
    const std::pair<std::pair<std::string, std::string>, std::string> cases[] = {
        {{"http://127.0.0.1:8080/", "/home/u/Script/Lottoland.qcs"}, "http://127.0.0.1:8080/scripts/Lottoland.qcs.txt"},
        {{"127.0.0.1:8080", "/elsewhere/Mein Skript+1.qcs"}, "http://127.0.0.1:8080/scripts/Mein%20Skript%2B1.qcs.txt"},
        {{"http://h", "Lotto\xc3\xa4.qcs"}, "http://h/scripts/Lotto%C3%A4.qcs.txt"},
        {{kDefaultServerAddress, "/home/u/Script/Lottoland.qcs"}, ""},
        {{"http://h", "/home/u/Script/"}, ""},
    };
    for (const auto& [in, url] : cases)
        EXPECT_EQ(scriptUpdateUrl(in.first, in.second), url) << in.second;
}

TEST(ClickScript, UpdateOnlyForANewerScript) {
    const auto answer = [](int status, std::optional<std::int64_t> lm, HttpFailure f = HttpFailure::None,
                           std::string finalUrl = "http://h/scripts/Lottoland.qcs.txt") {
        HttpResponse r;
        r.failure = f;
        r.status = status;
        r.lastModified = lm;
        r.body = "script";
        r.finalUrl = std::move(finalUrl);
        return r;
    };
    const std::int64_t local = 1700000000;
    struct Case {
        const char* what;
        HttpResponse response;
        std::optional<std::int64_t> localModified;
        bool replaces;
    } cases[] = {
        {"server's copy newer", answer(200, local + 1), local, true},
        {"same time", answer(200, local), local, false},
        {"local copy newer", answer(200, local - 3600), local, false},
        {"no Last-Modified", answer(200, std::nullopt), local, false},
        {"error status", answer(404, local + 1), local, false},
        {"other success status", answer(203, local + 1), local, false},
        {"no answer", answer(0, local + 1, HttpFailure::ConnectionRefused), local, false},
        {"no local script", answer(200, local + 1), std::nullopt, false},
        {"redirected to a login page", answer(200, local + 1, HttpFailure::None, "https://h/login.html?next=x.txt"),
         local, false},
        {"redirected to another script copy", answer(200, local + 1, HttpFailure::None, "http://mirror/s/L.QCS.TXT"),
         local, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(updateReplacesScript(c.response, c.localModified), c.replaces) << c.what;
}

TEST(ClickScript, RobotArgumentsStayWhole) {
    ScriptChoice s;
    s.script = "/s.qcs";
    s.zahl1 = "3";
    s.text1 = "Max Mustermann";
    const std::vector<std::string> expected{"START", "/x/Tipps/20240704.qcs", "3", "Max Mustermann", "", ""};
    EXPECT_EQ(robotArguments("/x/Tipps/20240704.qcs", s), expected);
}

TEST(ClickScript, FilledCopyAsItsFileHoldsIt) {
    const ScriptFlags none;
    struct Case {
        const char* what;
        std::string script, tipFile, file;
    } cases[] = {
        {"line ends become CR LF, a last line gets one", "A [Z1_1]\nB\rC [S1_1]", "7,8,9,10,11,12,\r\n",
         "A 7\r\nB\r\nC 12\r\n"},
        {"a byte order mark of the script is not copied", "\xEF\xBB\xBFKopf [Z1_1]\r\n", "3,,,,,,\n",
         "Kopf 3\r\n"},
        {"a script in the 8-bit Western code page", "f\xFCr [Z1_1]\r\n", "4,,,,,,", "f\xC3\xBCr 4\r\n"},
        {"a tip file in UTF-16", "[Z1_1]/[Z1_2]", std::string("\xFF\xFE" "5\0,\0\r\0\n\0" "6\0,\0", 14), "5/6\r\n"},
        {"an empty script", "", "1,2,3,4,5,6,", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // In the system's 8-bit form: "für" is F C3 BC R in UTF-8, F FC R on Windows.
        EXPECT_EQ(filledScriptFile(c.script, c.tipFile, none, "/t.qlt"), encodeText(c.file, systemTextEncoding()));
    }
}

TEST(OnlineFiles, ModificationTime) {
    test::TempDir dir;
    const std::string f = dir.file("Lottoland.qcs");
    EXPECT_FALSE(fileModifiedSeconds(f).has_value());
    EXPECT_FALSE(fileModifiedSeconds(dir.str()).has_value()); // a folder is no script
    test::writeFile(f, "x");
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    ASSERT_TRUE(fileModifiedSeconds(f).has_value());
    EXPECT_LE(std::abs(*fileModifiedSeconds(f) - now), 5);
    std::filesystem::last_write_time(
        f, std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(1700000000))));
    EXPECT_EQ(fileModifiedSeconds(f), 1700000000);
}
