// download, add and delete: the drawing file kept current without a window.
#include <iostream>
#include <sstream>

#include "CliCommon.h"
#include "CliLanguage.h"
#include "common/Text.h"
#include "database/Maintenance.h"
#include "net/BlockingHttp.h"

namespace rz::cli {
namespace {

// Messages go to stderr; the entry dialog answers with the values given on
// the command line; every written drawing is reported as a progress line.
class CliPlatform : public NullPlatform {
public:
    explicit CliPlatform(const MainModel& model) : model_(model) {}

    Services services() {
        Services s;
        s.dialogs = this;
        s.events = this;
        return s;
    }

    void message(const std::string& text) override {
        NullPlatform::message(text);
        std::cerr << messagePrefix << text << "\n";
    }
    std::optional<DrawingEntry> enterDrawing(const DrawingEntry& initial) override {
        if (!answer)
            return std::nullopt;
        DrawingEntry e = *answer;
        // Without --megaplier a stored drawing keeps its Megaplier, a new one has none.
        if (keepStoredMegaplier && initial.date == e.date)
            e.numbers[8] = initial.numbers[8];
        return e;
    }
    void processPendingEvents() override {
        if (progress && model_.Label29 != shownProgress_) {
            shownProgress_ = model_.Label29;
            std::cerr << shownProgress_ << "\n";
        }
    }

    std::optional<DrawingEntry> answer;
    bool keepStoredMegaplier = false;
    bool progress = false;
    std::string messagePrefix; // "ruvuzevodare-cli: " where a message is the command's error

private:
    const MainModel& model_;
    std::string shownProgress_;
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

std::string lastDrawingText(const MainModel& model) {
    const auto last = model.database().readLast();
    return last ? formatIsoDate(last->Date) : std::string("-");
}

int countOfDate(const MainModel& model, DayNumber day) {
    int n = 0;
    for (const DrawingRecord& r : model.database().readAll())
        n += r.Date == day ? 1 : 0;
    return n;
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

    MainModel model;
    if (int rc = 0; !applyLanguageOption(model, args, argv[0], rc))
        return rc;
    useDatabase(model, databasePath(args, argv[0]));
    warnPartialRecord(model.DatabasePath());
    CliPlatform platform(model);
    platform.progress = true;
    BlockingHttp http;
    FixedClock clock(day);
    Services services;
    services.dialogs = &platform;
    services.events = &platform;
    services.http = &http;
    if (args.has("today"))
        services.clock = &clock;
    model.setServices(services);
    model.ServerAddress = server;
    model.sortieren = true;

    model.KalventoClick();

    const DownloadResult& r = model.lastDownload;
    if (r.end == DownloadEnd::TransportFailed || r.end == DownloadEnd::BadAddress ||
        r.end == DownloadEnd::FutureLastDrawing || r.end == DownloadEnd::NoDrawingDatabase)
        std::cerr << "ruvuzevodare-cli: " << r.message << "\n";
    std::cout << "drawings added: " << r.added << "\n"
              << "last drawing: " << lastDrawingText(model) << "\n"
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
    // The field check speaks the chosen language too (the model below
    // applies it again for the entry itself).
    if (int rc = 0; !applyLanguageOnly(args, argv[0], rc))
        return rc;
    std::int32_t language = 0;
    tryParseInt(args.get("lang", "0"), language); // checked above
    if (const auto bad = entryError(entry, language))
        return usageError(*bad);

    MainModel model;
    if (int rc = 0; !applyLanguageOption(model, args, argv[0], rc))
        return rc;
    useDatabase(model, databasePath(args, argv[0]));
    if (!model.database().exists())
        return usageError("database not found: " + model.DatabasePath());
    if (refuseNoDrawingDatabase(model.DatabasePath()))
        return 1;
    warnPartialRecord(model.DatabasePath());
    CliPlatform platform(model);
    model.setServices(platform.services());
    model.sortieren = true;
    // The dialog opens on the drawing of this date when it is stored.
    if (!model.DateTimePicker1.setDate(day))
        model.DateTimePicker1.date = model.DateTimePicker1.minDate;
    const bool stored = countOfDate(model, day) > 0;
    const auto last = model.database().readLast();
    platform.answer = entry;
    platform.keepStoredMegaplier = !megaplierGiven;
    platform.messagePrefix = "ruvuzevodare-cli: ";
    model.BitBtn8Click();
    if (!platform.lastMessage.empty())
        return 2; // the entry was refused; the reason is on stderr

    const char* what = stored ? "replaced" : (!last || day > last->Date) ? "appended" : "inserted";
    std::cout << what << ": " << formatIsoDate(day) << "\n";
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

    MainModel model;
    if (int rc = 0; !applyLanguageOption(model, args, argv[0], rc))
        return rc;
    useDatabase(model, databasePath(args, argv[0]));
    if (!model.database().exists())
        return usageError("database not found: " + model.DatabasePath());
    if (refuseNoDrawingDatabase(model.DatabasePath()))
        return 1;
    warnPartialRecord(model.DatabasePath());
    CliPlatform platform(model);
    model.setServices(platform.services());
    model.sortieren = true;
    const int before = countOfDate(model, day);
    model.cur.Datum1 = day; // the drawing on display
    model.BitBtn4Click();
    std::cout << "deleted: " << before << "\n";
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
