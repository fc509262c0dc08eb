// ruvuzevodare-server: answers the drawing request from a drawing file, and
// the cart and click-script requests of the online submission.
#include <chrono>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <string>

#include "common/Text.h"
#include "database/DrawingDatabase.h"
#include "server/DataServer.h"
#include "common/Path.h"
#include "common/ProgramArgs.h"

namespace {

const char* kUsage =
    "usage: ruvuzevodare-server --db FILE [--port N] [--bind ADDRESS]\n"
    "                           [--cart-base TEXT] [--notice FILE] [--scripts DIR]\n"
    "                           [--max-connections N] [--header-time MS] [--idle-time MS]\n"
    "  --db FILE        drawing file to serve (kept in memory, read again when it changes)\n"
    "  --port N         port to listen on (default 8080; 0 takes a free port)\n"
    "  --bind ADDRESS   address to listen on (default 127.0.0.1)\n"
    "  --cart-base TEXT the portal's cart base, answered on /lotto/lotto.asp?Spiel=Zentuva&Wo=Lottoland&Tipps=N\n"
    "                   (without it that request gets 404, and the program takes /lotto/warenkorb2.asp?)\n"
    "  --notice FILE    answer the cart request with this HTML file and status 404 instead\n"
    "  --scripts DIR    serve /scripts/NAME.txt from DIR, with the file's time as Last-Modified\n"
    "  --max-connections N  connections served at once (default 128); further ones are\n"
    "                   refused with 503\n"
    "  --header-time MS time a client has for its request header (default 10000)\n"
    "  --idle-time MS   time a kept-alive connection waits for its next request (default 5000)\n"
    "Requests: GET and HEAD only, no body, a header of at most 8 KiB sent within the header time.\n"
    "A file that is no drawing database is refused at the start (exit code 2); when the file\n"
    "is replaced by such a file, the last good version stays in service.\n"
    "Prints the address it listens on as its first line; one log line per request on stderr.\n";

int usage(const std::string& message) {
    std::cerr << "ruvuzevodare-server: " << message << "\n"
              << "Try 'ruvuzevodare-server --help' for the options.\n";
    return 2;
}

} // namespace

int main(int rawArgc, char** rawArgv) {
    rz::ProgramArgs programArgs(rawArgc, rawArgv);
    rz::useBinaryStandardStreams();
    const int argc = programArgs.argc();
    char** argv = programArgs.argv();
    std::string db, bind = "127.0.0.1";
    int port = 8080;
    int maxConnections = 128;
    rz::ServerDeadlines deadlines;
    rz::PortalOptions portal;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (a != "--db" && a != "--port" && a != "--bind" && a != "--cart-base" && a != "--notice" &&
            a != "--scripts" && a != "--max-connections" && a != "--header-time" && a != "--idle-time")
            return usage("unknown argument \"" + a + "\"");
        if (i + 1 >= argc)
            return usage("option " + a + " needs a value");
        const std::string v = argv[++i];
        if (a == "--db") {
            db = v;
        } else if (a == "--bind") {
            bind = v;
        } else if (a == "--cart-base") {
            portal.cartBase = v;
        } else if (a == "--notice") {
            portal.noticeFile = v;
        } else if (a == "--scripts") {
            portal.scriptsFolder = v;
        } else if (a == "--max-connections") {
            std::int32_t n = 0;
            if (!rz::tryParseInt(v, n) || n < 1 || n > 4096)
                return usage("--max-connections needs a number 1..4096: " + v);
            maxConnections = n;
        } else if (a == "--header-time" || a == "--idle-time") {
            std::int32_t n = 0;
            if (!rz::tryParseInt(v, n) || n < 10 || n > 600000)
                return usage(a + " needs a number of milliseconds 10..600000: " + v);
            (a == "--header-time" ? deadlines.header : deadlines.idle) = std::chrono::milliseconds(n);
        } else {
            std::int32_t n = 0;
            if (!rz::tryParseInt(v, n) || n < 0 || n > 65535)
                return usage("--port needs a number 0..65535: " + v);
            port = n;
        }
    }
    if (db.empty())
        return usage("--db FILE is required");
    if (!rz::DrawingDatabase(db).exists())
        return usage("database not found: " + db);
    std::error_code ec;
    if (!portal.noticeFile.empty() && !std::filesystem::is_regular_file(rz::toPath(portal.noticeFile), ec))
        return usage("notice file not found: " + portal.noticeFile);
    if (!portal.scriptsFolder.empty() && !std::filesystem::is_directory(rz::toPath(portal.scriptsFolder), ec))
        return usage("scripts folder not found: " + portal.scriptsFolder);

    // Requests are answered on several threads; one log line at a time.
    std::mutex logMutex;
    rz::DataServer server(db, [&logMutex](const std::string& line) {
        const std::lock_guard<std::mutex> lock(logMutex);
        std::cerr << line << std::endl;
    });
    try {
        server.loadDrawings();
    } catch (const std::exception& e) {
        std::cerr << "ruvuzevodare-server: " << db << ": " << e.what() << "\n";
        return 2;
    }
    server.setPortal(portal);
    server.setMaxConnections(static_cast<std::size_t>(maxConnections));
    server.setDeadlines(deadlines);
    if (!server.start(bind, port)) {
        std::cerr << "ruvuzevodare-server: cannot listen on " << bind << ":" << port << "\n";
        return 1;
    }
    std::cout << server.address() << std::endl;
    // Runs until the process is ended (Ctrl+C, SIGTERM): it keeps no state that
    // is not in its files.
    server.serve();
    return 0;
}
