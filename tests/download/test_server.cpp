// The data server: its answers, and a download from it over the loopback.
#include "RunningDataServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <random>
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
    test::RunningDataServer running(served);

    // The user's copy lacks the two newest drawings.
    test::TempDir home;
    test::writeDatabase(home.file("Ruvuzevodare.dat"), std::vector<DrawingRecord>(all.begin(), all.end() - 2));
    MainModel model;
    test::ScriptedPlatform platform;
    BlockingHttp http;
    FixedClock clock(dayFromYmd(2019, 11, 1));
    model.setServices({.dialogs = &platform, .events = &platform, .clock = &clock, .http = &http});
    model.Home = home.str();
    model.ServerAddress = running.address();
    model.KalventoClick();

    EXPECT_EQ(model.lastDownload.added, 2);
    EXPECT_EQ(test::readFile(home.file("Ruvuzevodare.dat")), test::readFile(served));
    EXPECT_EQ(model.cur.Datum1, dayFromYmd(2019, 10, 29));
    // 25 Oct: 26 (empty), 25; 29 Oct: 30 (empty), 29; 1 Nov: 2, 1.
    const std::vector<std::string> log = running.waitForLog(6);
    ASSERT_EQ(log.size(), 6u);
    EXPECT_NE(log[0].find(" 127.0.0.1 GET /lotto/uslotto.asp?Programm=RuvuZevodare&Datum=20191026 200 0"),
              std::string::npos)
        << log[0];
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

namespace {

const std::string kDrawingRequest =
    "GET /lotto/uslotto.asp?Programm=RuvuZevodare&Datum=20191022 HTTP/1.1\r\nHost: x\r\n\r\n";

int countOf(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// The bytes of a drawing file, written past the program's writer.
std::string bytesOf(const std::vector<DrawingRecord>& records) {
    std::string bytes(records.size() * DrawingRecord::kSize, '\0');
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].toBytes(reinterpret_cast<std::uint8_t*>(bytes.data()) + i * DrawingRecord::kSize);
    return bytes;
}

std::string randomBytes(std::size_t size) {
    std::mt19937 rng(20191022);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(rng() & 0xff);
    return bytes;
}

std::string withNanDate(std::vector<DrawingRecord> records, std::size_t index) {
    records[index].Date = std::numeric_limits<double>::quiet_NaN();
    return bytesOf(records);
}

} // namespace

