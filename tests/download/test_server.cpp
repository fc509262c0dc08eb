// The data server: its answers, and a download from it over the loopback.
#include <gtest/gtest.h>

#include <thread>

#include "TestSupport.h"
#include "net/BlockingHttp.h"
#include "server/DataServer.h"

using namespace rz;

namespace {

std::vector<DrawingRecord> history() {
    return {
        test::rec(2019, 10, 15, {4, 12, 14, 35, 70}, 2, 2),
        test::rec(2019, 10, 18, {18, 58, 60, 65, 67}, 20, 3),
        test::rec(2019, 10, 18, {1, 2, 3, 4, 5}, 6, 0), // a second drawing of one date
        test::rec(2019, 10, 22, {5, 12, 33, 41, 70}, 7, 3),
        test::rec(2019, 10, 25, {16, 24, 25, 52, 60}, 6, 3),
        test::rec(2019, 10, 29, {200, 99, 0, 255, 1}, 25, 0),
    };
}

// The server on a free loopback port, serving on its own thread.
struct RunningServer {
    DataServer server;
    std::thread thread;
    std::vector<std::string> log;
    std::mutex mu;

    explicit RunningServer(const std::string& db)
        : server(db, [this](const std::string& line) {
              std::lock_guard<std::mutex> lock(mu);
              log.push_back(line);
          }) {
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

} // namespace

TEST(DataServer, AnswersTheDrawingRequestOnly) {
    test::TempDir dir;
    const std::string db = dir.file("Ruvuzevodare.dat");
    test::writeDatabase(db, history());
    const DataServerRoutes routes(db);
    const std::string base = "/lotto/uslotto.asp?Programm=RuvuZevodare&Datum=";
    struct Case {
        const char* method;
        std::string target;
        int status;
        const char* body;
    } cases[] = {
        {"GET", base + "20191022", 200, "5,12,33,41,70,7,3\r\n"},
        {"GET", base + "20191018", 200, "18,58,60,65,67,20,3\r\n1,2,3,4,5,6,0\r\n"},
        {"GET", base + "20191029", 200, "200,99,0,255,1,25,0\r\n"},
        {"GET", base + "20191023", 200, ""},
        {"HEAD", base + "20191022", 200, "5,12,33,41,70,7,3\r\n"},
        {"GET", "/lotto/USLotto.asp?Datum=20191022&Programm=RuvuZevodare", 200, "5,12,33,41,70,7,3\r\n"},
        {"GET", base + "20190230", 404, nullptr},
        {"GET", base + "2019102", 404, nullptr},
        {"GET", base, 404, nullptr},
        {"GET", "/lotto/uslotto.asp?Programm=Other&Datum=20191022", 404, nullptr},
        {"GET", "/lotto/uslotto.asp?Datum=20191022", 404, nullptr},
        {"GET", "/lotto/lotto.asp?Spiel=Zentuva&Wo=Lottoland&Tipps=2", 404, nullptr},
        {"GET", "/", 404, nullptr},
        {"POST", base + "20191022", 405, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.method) + " " + c.target);
        const ServerAnswer a = routes.answer(c.method, c.target);
        EXPECT_EQ(a.status, c.status);
        if (c.body) {
            EXPECT_EQ(a.body, c.body);
        }
    }
}

TEST(DataServer, DownloadAddsExactlyTheDrawingsTheCopyLacks) {
    test::TempDir dir;
    const std::string served = dir.file("served.dat");
    std::vector<DrawingRecord> all = history();
    all.erase(all.begin() + 2); // one drawing per date
    test::writeDatabase(served, all);
    RunningServer running(served);

    // The user's copy lacks the two newest drawings.
    test::TempDir home;
    test::writeDatabase(home.file("Ruvuzevodare.dat"), std::vector<DrawingRecord>(all.begin(), all.end() - 2));
    MainModel model;
    test::ScriptedPlatform platform;
    BlockingHttp http;
    FixedClock clock(dayFromYmd(2019, 11, 1));
    model.setServices({.dialogs = &platform, .events = &platform, .clock = &clock, .http = &http});
    model.Home = home.str();
    model.ServerAddress = running.server.address();
    model.KalventoClick();

    EXPECT_EQ(model.lastDownload.added, 2);
    EXPECT_EQ(test::readFile(home.file("Ruvuzevodare.dat")), test::readFile(served));
    EXPECT_EQ(model.cur.Datum1, dayFromYmd(2019, 10, 29));
    // 25 Oct: 26 (empty), 25; 29 Oct: 30 (empty), 29; 1 Nov: 2, 1. The
    // server logs a request after its answer is sent.
    for (int i = 0; i < 400; ++i) {
        {
            std::lock_guard<std::mutex> lock(running.mu);
            if (running.log.size() >= 6)
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::lock_guard<std::mutex> lock(running.mu);
    ASSERT_EQ(running.log.size(), 6u);
    EXPECT_NE(running.log[0].find(" 127.0.0.1 GET /lotto/uslotto.asp?Programm=RuvuZevodare&Datum=20191026 200 0"),
              std::string::npos)
        << running.log[0];
}
