// The cart and the click-script runner through the main model: the data
// server on the loopback, a fake robot found through the settings that
// records its arguments, scripted dialogs and a scripted shell.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "TestSupport.h"
#include "net/BlockingHttp.h"
#include "online/OnlineFiles.h"
#include "online/OnlineServices.h"
#include "server/DataServer.h"
#include "settings/SettingsStore.h"

using namespace rz;

namespace {

namespace fs = std::filesystem;

// Starts a program and waits for it (the fake robot only writes a file).
struct SpawnProcesses : IProcesses {
    bool start(const std::string& program, const std::vector<std::string>& arguments) override {
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const pid_t pid = fork();
        if (pid == 0) {
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
};

struct MemoryCredentials : ICredentialStore {
    std::map<std::string, std::string> secrets;
    std::optional<std::string> readSecret(const std::string& service, const std::string& key) override {
        const auto it = secrets.find(service + "/" + key);
        if (it == secrets.end())
            return std::nullopt;
        return it->second;
    }
    bool writeSecret(const std::string& service, const std::string& key, const std::string& secret) override {
        if (secret.empty())
            secrets.erase(service + "/" + key);
        else
            secrets[service + "/" + key] = secret;
        return true;
    }
};

struct MachineSettings : IMachineSettings {
    std::map<std::string, std::string> values; // "Varendo/Settings/Path"
    std::optional<std::string> readText(const std::string& program, const std::string& name) override {
        const auto it = values.find(program + "/" + name);
        if (it == values.end())
            return std::nullopt;
        return it->second;
    }
};

// Records the script choice offered and answers with a scripted one.
struct Platform : test::ScriptedPlatform {
    std::vector<ScriptChoice> offered;
    std::function<std::optional<ScriptChoice>(const ScriptChoice&)> answer;
    std::vector<std::pair<std::string, std::string>> asked; // title, text
    std::optional<ScriptChoice> chooseScript(const ScriptChoice& initial) override {
        offered.push_back(initial);
        return answer ? answer(initial) : std::nullopt;
    }
    bool askYesNo(const std::string& title, const std::string& text) override {
        asked.emplace_back(title, text);
        return question(text);
    }
};

// The data server on a free loopback port.
struct RunningServer {
    DataServer server;
    std::thread thread;
    RunningServer(const std::string& db, const PortalOptions& portal) : server(db, {}) {
        server.setPortal(portal);
        EXPECT_TRUE(server.start("127.0.0.1", 0));
        thread = std::thread([this] { server.serve(); });
        while (!server.running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~RunningServer() {
        server.stop();
        thread.join();
    }
};

const char* kRobot = "#!/bin/sh\n"
                     "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$(dirname \"$0\")/args.txt\"\n";

void setTime(const std::string& path, std::int64_t seconds) {
    fs::last_write_time(path, std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(seconds))));
}

// The program folder with its database, a robot folder and a script.
struct Installation {
    test::TempDir home;     // the program's folder
    test::TempDir robotDir; // where the robot is installed
    std::string robot;
    MainModel model;
    Platform platform;
    SpawnProcesses processes;
    MemorySettingsStore store;
    MemoryCredentials credentials;
    MachineSettings machine;
    BlockingHttp http;
    FixedClock clock{dayFromYmd(2024, 7, 4)};
    bool withCredentials = true;

    Installation() {
        test::writeDatabase(home.file("Ruvuzevodare.dat"), {test::rec(2024, 7, 2, {5, 12, 33, 41, 70}, 7, 3)});
        robot = robotDir.file(kRobotExecutable);
        test::writeFile(robot, kRobot);
        fs::permissions(robot, fs::perms::owner_all);
        fs::create_directory(home.file(kScriptFolder));
        test::writeFile(script("Lottoland.qcs"), "LOGIN [Z1_1]-[S1_1]-[S2_1] [Z1_2] [Z5_3] [DAUER] [TIPPDATEI]\n");
        model.Home = home.str();
        model.DateTimePicker1.setDate(dayFromYmd(2024, 7, 2));
        model.ServerAddress = "http://127.0.0.1:1";
        attach();
    }
    void attach() {
        Services s;
        s.dialogs = &platform;
        s.shell = &platform;
        s.events = &platform;
        s.clock = &clock;
        s.processes = &processes;
        s.settings = &store;
        s.http = &http;
        s.credentials = withCredentials ? &credentials : nullptr;
        s.machineSettings = &machine;
        model.setServices(s);
    }
    std::string script(const std::string& name) const { return home.file(std::string(kScriptFolder) + "/" + name); }
    std::string tips(const std::string& name) const { return home.file(std::string(kTipsFolder) + "/" + name); }
    void installMachineWide() { machine.values["Varendo/Settings/Path"] = robotDir.str(); }
    std::vector<std::string> robotArgs() const {
        std::ifstream in(robotDir.file("args.txt"));
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        return lines;
    }
    void fillRows() {
        const char* rows[] = {"1,2,3,4,5,6,", "", "21,22,23,24,25,13,9"};
        for (int r = 1; r <= 3; ++r) {
            const auto f = TipSet::splitTipLine(rows[r - 1]);
            for (int k = 1; k <= TipSet::kFields; ++k)
                model.tips.set(r, k, f[static_cast<std::size_t>(k)]);
        }
    }
};

ScriptChoice typed(const ScriptChoice& initial, std::string zahl1, std::string text1, std::string zahl2,
                   std::string text2) {
    ScriptChoice c = initial;
    c.zahl1 = std::move(zahl1);
    c.text1 = std::move(text1);
    c.zahl2 = std::move(zahl2);
    c.text2 = std::move(text2);
    return c;
}

} // namespace

TEST(PortalModel, RobotStartedWithTheFilledCopy) {
    Installation in;
    in.installMachineWide();
    in.fillRows();
    in.platform.answer = [](const ScriptChoice& c) { return typed(c, "3", "Max Mustermann", "", "geheim 1"); };
    in.model.OnlineTippClick();

    ASSERT_EQ(in.model.lastScriptRun.end, ScriptRunEnd::Started) << (in.platform.messages.empty() ? "" : in.platform.messages[0]);
    // The tip file is named after the database end date plus seven days.
    const std::string tipFile = in.tips("20240709.qlt");
    EXPECT_EQ(in.model.OnlineTipFile, tipFile);
    EXPECT_EQ(test::readFile(tipFile), "1,2,3,4,5,6,\r\n21,22,23,24,25,13,9\r\n");
    // The copy is named after today; row 3 is line 2 of the tip file.
    const std::string copy = in.tips("20240704.qcs");
    EXPECT_EQ(test::readFile(copy), "LOGIN 1-6- 21  NEIN " + tipFile + "\r\n");
    // START, the copy and the four parameters, each one argument; an empty
    // ZAHL2 became "0".
    const std::vector<std::string> args{"START", copy, "3", "Max Mustermann", "0", "geheim 1"};
    EXPECT_EQ(in.robotArgs(), args);
    EXPECT_TRUE(in.platform.messages.empty());
}

TEST(PortalModel, WhereTheRobotIsLookedFor) {
    struct Case {
        const char* what;
        bool machine, user;
        std::string machinePath; // overrides the robot folder when set
        bool installAnswer;
        ScriptRunEnd end;
        bool installerOpened;
    } cases[] = {
        {"machine-wide", true, false, "", false, ScriptRunEnd::Cancelled, false},
        {"the user's installation", false, true, "", false, ScriptRunEnd::Cancelled, false},
        {"a recorded folder without the program asks to install", true, false, "/nonexistent/folder", true,
         ScriptRunEnd::InstallerOpened, true},
        {"nowhere: the install question, answered no", false, false, "", false, ScriptRunEnd::RobotMissing, false},
        {"nowhere: the install question, answered yes", false, false, "", true, ScriptRunEnd::InstallerOpened, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Installation in;
        if (c.machine)
            in.machine.values["Varendo/Settings/Path"] = c.machinePath.empty() ? in.robotDir.str() : c.machinePath;
        if (c.user)
            in.store.writeText("Varendo/Settings/Path", in.robotDir.str());
        in.platform.questionAnswers = {c.installAnswer};
        in.model.OnlineTippClick();
        EXPECT_EQ(in.model.lastScriptRun.end, c.end);
        const bool asked = c.end == ScriptRunEnd::RobotMissing || c.end == ScriptRunEnd::InstallerOpened;
        ASSERT_EQ(in.platform.asked.size(), asked ? 1u : 0u);
        if (asked) {
            EXPECT_EQ(in.platform.asked[0].first, "Pellastro jetzt installieren?");
            EXPECT_EQ(in.platform.asked[0].second, "Quendrals Pellastro installieren?");
            EXPECT_TRUE(in.platform.offered.empty());
        } else {
            EXPECT_EQ(in.platform.offered.size(), 1u);
        }
        EXPECT_EQ(in.platform.opened, c.installerOpened ? std::vector<std::string>{kRobotInstallerUrl}
                                                          : std::vector<std::string>{});
        EXPECT_FALSE(fs::exists(in.robotDir.file("args.txt")));
    }
}

TEST(PortalModel, RobotBelowTheQuendralFolderOfTheProgram) {
    Installation in;
    const std::string program = in.home.file("Quendral/Zentuva") + "/";
    fs::create_directories(program + kScriptFolder);
    fs::create_directories(in.home.file("Quendral/Ostrevo"));
    const std::string robot = in.home.file("Quendral/Ostrevo/ostrevo");
    test::writeFile(robot, kRobot);
    fs::permissions(robot, fs::perms::owner_all);
    test::writeDatabase(program + "Ruvuzevodare.dat", {});
    test::writeFile(program + kScriptFolder + "/A.qcs", "[Z1_1]");
    in.model.Home = program;
    in.platform.answer = [](const ScriptChoice& c) { return std::optional<ScriptChoice>(c); };
    in.model.OnlineTippClick();
    EXPECT_EQ(in.model.lastScriptRun.robot, robot);
    EXPECT_EQ(in.model.lastScriptRun.end, ScriptRunEnd::Started);
    EXPECT_TRUE(fs::exists(in.home.file("Quendral/Ostrevo/args.txt")));
}

TEST(PortalModel, ChoiceKeptForTheNextRunWithoutThePasswordInTheSettings) {
    for (const bool keychain : {true, false}) {
        SCOPED_TRACE(keychain ? "with a credential store" : "without a credential store");
        Installation in;
        in.withCredentials = keychain;
        in.attach();
        in.installMachineWide();
        test::writeFile(in.script("Zweites.qcs"), "[Z1_1]");
        test::writeFile(in.script("notes.txt"), "not a script");

        // First run: nothing stored, the last script of the folder is offered.
        in.platform.answer = [](const ScriptChoice& c) { return typed(c, "", "Max Mustermann", "7", "Pa55 wort"); };
        in.model.OnlineTippClick();
        ASSERT_EQ(in.platform.offered.size(), 1u);
        const ScriptChoice& first = in.platform.offered[0];
        const std::vector<std::string> scripts{in.script("Lottoland.qcs"), in.script("Zweites.qcs")};
        EXPECT_EQ(first.scripts, scripts);
        EXPECT_EQ(first.script, in.script("Zweites.qcs"));
        EXPECT_EQ(first.scriptFolder, in.home.file(kScriptFolder));
        EXPECT_EQ(first.zahl1 + first.text1 + first.zahl2 + first.text2, "");

        // Second run: the values come back; the password only from the
        // credential store.
        in.platform.answer = [](const ScriptChoice&) { return std::nullopt; };
        in.model.OnlineTippClick();
        ASSERT_EQ(in.platform.offered.size(), 2u);
        const ScriptChoice& second = in.platform.offered[1];
        EXPECT_EQ(second.script, in.script("Zweites.qcs"));
        EXPECT_EQ(second.zahl1, "0");
        EXPECT_EQ(second.text1, "Max Mustermann");
        EXPECT_EQ(second.zahl2, "7");
        EXPECT_EQ(second.text2, keychain ? "Pa55 wort" : "");
        EXPECT_EQ(in.model.lastScriptRun.end, ScriptRunEnd::Cancelled);

        for (const std::string& name : in.store.names()) {
            const auto v = in.store.get(name);
            EXPECT_EQ(v->text.find("Pa55"), std::string::npos) << name;
        }
        EXPECT_FALSE(in.store.contains("Varendo/MegaLottoText2"));
        EXPECT_EQ(in.store.readText("Varendo/MegaLottoText1"), "Max Mustermann");
        EXPECT_EQ(in.credentials.secrets.size(), keychain ? 1u : 0u);
    }
}

TEST(PortalModel, ScriptOutsideTheFolderMissingScriptAndCancel) {
    struct Case {
        const char* what;
        std::function<std::optional<ScriptChoice>(Installation&, const ScriptChoice&)> answer;
        ScriptRunEnd end;
        bool stored; // the choice was written back
    } cases[] = {
        {"cancelled: nothing stored, nothing started",
         [](Installation&, const ScriptChoice&) { return std::optional<ScriptChoice>(); }, ScriptRunEnd::Cancelled,
         false},
        {"a missing script: a silent end after storing the choice",
         [](Installation& in, const ScriptChoice& c) {
             ScriptChoice x = c;
             x.script = in.script("Gibtsnicht.qcs");
             return std::optional<ScriptChoice>(x);
         },
         ScriptRunEnd::ScriptMissing, true},
        {"a script outside the folder works",
         [](Installation& in, const ScriptChoice& c) {
             ScriptChoice x = c;
             x.script = in.robotDir.file("Eigenes.qcs");
             test::writeFile(x.script, "[Z1_1]");
             return std::optional<ScriptChoice>(x);
         },
         ScriptRunEnd::Started, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Installation in;
        in.installMachineWide();
        in.platform.answer = [&](const ScriptChoice& initial) { return c.answer(in, initial); };
        in.model.OnlineTippClick();
        EXPECT_EQ(in.model.lastScriptRun.end, c.end);
        EXPECT_EQ(in.store.contains("Varendo/MegaLottoScript"), c.stored);
        EXPECT_EQ(fs::exists(in.robotDir.file("args.txt")), c.end == ScriptRunEnd::Started);
        EXPECT_TRUE(in.platform.messages.empty());
    }
}

TEST(PortalModel, ScriptUpdateFollowsLastModified) {
    const std::int64_t local = 1700000000;
    struct Case {
        const char* what;
        bool served;
        std::int64_t serverTime;
        bool replaced;
    } cases[] = {
        {"the server's copy is newer: it replaces the script", true, local + 60, true},
        {"the server's copy is older: the script stays", true, local - 60, false},
        {"the same time: the script stays", true, local, false},
        {"the server has no copy: the script stays", false, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Installation in;
        in.installMachineWide();
        in.fillRows();
        test::TempDir served;
        const std::string servedFile = served.file("Lottoland.qcs.txt");
        if (c.served) {
            test::writeFile(servedFile, "NEU [Z1_1]\r\n");
            setTime(servedFile, c.serverTime);
        }
        test::writeDatabase(served.file("db.dat"), {});
        PortalOptions portal;
        portal.scriptsFolder = served.str();
        RunningServer server(served.file("db.dat"), portal);
        in.model.ServerAddress = server.server.address();
        setTime(in.script("Lottoland.qcs"), local);
        const std::string before = test::readFile(in.script("Lottoland.qcs"));
        in.platform.answer = [&in](const ScriptChoice& c) {
            ScriptChoice x = c;
            x.script = in.script("Lottoland.qcs");
            return std::optional<ScriptChoice>(x);
        };
        in.model.OnlineTippClick();
        ASSERT_EQ(in.model.lastScriptRun.end, ScriptRunEnd::Started);
        EXPECT_EQ(in.model.lastScriptRun.updateStatus, c.served ? 200 : 404);
        EXPECT_EQ(in.model.lastScriptRun.updated, c.replaced);
        EXPECT_EQ(test::readFile(in.script("Lottoland.qcs")), c.replaced ? "NEU [Z1_1]\r\n" : before);
        EXPECT_EQ(test::readFile(in.tips("20240704.qcs")),
                  c.replaced ? "NEU 1\r\n" : "LOGIN 1-6- 21  NEIN " + in.tips("20240709.qlt") + "\r\n");
        EXPECT_TRUE(test::temporariesBeside(in.script("Lottoland.qcs")).empty());
    }
}

TEST(PortalModel, InstalledTheShippedScriptsStayAndTheUserCopiesTakeTheirPlace) {
    // The Installation's folder plays the read-only shipped folder; the
    // user's files go to a folder of their own.
    Installation in;
    in.installMachineWide();
    in.fillRows();
    test::TempDir user;
    test::writeDatabase(user.file("Ruvuzevodare.dat"), {test::rec(2024, 7, 2, {5, 12, 33, 41, 70}, 7, 3)});
    fs::create_directory(user.file(kScriptFolder));
    test::writeFile(user.file(std::string(kScriptFolder) + "/Eigenes.qcs"), "EIGEN [Z1_1]\r\n");
    in.model.usePaths(AppPaths(in.home.str(), user.str(), in.home.str()));
    const std::int64_t local = 1700000000;
    setTime(in.script("Lottoland.qcs"), local);
    const std::string shipped = test::readFile(in.script("Lottoland.qcs"));

    test::TempDir served;
    test::writeFile(served.file("Lottoland.qcs.txt"), "NEU [Z1_1]\r\n");
    setTime(served.file("Lottoland.qcs.txt"), local + 60);
    test::writeDatabase(served.file("db.dat"), {});
    PortalOptions portal;
    portal.scriptsFolder = served.str();
    RunningServer server(served.file("db.dat"), portal);
    in.model.ServerAddress = server.server.address();
    const std::string userCopy = user.file(std::string(kScriptFolder) + "/Lottoland.qcs");

    in.platform.answer = [&in](const ScriptChoice& c) {
        ScriptChoice x = c;
        x.script = in.script("Lottoland.qcs");
        return std::optional<ScriptChoice>(x);
    };
    in.model.OnlineTippClick();
    ASSERT_EQ(in.platform.offered.size(), 1u);
    EXPECT_EQ(in.platform.offered[0].scripts,
              (std::vector<std::string>{user.file(std::string(kScriptFolder) + "/Eigenes.qcs"), in.script("Lottoland.qcs")}));
    EXPECT_EQ(in.platform.offered[0].scriptFolder, user.file(kScriptFolder));
    ASSERT_EQ(in.model.lastScriptRun.end, ScriptRunEnd::Started);
    // The update went to the user's copy, the shipped script is untouched,
    // the tip file and the filled copy are in the user's "Tipps".
    EXPECT_TRUE(in.model.lastScriptRun.updated);
    EXPECT_EQ(test::readFile(userCopy), "NEU [Z1_1]\r\n");
    EXPECT_EQ(test::readFile(in.script("Lottoland.qcs")), shipped);
    EXPECT_EQ(test::readFile(user.file(std::string(kTipsFolder) + "/20240704.qcs")), "NEU 1\r\n");
    EXPECT_FALSE(fs::exists(in.home.file(kTipsFolder)));

    // The next run offers the user's copy in place of the shipped script.
    in.platform.answer = [](const ScriptChoice&) { return std::nullopt; };
    in.model.OnlineTippClick();
    ASSERT_EQ(in.platform.offered.size(), 2u);
    EXPECT_EQ(in.platform.offered[1].scripts,
              (std::vector<std::string>{user.file(std::string(kScriptFolder) + "/Eigenes.qcs"), userCopy}));
    EXPECT_EQ(in.platform.offered[1].script, userCopy);
}

TEST(PortalModel, CartThroughTheModel) {
    Installation in;
    test::TempDir served;
    test::writeDatabase(served.file("db.dat"), {});
    PortalOptions portal;
    portal.cartBase = "https://portal.example/cart?";
    RunningServer server(served.file("db.dat"), portal);
    in.model.ServerAddress = server.server.address();
    in.model.cartPauseMs = 20;
    for (int r = 1; r <= 12; ++r)
        for (int k = 1; k <= 6; ++k)
            in.model.tips.set(r, k, std::to_string(k == 6 ? r : r + 10 * k));
    in.model.WarenkorbClick();
    EXPECT_EQ(in.model.lastCart.end, CartEnd::Opened);
    ASSERT_EQ(in.platform.opened.size(), 2u);
    EXPECT_EQ(in.platform.opened[0].rfind("https://portal.example/cart?kasten1=11,21,31,41,51,1,&", 0), 0u);
    EXPECT_EQ(in.model.StatusPanel[1], "Überprüfen Sie den Tipp im Warenkorb!!!");
    EXPECT_FALSE(in.model.operation.running());

    // A cart base that is no web address: a message, nothing opened.
    in.platform.opened.clear();
    in.model.ServerAddress = kDefaultServerAddress;
    in.model.WarenkorbClick();
    EXPECT_TRUE(in.platform.opened.empty());
    ASSERT_EQ(in.platform.messages.size(), 1u);
    EXPECT_NE(in.platform.messages[0].find("CSV"), std::string::npos);
}

TEST(PortalModel, NoticeSavedBesideTheProgram) {
    Installation in;
    test::TempDir served;
    test::writeDatabase(served.file("db.dat"), {});
    test::writeFile(served.file("notice.htm"), "<p>Mitteilung</p>\n<p>Heute geschlossen</p>");
    PortalOptions portal;
    portal.cartBase = "https://portal.example/cart?";
    portal.noticeFile = served.file("notice.htm");
    RunningServer server(served.file("db.dat"), portal);
    in.model.ServerAddress = server.server.address();
    in.model.WarenkorbClick();
    EXPECT_EQ(in.model.lastCart.end, CartEnd::Notice);
    const std::vector<std::string> opened{in.home.file("Meldung.htm")};
    EXPECT_EQ(in.platform.opened, opened);
    EXPECT_EQ(test::readFile(in.home.file("Meldung.htm")), "<p>Mitteilung</p>\r\n<p>Heute geschlossen</p>\r\n");
    EXPECT_TRUE(in.platform.messages.empty());
}
