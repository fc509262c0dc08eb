// The cart against the data server on the loopback, and the server's answers
// for the online submission (cart base, notice, fallback cart, scripts).
#include <gtest/gtest.h>

#include <regex>

#include <filesystem>
#include <thread>

#include "ScriptedServer.h"
#include "TestSupport.h"
#include "net/BlockingHttp.h"
#include "online/Cart.h"
#include "online/OnlineFiles.h"
#include "settings/AppPaths.h"
#include "common/FileIo.h"
#include "RunningDataServer.h"
#include "server/DataServer.h"

using namespace rz;

namespace {

namespace fs = std::filesystem;

const char* kNotice = "<html><body><h1>Mitteilung</h1>\n<p>Der Warenkorb ist heute geschlossen.</p></body></html>";


// Records what the shell is asked to open and when, and counts the events
// the window gets to handle.
struct Recorder : NullPlatform {
    std::vector<std::string> opened;
    std::vector<std::int64_t> openedAt; // on `clock`, when one is given
    ITicks* clock = nullptr;
    int events = 0;
    std::function<void()> onEvents;
    bool openable = true;
    bool open(const std::string& what) override {
        if (!openable)
            return false;
        opened.push_back(what);
        openedAt.push_back(clock ? clock->nowMs() : 0);
        return true;
    }
    void processPendingEvents() override {
        ++events;
        if (onEvents)
            onEvents();
    }
};

std::array<std::string, 12> rowsWithFilled(std::initializer_list<int> filled) {
    std::array<std::string, 12> rows;
    rows.fill(kEmptyCartRow);
    for (int r : filled)
        rows[static_cast<std::size_t>(r - 1)] = std::to_string(r) + ",20,30,40,50,10,";
    return rows;
}

} // namespace

TEST(PortalServer, Answers) {
    test::TempDir dir;
    const std::string db = dir.file("Ruvuzevodare.dat");
    test::writeDatabase(db, {test::rec(2019, 10, 22, {5, 12, 33, 41, 70}, 7, 3)});
    fs::create_directory(dir.file("scripts"));
    test::writeFile(dir.file("scripts/Lottoland.qcs.txt"), "CLICK [Z1_1]\r\n");
    test::writeFile(dir.file("scripts/plain.qcs"), "not a .txt");
    test::writeFile(dir.file("secret.txt"), "secret");
    test::writeFile(dir.file("notice.htm"), kNotice);
    const std::string cart = "/lotto/lotto.asp?Spiel=Zentuva&Wo=Lottoland&Tipps=";

    PortalOptions withBase;
    withBase.cartBase = "https://portal.example/cart?";
    withBase.scriptsFolder = dir.file("scripts");
    PortalOptions withNotice = withBase;
    withNotice.noticeFile = dir.file("notice.htm");
    const PortalOptions bare;

    struct Case {
        const char* what;
        const PortalOptions* portal;
        std::string target;
        int status;
        std::string body; // "*" any
    } cases[] = {
        {"cart base", &withBase, cart + "5", 200, "https://portal.example/cart?"},
        {"cart base, twelve rows", &withBase, cart + "12", 200, "https://portal.example/cart?"},
        {"no cart base: refused, so the fallback is taken", &bare, cart + "5", 404, "Not Found\r\n"},
        {"notice instead of the cart", &withNotice, cart + "5", 404, kNotice},
        {"row count out of range", &withBase, cart + "13", 404, "Not Found\r\n"},
        {"row count missing", &withBase, cart, 404, "Not Found\r\n"},
        {"another game", &withBase, "/lotto/lotto.asp?Spiel=Other&Wo=Lottoland&Tipps=5", 404, "Not Found\r\n"},
        {"script with its time", &withBase, "/scripts/Lottoland.qcs.txt", 200, "CLICK [Z1_1]\r\n"},
        {"script, name percent-encoded", &withBase, "/scripts/Lottoland%2Eqcs.txt", 200, "CLICK [Z1_1]\r\n"},
        {"only .txt files", &withBase, "/scripts/plain.qcs", 404, "Not Found\r\n"},
        {"no way out of the folder", &withBase, "/scripts/..%2Fsecret.txt", 404, "Not Found\r\n"},
        {"no way out of the folder (dots)", &withBase, "/scripts/%2E%2E/secret.txt", 404, "Not Found\r\n"},
        {"missing script", &withBase, "/scripts/Other.qcs.txt", 404, "Not Found\r\n"},
        {"no scripts folder", &bare, "/scripts/Lottoland.qcs.txt", 404, "Not Found\r\n"},
        {"the drawing request still works", &withNotice, "/lotto/uslotto.asp?Programm=RuvuZevodare&Datum=20191022",
         200, "5,12,33,41,70,7,3\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DataServerRoutes routes(db);
        routes.setPortal(*c.portal);
        const ServerAnswer a = routes.answer("GET", c.target);
        EXPECT_EQ(a.status, c.status);
        EXPECT_EQ(a.body, c.body);
    }

    DataServerRoutes routes(db);
    routes.setPortal(withBase);
    const ServerAnswer script = routes.answer("GET", "/scripts/Lottoland.qcs.txt");
    ASSERT_EQ(script.headers.size(), 1u);
    EXPECT_EQ(script.headers[0].first, "Last-Modified");
    EXPECT_EQ(parseHttpDate(script.headers[0].second), fileModifiedSeconds(dir.file("scripts/Lottoland.qcs.txt")));

    // The fallback cart shows what it got, escaped.
    const ServerAnswer page =
        routes.answer("GET", "/lotto/warenkorb2.asp?kasten1=5,17,33,41,62,9,&kasten2=<script>&Tipps=2");
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("5,17,33,41,62,9,"), std::string::npos);
    EXPECT_NE(page.body.find("&lt;script&gt;"), std::string::npos);
    EXPECT_EQ(page.body.find("<script>"), std::string::npos);
}

