// ruvuzevodare-server: answers the drawing request from a drawing file.
#include <iostream>
#include <mutex>
#include <string>

#include "common/Text.h"
#include "database/DrawingDatabase.h"
#include "server/DataServer.h"

namespace {

const char* kUsage =
    "usage: ruvuzevodare-server --db FILE [--port N] [--bind ADDRESS]\n"
    "  --db FILE        drawing file to serve (read anew for every request)\n"
    "  --port N         port to listen on (default 8080; 0 takes a free port)\n"
    "  --bind ADDRESS   address to listen on (default 127.0.0.1)\n"
    "Prints the address it listens on as its first line; one log line per request on stderr.\n";

int usage(const std::string& message) {
    std::cerr << "ruvuzevodare-server: " << message << "\n" << kUsage;
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string db, bind = "127.0.0.1";
    int port = 8080;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (a != "--db" && a != "--port" && a != "--bind")
            return usage("unknown argument \"" + a + "\"");
        if (i + 1 >= argc)
            return usage("option " + a + " needs a value");
        const std::string v = argv[++i];
        if (a == "--db") {
            db = v;
        } else if (a == "--bind") {
            bind = v;
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

    // Requests are answered on several threads; one log line at a time.
    std::mutex logMutex;
    rz::DataServer server(db, [&logMutex](const std::string& line) {
        const std::lock_guard<std::mutex> lock(logMutex);
        std::cerr << line << std::endl;
    });
    if (!server.start(bind, port)) {
        std::cerr << "ruvuzevodare-server: cannot listen on " << bind << ":" << port << "\n";
        return 1;
    }
    std::cout << server.address() << std::endl;
    // Runs until the process is ended (Ctrl+C, SIGTERM): it keeps no state.
    server.serve();
    return 0;
}
