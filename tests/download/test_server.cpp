// The data server: its answers, and a download from it over the loopback.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "TestSupport.h"
#include "Wine.h"
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

namespace {

const std::string kDrawing = "/lotto/uslotto.asp?Programm=RuvuZevodare&Datum=";

std::string headerOf(const ServerAnswer& a, const std::string& name) {
    for (const auto& [n, v] : a.headers)
        if (n == name)
            return v;
    return "(none)";
}

// The tag of an empty answer, as a client got it before.
std::string entityTagOfEmpty() {
    test::TempDir dir;
    test::writeDatabase(dir.file("empty.dat"), {});
    return headerOf(DataServerRoutes(dir.file("empty.dat")).answer("GET", kDrawing + "20191023"), "ETag");
}

void setModified(const std::string& path, std::int64_t seconds) {
    std::filesystem::last_write_time(
        path, std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(seconds))));
}

} // namespace

TEST(DataServer, DrawingAnswersTellCachesHowLongTheyHold) {
    test::TempDir dir;
    const std::string db = dir.file("Ruvuzevodare.dat");
    test::writeDatabase(db, history());
    const std::int64_t stamp = 1572825600; // 4 Nov 2019 00:00 UTC, long ago: the file is settled
    setModified(db, stamp);
    DataServerRoutes routes(db);
    routes.setToday([] { return dayFromYmd(2019, 10, 31); });

    const ServerAnswer first = routes.answer("GET", kDrawing + "20191022");
    const std::string tag = headerOf(first, "ETag");
    ASSERT_EQ(tag.size(), 18u) << tag;
    EXPECT_EQ(headerOf(first, "Last-Modified"), "Mon, 04 Nov 2019 00:00:00 GMT");

    struct Case {
        const char* what;
        std::string date;
        RequestConditions conditions;
        int status;
        const char* cacheControl;
    } cases[] = {
        {"a drawing nine days back is final", "20191022", {}, 200, "public, max-age=86400"},
        {"two days back too", "20191029", {}, 200, "public, max-age=86400"},
        {"yesterday may still be corrected", "20191030", {}, 200, "no-cache"},
        {"a day without drawing may get one", "20191023", {}, 200, "no-cache"},
        {"the future", "20191105", {}, 200, "no-cache"},
        {"the client has it", "20191022", {tag, ""}, 304, "public, max-age=86400"},
        {"one of a list, weak", "20191022", {"\"0\", W/" + tag, ""}, 304, "public, max-age=86400"},
        {"any", "20191022", {"*", ""}, 304, "public, max-age=86400"},
        {"another version", "20191022", {"\"0123456789abcdef\"", ""}, 200, "public, max-age=86400"},
        {"the tag of another date", "20191018", {tag, ""}, 200, "public, max-age=86400"},
        {"not modified since", "20191022", {"", "Mon, 04 Nov 2019 00:00:00 GMT"}, 304, "public, max-age=86400"},
        {"modified since", "20191022", {"", "Sun, 03 Nov 2019 23:59:59 GMT"}, 200, "public, max-age=86400"},
        {"the tag decides over the time", "20191022", {"\"0\"", "Mon, 04 Nov 2019 00:00:00 GMT"}, 200,
         "public, max-age=86400"},
        {"an empty answer has a tag too", "20191023", {entityTagOfEmpty(), ""}, 304, "no-cache"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ServerAnswer a = routes.answer("GET", kDrawing + c.date, c.conditions);
        EXPECT_EQ(a.status, c.status);
        EXPECT_EQ(headerOf(a, "Cache-Control"), c.cacheControl);
        EXPECT_NE(headerOf(a, "ETag"), "(none)");
        if (c.status == 304) {
            EXPECT_EQ(a.body, "");
            EXPECT_EQ(headerOf(a, "ETag"), headerOf(routes.answer("GET", kDrawing + c.date), "ETag"));
            EXPECT_EQ(headerOf(a, "Content-Length"),
                      std::to_string(routes.answer("GET", kDrawing + c.date).body.size()));
        }
    }
}

TEST(DataServer, ReadsTheFileOnceAndAgainWhenItChanges) {
    test::TempDir dir;
    const std::string db = dir.file("Ruvuzevodare.dat");
    std::vector<DrawingRecord> all = history();
    test::writeDatabase(db, std::vector<DrawingRecord>(all.begin(), all.end() - 1));
    setModified(db, 1572825600);
    const DataServerRoutes routes(db);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(routes.drawingsOf(dayFromYmd(2019, 10, 22)), "5,12,33,41,70,7,3\r\n");
    EXPECT_EQ(routes.fileReads(), 1u);
    const std::string before = headerOf(routes.answer("GET", kDrawing + "20191022"), "Last-Modified");

    // An append is served at once.
    DrawingDatabase(db).append(all.back());
    EXPECT_EQ(routes.drawingsOf(dayFromYmd(2019, 10, 29)), "200,99,0,255,1,25,0\r\n");
    EXPECT_NE(headerOf(routes.answer("GET", kDrawing + "20191022"), "Last-Modified"), before);
    // So is a replacement of the same size, and a partial record is not read.
    all[3] = test::rec(2019, 10, 22, {1, 2, 3, 4, 5}, 6, 7);
    DrawingDatabase(db).replaceAll(all);
    EXPECT_EQ(routes.drawingsOf(dayFromYmd(2019, 10, 22)), "1,2,3,4,5,6,7\r\n");
    test::writeFile(db, test::readFile(db) + std::string(20, '\x01'));
    EXPECT_EQ(routes.drawingsOf(dayFromYmd(2019, 10, 29)), "200,99,0,255,1,25,0\r\n");
    // A file that cannot be read leaves the last one in service.
    std::filesystem::remove(db);
    EXPECT_EQ(routes.drawingsOf(dayFromYmd(2019, 10, 22)), "1,2,3,4,5,6,7\r\n");
}

TEST(DataServer, AnswersStayWholeWhileTheFileIsRewritten) {
    test::TempDir dir;
    const std::string db = dir.file("Ruvuzevodare.dat");
    std::vector<DrawingRecord> a = history(), b = history();
    b[2] = test::rec(2019, 10, 18, {9, 9, 9, 9, 9}, 9, 9);
    b.push_back(test::rec(2019, 10, 18, {7, 7, 7, 7, 7}, 7, 7));
    std::sort(b.begin(), b.end(), [](const DrawingRecord& x, const DrawingRecord& y) { return x.Date < y.Date; });
    test::writeDatabase(db, a);
    const DataServerRoutes routes(db);
    const std::string bodyA = "18,58,60,65,67,20,3\r\n1,2,3,4,5,6,0\r\n";
    const std::string bodyB = "18,58,60,65,67,20,3\r\n9,9,9,9,9,9,9\r\n7,7,7,7,7,7,7\r\n";

    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 40; ++i)
            DrawingDatabase(db).replaceAll(i % 2 ? a : b);
        done = true;
    });
    int answers = 0;
    const bool wine = test::runningUnderWine();
    while (!done) {
        const ServerAnswer r = routes.answer("GET", kDrawing + "20191018");
        ASSERT_TRUE(r.body == bodyA || r.body == bodyB) << r.body;
        ++answers;
        // Wine refuses a rename over a file while it is open at all (Windows
        // 10 and POSIX systems do not): leave the writer a moment between reads.
        if (wine)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    writer.join();
    EXPECT_GT(answers, 0);
    EXPECT_EQ(routes.drawingsOf(dayFromYmd(2019, 10, 18)), bodyA); // the last version written
}