TEST(PortalServer, HttpDates) {
    EXPECT_EQ(formatHttpDate(784111777), "Sun, 06 Nov 1994 08:49:37 GMT");
    EXPECT_EQ(formatHttpDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
    // Times some systems cannot convert (Windows: anything before 1970) are
    // no crash and no garbage.
    const std::regex httpDate(R"((Mon|Tue|Wed|Thu|Fri|Sat|Sun), \d\d (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) )"
                              R"((1[0-9]{3}|19[0-6][0-9]|1970) \d\d:\d\d:\d\d GMT)");
    for (std::int64_t t : {-1LL, -6437664000LL})
        EXPECT_TRUE(std::regex_match(formatHttpDate(t), httpDate)) << formatHttpDate(t);
    for (std::int64_t t : {951782400LL, 1709164800LL, 4102444799LL})
        EXPECT_EQ(parseHttpDate(formatHttpDate(t)), t);
}

TEST(PortalCart, AgainstTheDataServer) {
    test::TempDir dir;
    const std::string db = dir.file("Ruvuzevodare.dat");
    test::writeDatabase(db, {});
    test::writeFile(dir.file("notice.htm"), kNotice);
    // A base with which the first of two carts is exactly as long as allowed
    // and the second (rows 10 to 12 have two-digit numbers) is longer.
    const auto twelve = rowsWithFilled({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    const std::size_t firstQuery = cartUrls("", twelve)[0].size();
    const std::string longBase =
        "https://portal.example/" + std::string(kMaxCartUrlLength - firstQuery - 24, 'x') + "?";
    ASSERT_EQ(cartUrls(longBase, twelve)[0].size(), kMaxCartUrlLength);
    ASSERT_GT(cartUrls(longBase, twelve)[1].size(), kMaxCartUrlLength);

    struct Case {
        const char* what;
        std::optional<std::string> cartBase;
        bool notice;
        std::array<std::string, 12> rows;
        CartEnd end;
        std::vector<int> counts; // of the carts handed to the shell
        std::string firstUrlStart;
    } cases[] = {
        {"two rows: one cart", std::string("https://portal.example/cart?"), false, rowsWithFilled({1, 2}),
         CartEnd::Opened, {2}, "https://portal.example/cart?kasten1=1,20,30,40,50,10,&kasten2=2,"},
        {"twelve rows: two carts", std::string("http://portal.example/c?"), false,
         rowsWithFilled({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), CartEnd::Opened, {6, 6},
         "http://portal.example/c?kasten1="},
        {"no cart base: the fallback cart of the data server", std::nullopt, false, rowsWithFilled({1}),
         CartEnd::Opened, {1}, "<server>/lotto/warenkorb2.asp?kasten1=1,20,30,40,50,10,&"},
        {"a notice: saved and opened, no cart", std::string("https://portal.example/cart?"), true,
         rowsWithFilled({1}), CartEnd::Notice, {}, ""},
        {"a file address is never opened", std::string("file:///etc/passwd?"), false, rowsWithFilled({1}),
         CartEnd::Refused, {}, ""},
        {"a script address is never opened", std::string("javascript:alert(document.cookie)//?"), false,
         rowsWithFilled({1}), CartEnd::Refused, {}, ""},
        {"a program is never started", std::string("/usr/bin/xterm?"), false, rowsWithFilled({1}), CartEnd::Refused,
         {}, ""},
        {"the second cart too long for the browser: not even the first is opened", longBase, false, twelve,
         CartEnd::Refused, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PortalOptions portal;
        portal.cartBase = c.cartBase;
        if (c.notice)
            portal.noticeFile = dir.file("notice.htm");
        test::RunningDataServer running(db, {.portal = portal});
        test::TempDir home;
        BlockingHttp http;
        Recorder shell;
        int afterOpen = 0;
        CartInput in;
        in.serverAddress = running.address();
        in.rows = c.rows;
        in.noticePath = home.file(kNoticeFileName);
        in.pauseMs = 50;
        const CartResult r = runCart(in, CartServices{&http, &shell, &shell, {}, [&afterOpen] { ++afterOpen; }});
        EXPECT_EQ(r.end, c.end) << r.message;
        if (c.notice) {
            ASSERT_EQ(shell.opened.size(), 1u);
            EXPECT_EQ(shell.opened[0], in.noticePath);
            EXPECT_EQ(test::readFile(in.noticePath),
                      "<html><body><h1>Mitteilung</h1>\r\n<p>Der Warenkorb ist heute geschlossen.</p></body></html>\r\n");
            EXPECT_EQ(r.status, 404);
            continue;
        }
        EXPECT_FALSE(fs::exists(in.noticePath));
        ASSERT_EQ(shell.opened.size(), c.counts.size());
        EXPECT_EQ(afterOpen, static_cast<int>(c.counts.size()));
        EXPECT_EQ(r.opened, shell.opened);
        if (c.end == CartEnd::Refused) {
            EXPECT_NE(r.message.find("es wird nichts geöffnet"), std::string::npos) << r.message;
            continue;
        }
        std::string start = c.firstUrlStart;
        if (start.rfind("<server>", 0) == 0)
            start = running.address() + start.substr(8);
        EXPECT_EQ(shell.opened[0].substr(0, start.size()), start);
        for (std::size_t i = 0; i < shell.opened.size(); ++i) {
            const std::string tail = "&Tipps=" + std::to_string(c.counts[i]);
            EXPECT_EQ(shell.opened[i].substr(shell.opened[i].size() - tail.size()), tail);
        }
    }
}

TEST(PortalCart, MisbehavingServers) {
    struct Case {
        const char* what;
        test::ScriptedAnswer answer;
        CartEnd end;
        bool fallback;
    } cases[] = {
        {"an error without a notice takes the fallback", {500, "Internal error", {}, 0}, CartEnd::Opened, true},
        {"the notice word is case-sensitive", {404, "<p>mitteilung</p>", {}, 0}, CartEnd::Opened, true},
        {"a notice with any error status", {503, "<p>Mitteilung: Wartung</p>", {}, 0}, CartEnd::Notice, false},
        {"a notice word in a success answer is a cart base like any other",
         {200, "http://portal.example/Mitteilung?", {}, 0}, CartEnd::Opened, false},
        {"an empty cart base is no web address", {200, "", {}, 0}, CartEnd::Refused, false},
        {"a cart base with a line end is refused", {200, "https://portal.example/c?\r\n", {}, 0}, CartEnd::Refused,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::ScriptedServer server([&c](const httplib::Request&) { return c.answer; });
        test::TempDir home;
        BlockingHttp http;
        Recorder shell;
        CartInput in;
        in.serverAddress = server.url();
        in.tipCount = 9;
        in.rows = rowsWithFilled({1});
        in.noticePath = home.file(kNoticeFileName);
        const CartResult r = runCart(in, CartServices{&http, &shell, &shell, {}, {}});
        EXPECT_EQ(r.end, c.end) << r.message;
        ASSERT_EQ(server.targets().size(), 1u);
        EXPECT_EQ(server.targets()[0], "/lotto/lotto.asp?Spiel=Zentuva&Wo=Lottoland&Tipps=9");
        if (c.fallback) {
            ASSERT_EQ(shell.opened.size(), 1u);
            EXPECT_EQ(shell.opened[0].rfind(server.url() + "/lotto/warenkorb2.asp?kasten1=", 0), 0u);
        }
        EXPECT_EQ(fs::exists(in.noticePath), c.end == CartEnd::Notice);
    }
}

TEST(PortalCart, FailuresBeforeAnyCart) {
    test::ScriptedServer server([](const httplib::Request&) { return test::ScriptedAnswer{200, "http://p/c?", {}, 0}; });
    struct Case {
        const char* what;
        std::string address;
        std::string proxyHost, proxyPort;
        CartEnd end;
        const char* message;
    } cases[] = {
        {"nothing listens", "http://127.0.0.1:" + std::to_string(test::closedPort()), "", "80",
         CartEnd::TransportFailed, "Keine Verbindung zum Datenserver"},
        {"a proxy port that is no number", server.url(), "", "8o", CartEnd::BadProxyPort, "Proxy-Port"},
        {"a proxy port out of range", server.url(), "proxy.example", "70000", CartEnd::BadProxyPort, "Proxy-Port"},
        {"the CSV export has no cart", kDefaultServerAddress, "", "80", CartEnd::BadAddress, "CSV"},
        {"not a web address", "file:///srv/lotto", "", "80", CartEnd::BadAddress, "keine http"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BlockingHttp http;
        Recorder shell;
        CartInput in;
        in.serverAddress = c.address;
        in.proxyHost = c.proxyHost;
        in.proxyPort = c.proxyPort;
        in.rows = rowsWithFilled({1});
        const CartResult r = runCart(in, CartServices{&http, &shell, &shell, {}, {}});
        EXPECT_EQ(r.end, c.end);
        EXPECT_NE(r.message.find(c.message), std::string::npos) << r.message;
        EXPECT_TRUE(shell.opened.empty());
    }
    EXPECT_TRUE(server.targets().empty()); // no request went out for the refused settings
}

TEST(PortalCart, SecondCartTwoSecondsLaterWhileTheWindowWorks) {
    test::TempDir dir;
    test::writeDatabase(dir.file("Ruvuzevodare.dat"), {});
    PortalOptions portal;
    portal.cartBase = "https://portal.example/cart?";
    test::RunningDataServer running(dir.file("Ruvuzevodare.dat"), {.portal = portal});
    BlockingHttp http;
    Recorder shell;
    CartInput in;
    in.serverAddress = running.address();
    in.rows = rowsWithFilled({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    ASSERT_EQ(in.pauseMs, 2000);
    int eventsBetween = -1;
    shell.onEvents = [&] {
        if (shell.opened.size() == 1)
            ++eventsBetween;
    };
    // A clock that moves only while the pause waits: the pause is measured
    // on it, not on the machine's time.
    struct Ticks : ITicks {
        std::int64_t now = 0;
        std::int64_t nowMs() override { return now; }
        void sleepMs(int ms) override { now += ms; }
    } ticks;
    shell.clock = &ticks;
    CartServices services{&http, &shell, &shell, {}, {}};
    services.ticks = &ticks;
    const CartResult r = runCart(in, services);
    ASSERT_EQ(r.end, CartEnd::Opened);
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.openedAt[1] - shell.openedAt[0], 2000);
    // The window handled its events about every 10 ms of the wait.
    EXPECT_GE(eventsBetween, 200);
    EXPECT_NE(shell.opened[1].find("kasten1=7,20,30,40,50,10,&"), std::string::npos);
    EXPECT_NE(shell.opened[1].find("kasten6=12,20,30,40,50,10,&Tipps=6"), std::string::npos);
}

TEST(PortalCart, StoppedDuringThePauseOpensNoSecondCart) {
    test::ScriptedServer server([](const httplib::Request&) { return test::ScriptedAnswer{200, "http://p/c?", {}, 0}; });
    BlockingHttp http;
    Recorder shell;
    bool closing = false;
    shell.onEvents = [&] {
        if (!shell.opened.empty())
            closing = true; // the window closes during the pause
    };
    CartInput in;
    in.serverAddress = server.url();
    in.rows = rowsWithFilled({1, 7});
    // The pause's own clock: it moves only while the pause waits.
    struct Ticks : ITicks {
        std::int64_t now = 0;
        std::int64_t nowMs() override { return now; }
        void sleepMs(int ms) override { now += ms; }
    } ticks;
    CartServices services{&http, &shell, &shell, [&closing] { return closing; }, {}};
    services.ticks = &ticks;
    const CartResult r = runCart(in, services);
    EXPECT_EQ(r.end, CartEnd::Stopped);
    EXPECT_EQ(shell.opened.size(), 1u);
    EXPECT_LT(ticks.now, in.pauseMs); // the stop cut the pause short
}

TEST(PortalCart, NothingOnTheSystemOpensTheCart) {
    test::ScriptedServer server([](const httplib::Request&) { return test::ScriptedAnswer{200, "http://p/c?", {}, 0}; });
    BlockingHttp http;
    Recorder shell;
    shell.openable = false;
    CartInput in;
    in.serverAddress = server.url();
    in.rows = rowsWithFilled({1, 7});
    int afterOpen = 0;
    const CartResult r = runCart(in, CartServices{&http, &shell, &shell, {}, [&afterOpen] { ++afterOpen; }});
    EXPECT_EQ(r.end, CartEnd::NotOpened);
    EXPECT_NE(r.message.find("kann nicht geöffnet werden"), std::string::npos) << r.message;
    EXPECT_TRUE(r.opened.empty());
    EXPECT_EQ(afterOpen, 0); // no "check the cart" status, no second cart
}
