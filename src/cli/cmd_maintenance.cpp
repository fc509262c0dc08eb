// download, add and delete: the drawing file kept current without a window.
#include <iostream>
#include <sstream>

#include "CliCommon.h"
#include "CliLanguage.h"
#include "common/Text.h"
#include "app/DrawingDownload.h"
#include "app/DrawingMaintenance.h"
#include "database/Maintenance.h"
#include "net/BlockingHttp.h"

namespace rz::cli {
namespace {

// The download's messages go to stderr; the drawing it is writing is shown
// there as a progress line whenever it lets events through.
class DownloadConsole : public NullPlatform {
public:
    void message(const std::string& text) override {
        NullPlatform::message(text);
        std::cerr << text << "\n";
    }
    void processPendingEvents() override {
        if (caption != shownCaption_) {
            shownCaption_ = caption;
            std::cerr << shownCaption_ << "\n";
        }
    }
    std::string caption; // the drawing being written

private:
    std::string shownCaption_;
};

bool parseDate(const Args& args, const char* name, DayNumber& out, std::string& error) {
    if (!parseIsoDate(args.get(name), out)) {
        error = std::string("invalid --") + name + " (expected YYYY-MM-DD): " + args.get(name);
        return false;
    }
    return true;
}

bool parseInt(const Args& args, const char* name, int& out, std::string& error) {
    std::int32_t v = 0;
    if (!tryParseInt(args.get(name), v)) {
        error = std::string("--") + name + " needs a whole number: " + args.get(name);
        return false;
    }
    out = v;
    return true;
}

std::string lastDrawingText(const std::string& databasePath) {
    const auto last = DrawingDatabase(databasePath).readLast();
    return last ? formatIsoDate(last->Date) : std::string("-");
}

} // namespace

int cmdDownload(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kDownloadCommand, argc, argv, args); rc >= 0)
        return rc;
    std::string error;
    if (!args.positional.empty() || !args.has("server"))
        return usageError("download needs [--db DB] --server ADDRESS [--today YYYY-MM-DD]");
    DayNumber day = 0;
    if (args.has("today") && !parseDate(args, "today", day, error))
        return usageError(error);
    const std::string server = args.get("server");
    if (!isCsvSource(server) && drawingRequestUrl(server, kEarliestPickerDate).empty())
        return usageError("--server needs an http:// or https:// address: " + server);

    LanguageTexts language;
    if (int rc = 0; !applyLanguageOption(language, args, argv[0], rc))
        return rc;
    const std::string dbPath = databasePath(args, argv[0]);
    warnPartialRecord(dbPath);
    DownloadConsole console;
    BlockingHttp http;
    DrawingDownload download(dbPath, language, &http, console, console, args.has("today") ? day : rz::today());
    DownloadProgress progress;
    progress.drawing = [&console](const std::string& caption, DayNumber) { console.caption = caption; };
    DownloadSource source;
    source.serverAddress = server;
    const DownloadResult r = download.run(source, progress, {}).result;

    if (r.end == DownloadEnd::TransportFailed || r.end == DownloadEnd::BadAddress ||
        r.end == DownloadEnd::FutureLastDrawing || r.end == DownloadEnd::NoDrawingDatabase)
        std::cerr << "ruvuzevodare-cli: " << r.message << "\n";
    std::cout << "drawings added: " << r.added << "\n"
              << "last drawing: " << lastDrawingText(dbPath) << "\n"
              << "status: " << (r.statusLine.empty() ? std::string("-") : r.statusLine) << "\n";
    return 0;
}