// Requests that two readers could take differently (a proxy in front and
// this server) are refused and the connection closed; what follows the
// header, where a second request could hide, is never answered.
TEST(DataServer, AmbiguousRequestsAreRefusedAndNothingOfTheirBodyIsAnswered) {
    test::TempDir dir;
    const std::string db = dir.file("Ruvuzevodare.dat");
    test::writeDatabase(db, history());
    test::RunningDataServer running(db);
    const std::string smuggled = kDrawingRequest; // the "body" of every case
    const std::string get = "GET /lotto/uslotto.asp?Programm=RuvuZevodare&Datum=20191018 HTTP/1.1\r\n";
    const std::string len = std::to_string(smuggled.size());
    struct Case {
        const char* what;
        std::string header;
        int status;
    } cases[] = {
        {"two Content-Length, 0 then the body's", get + "Host: x\r\nContent-Length: 0\r\nContent-Length: " + len + "\r\n\r\n", 400},
        {"two equal Content-Length", get + "Host: x\r\nContent-Length: 0\r\nContent-Length: 0\r\n\r\n", 400},
        {"a list as Content-Length", get + "Host: x\r\nContent-Length: 0, 0\r\n\r\n", 400},
        {"folded Content-Length", get + "Host: x\r\nContent-Length:\r\n " + len + "\r\n\r\n", 400},
        {"folded Transfer-Encoding", get + "Host: x\r\nTransfer-Encoding:\r\n chunked\r\n\r\n", 400},
        {"folded other field", get + "Host: x\r\nX-Note: a\r\n\tb\r\n\r\n", 400},
        {"space before the colon", get + "Host: x\r\nTransfer-Encoding : chunked\r\n\r\n", 400},
        {"tab before the colon", get + "Host\t: x\r\n\r\n", 400},
        {"NUL in a field name", get + "Host: x\r\nX-N" + std::string(1, '\0') + "te: 1\r\n\r\n", 400},
        {"NUL in a field value", get + "Host: x\r\nX-Note: a" + std::string(1, '\0') + "b\r\n\r\n", 400},
        {"a lone CR in a value", get + "Host: x\r\nX-Note: a\rContent-Length: " + len + "\r\n\r\n", 400},
        {"bare LF line ends", "GET /lotto/uslotto.asp?Programm=RuvuZevodare&Datum=20191018 HTTP/1.1\nHost: x\n\n", 400},
        {"no Host in HTTP/1.1", get + "\r\n", 400},
        {"two Host fields", get + "Host: x\r\nHost: y\r\n\r\n", 400},
        {"Content-Length with Transfer-Encoding", get + "Host: x\r\nContent-Length: " + len + "\r\nTransfer-Encoding: chunked\r\n\r\n", 400},
        {"Transfer-Encoding with Content-Length", get + "Host: x\r\nTransfer-Encoding: chunked\r\nContent-Length: " + len + "\r\n\r\n", 400},
        {"a control byte in the target", "GET /a\x1b[2J HTTP/1.1\r\nHost: x\r\n\r\n", 400},
        {"HTTP/2.0", "GET / HTTP/2.0\r\nHost: x\r\n\r\n", 400},
        // Bodies are refused as they were before: the same closing, other statuses.
        {"a body", get + "Host: x\r\nContent-Length: " + len + "\r\n\r\n", 413},
        {"a chunked body", get + "Host: x\r\nTransfer-Encoding: chunked\r\n\r\n", 413},
        {"another method", "POST /lotto/uslotto.asp HTTP/1.1\r\nHost: x\r\nContent-Length: " + len + "\r\n\r\n", 405},
        {"a header beyond 8 KiB", get + "Host: x\r\nX-Pad: " + std::string(9000, 'a') + "\r\n\r\n", 431},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::RawClient client(running.port());
        ASSERT_TRUE(client.connected());
        client.send(c.header + smuggled);
        bool closed = false;
        const std::string answer = client.readToEnd(&closed);
        EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 " + std::to_string(c.status)) << answer;
        EXPECT_EQ(countOf(answer, "HTTP/1.1 "), 1) << answer;
        EXPECT_NE(answer.find("Connection: close\r\n"), std::string::npos) << answer;
        EXPECT_EQ(answer.find("5,12,33,41,70,7,3"), std::string::npos) << answer;
        if (c.status != 431) { // the server may reset a client that keeps sending after it stopped reading
            EXPECT_TRUE(closed);
        }
    }
    // The same bytes without the flaw are served, two requests on one connection.
    test::RawClient client(running.port());
    client.send(get + "Host: x\r\nContent-Length: 0\r\n\r\n" + smuggled);
    const std::string first = client.readAnswer();
    const std::string second = first.find("7,3\r\n") == std::string::npos ? client.readAnswer() : std::string();
    EXPECT_NE((first + second).find("18,58,60,65,67,20,3\r\n"), std::string::npos) << first;
    EXPECT_NE((first + second).find("5,12,33,41,70,7,3\r\n"), std::string::npos) << first << second;
}

// Deadlines come from the setup, so that none of this waits seconds.
TEST(DataServer, ClientsThatTakeTooLongAreEnded) {
    test::TempDir dir;
    const std::string db = dir.file("Ruvuzevodare.dat");
    test::writeDatabase(db, history());
    test::DataServerSetup setup;
    setup.deadlines.header = std::chrono::milliseconds(150);
    setup.deadlines.idle = std::chrono::milliseconds(100);
    test::RunningDataServer running(db, setup);
    {
        SCOPED_TRACE("half a header: 408, then closed");
        test::RawClient client(running.port());
        client.send("GET /lotto/uslotto.asp?Programm=RuvuZevodare&Datum=20191022 HTTP/1.1\r\nHo");
        bool closed = false;
        const std::string answer = client.readToEnd(&closed);
        EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 408") << answer;
        EXPECT_TRUE(closed);
    }
    {
        SCOPED_TRACE("nothing sent: closed without an answer");
        test::RawClient client(running.port());
        bool closed = false;
        EXPECT_EQ(client.readToEnd(&closed), "");
        EXPECT_TRUE(closed);
    }
    {
        SCOPED_TRACE("kept alive, then idle: one answer, then closed");
        test::RawClient client(running.port());
        client.send(kDrawingRequest);
        bool closed = false;
        const std::string answer = client.readToEnd(&closed);
        EXPECT_EQ(countOf(answer, "HTTP/1.1 200"), 1) << answer;
        EXPECT_EQ(answer.find("Connection: close"), std::string::npos) << answer;
        EXPECT_TRUE(closed);
    }
}