int cmdAdd(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kAddCommand, argc, argv, args); rc >= 0)
        return rc;
    std::string error;
    if (!args.positional.empty() || !args.has("date") || !args.has("numbers") ||
        !args.has("megaball"))
        return usageError("add needs [--db DB] --date YYYY-MM-DD --numbers N1,N2,N3,N4,N5 --megaball M [--megaplier P]");
    DayNumber day = 0;
    if (!parseDate(args, "date", day, error))
        return usageError(error);
    DrawingEntry entry;
    entry.date = day;
    {
        std::istringstream in(args.get("numbers"));
        std::string item;
        int i = 0;
        while (std::getline(in, item, ',')) {
            std::int32_t v = 0;
            if (++i > 5 || !tryParseInt(item, v))
                return usageError("--numbers needs five whole numbers separated by commas: " + args.get("numbers"));
            entry.numbers[static_cast<std::size_t>(i)] = v;
        }
        if (i != 5)
            return usageError("--numbers needs five whole numbers separated by commas: " + args.get("numbers"));
    }
    if (!parseInt(args, "megaball", entry.numbers[7], error))
        return usageError(error);
    const bool megaplierGiven = args.has("megaplier");
    if (megaplierGiven && !parseInt(args, "megaplier", entry.numbers[8], error))
        return usageError(error);
    LanguageTexts language;
    if (int rc = 0; !applyLanguageOption(language, args, argv[0], rc))
        return rc;
    if (const auto bad = entryError(entry, language.language))
        return usageError(*bad);

    const std::string dbPath = databasePath(args, argv[0]);
    if (!DrawingDatabase(dbPath).exists())
        return usageError("database not found: " + dbPath);
    if (refuseNoDrawingDatabase(dbPath))
        return 1;
    warnPartialRecord(dbPath);
    try {
        const DrawingMaintenance maintenance(dbPath, rz::today(), language.language);
        // The entry opens on the drawing of this date when it is stored;
        // without --megaplier a stored drawing keeps its Megaplier.
        const EntryStart start = maintenance.entryStart(day);
        if (!megaplierGiven && start.buffer.Date == day)
            entry.numbers[8] = start.buffer.Numbers[8];
        const DrawingMaintenance::Entered stored = maintenance.enter(start.buffer, entry);
        const char* what = stored.how == DrawingDatabase::Added::Replaced   ? "replaced"
                           : stored.how == DrawingDatabase::Added::Appended ? "appended"
                                                                            : "inserted";
        std::cout << what << ": " << formatIsoDate(day) << "\n";
    } catch (const Failure& f) {
        // An entry refused as the window refuses it is a usage error.
        const int rc = reportFailure(f);
        return f.kind() == FailureKind::Refused ? 2 : rc;
    }
    return 0;
}

int cmdDelete(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kDeleteCommand, argc, argv, args); rc >= 0)
        return rc;
    std::string error;
    if (!args.positional.empty() || !args.has("date"))
        return usageError("delete needs [--db DB] --date YYYY-MM-DD");
    DayNumber day = 0;
    if (!parseDate(args, "date", day, error))
        return usageError(error);

    LanguageTexts language;
    if (int rc = 0; !applyLanguageOption(language, args, argv[0], rc))
        return rc;
    const std::string dbPath = databasePath(args, argv[0]);
    if (!DrawingDatabase(dbPath).exists())
        return usageError("database not found: " + dbPath);
    if (refuseNoDrawingDatabase(dbPath))
        return 1;
    warnPartialRecord(dbPath);
    const DateChange removed = DrawingMaintenance(dbPath, rz::today(), language.language).remove(day);
    std::cout << "deleted: " << removed.before.size() << "\n";
    return 0;
}

const CommandSpec kDownloadCommand{"download", cmdDownload,
    "  download [--db DB] --server ADDRESS [--today YYYY-MM-DD] [--lang L]\n",
    {"db", "server", "today", "lang"}, 0};

const CommandSpec kAddCommand{"add", cmdAdd,
    "  add [--db DB] --date YYYY-MM-DD --numbers N1,N2,N3,N4,N5 --megaball M [--megaplier P] [--lang L]\n",
    {"db", "date", "numbers", "megaball", "megaplier", "lang"}, 0};

const CommandSpec kDeleteCommand{"delete", cmdDelete,
    "  delete [--db DB] --date YYYY-MM-DD [--lang L]\n",
    {"db", "date", "lang"}, 0};

} // namespace rz::cli