// A crowd of connections that send nothing takes every served place; an
// ordinary client still gets its answer (503 when the server is full, 200
// when there is room) while the crowd stays connected. The crowd's header
// time is long, so that only the cap decides.
TEST(DataServer, ACrowdOfSilentConnectionsLeavesOthersAnAnswer) {
    test::TempDir dir;
    const std::string db = dir.file("Ruvuzevodare.dat");
    test::writeDatabase(db, history());
    struct Case {
        std::size_t maxConnections;
        int status;
    } cases[] = {{8, 503}, {400, 200}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.maxConnections);
        test::DataServerSetup setup;
        setup.maxConnections = c.maxConnections;
        setup.deadlines.header = std::chrono::minutes(5);
        test::RunningDataServer running(db, setup);
        std::vector<std::unique_ptr<test::RawClient>> crowd;
        for (int i = 0; i < 300; ++i) {
            crowd.push_back(std::make_unique<test::RawClient>(running.port()));
            ASSERT_TRUE(crowd.back()->connected());
        }
        // The last of the crowd has been taken in (served or refused) once
        // the server answers a request sent after it on that connection.
        test::RawClient probe(running.port());
        probe.send(kDrawingRequest);
        const std::string probed = probe.readAnswer();
        ASSERT_FALSE(probed.empty());
        for (int k = 0; k < 3; ++k) {
            test::RawClient client(running.port());
            client.send(kDrawingRequest);
            const std::string answer = client.readAnswer();
            EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 " + std::to_string(c.status)) << answer;
            if (c.status == 200) {
                EXPECT_NE(answer.find("5,12,33,41,70,7,3\r\n"), std::string::npos) << answer;
            }
        }
    }
}

TEST(DataServer, RefusesAFileThatIsNoDrawingDatabase) {
    test::TempDir dir;
    const std::vector<DrawingRecord> good = history();
    struct Case {
        const char* what;
        std::string bytes;
        std::int64_t record;
    } cases[] = {
        {"a NaN date in the third record", withNanDate(good, 2), 3},
        {"random bytes", randomBytes(4096), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string db = dir.file("bad.dat");
        test::writeFile(db, c.bytes);
        DataServer server(db, {});
        try {
            server.loadDrawings();
            ADD_FAILURE() << "taken";
        } catch (const NotADrawingDatabase& e) {
            if (c.record > 0) {
                EXPECT_EQ(e.record(), c.record);
            }
            EXPECT_EQ(std::string(e.what()), "not a drawing database (record " + std::to_string(e.record()) + ")");
        }
    }
}

// A running server keeps its last good version when the file is replaced by
// one that is no drawing database, says so once in the log, and takes the
// next good version.
TEST(DataServer, KeepsTheLastGoodFileWhenTheFileTurnsBad) {
    test::TempDir dir;
    const std::string db = dir.file("Ruvuzevodare.dat");
    std::vector<DrawingRecord> good = history();
    test::writeDatabase(db, good);
    std::vector<std::string> log;
    DataServerRoutes routes(db);
    routes.setLogger([&log](const std::string& line) { log.push_back(line); });
    routes.load();
    const std::string kept = "5,12,33,41,70,7,3\r\n";
    const std::string replacement = dir.file("next.dat");
    const auto replaceWith = [&](const std::string& bytes) {
        test::writeFile(replacement, bytes);
        std::filesystem::rename(replacement, db);
    };

    replaceWith(withNanDate(good, 1));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(routes.drawingsOf(dayFromYmd(2019, 10, 22)), kept);
        // Not even a date that is in no file answers with every drawing.
        EXPECT_EQ(routes.drawingsOf(dayFromYmd(2019, 10, 23)), "");
    }
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("not a drawing database (record 2)"), std::string::npos) << log[0];
    EXPECT_NE(log[0].find("last good version"), std::string::npos) << log[0];

    replaceWith(randomBytes(4096));
    EXPECT_EQ(routes.drawingsOf(dayFromYmd(2019, 10, 22)), kept);
    EXPECT_EQ(routes.answer("GET", kDrawing + "20191022").status, 200);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[1].find("not a drawing database"), std::string::npos) << log[1];

    good[3] = test::rec(2019, 10, 22, {1, 2, 3, 4, 5}, 6, 7);
    replaceWith(bytesOf(good));
    EXPECT_EQ(routes.drawingsOf(dayFromYmd(2019, 10, 22)), "1,2,3,4,5,6,7\r\n");
    EXPECT_EQ(log.size(), 2u);
}
