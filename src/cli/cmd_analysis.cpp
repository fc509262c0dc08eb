// search, analyse-settings, analyse-drawings: the tip search in the history
// and the two historic analyses, with every question answered "yes" (and the
// analyses' input dialogs answered with the value given on the command line).
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <limits>

#include "CliCommon.h"
#include "CliLanguage.h"
#include "app/Generation.h"
#include "app/TipSearch.h"
#include "common/Text.h"
#include "database/DrawingDatabase.h"

namespace rz::cli {
namespace {

// Answers for the model's dialogs; messages go to stderr.
class Answers : public IDialogs, public IShell, public ISound, public IEvents {
public:
    std::string input;                          // the text every input dialog gets
    std::function<void()> onQuestion;           // called before each question is answered

    void message(const std::string& text) override { std::cerr << text << "\n"; }
    bool question(const std::string&) override {
        if (onQuestion)
            onQuestion();
        return true;
    }
    std::optional<std::string> inputText(const std::string&, const std::string&, const std::string&) override {
        return input;
    }
    std::optional<std::string> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    ModalResult showNumberList() override { return ModalResult::Ok; }
    bool open(const std::string&) override { return true; }
    void play(const std::string&) override {}
    void processPendingEvents() override {}
    void setBusyCursor(bool) override {}

    void attachTo(MainModel& m, IClock* clock = nullptr) {
        m.setServices({.dialogs = this, .shell = this, .sound = this, .events = this, .clock = clock});
    }
};

// An integer as `generate --seed` reads it: leading blanks, an optional sign,
// digits to the end. Out of the 64-bit range it fails, or with `clamp` it is
// taken as the nearest 64-bit value.
bool parseInteger(const std::string& text, long long& out, bool clamp) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i >= text.size())
        return false;
    unsigned long long magnitude = 0;
    bool overflow = false;
    const unsigned long long limit = negative ? 9223372036854775808ULL : 9223372036854775807ULL;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        const unsigned digit = static_cast<unsigned>(c - '0');
        if (overflow || magnitude > (limit - digit) / 10)
            overflow = true;
        else
            magnitude = magnitude * 10 + digit;
    }
    if (overflow) {
        if (!clamp)
            return false;
        magnitude = limit;
    }
    out = negative ? static_cast<long long>(0 - magnitude) : static_cast<long long>(magnitude);
    return true;
}

// --set and --change as `generate` applies them, then the start-up's range fix.
bool applySettings(MainModel& model, const Args& args, std::string& error) {
    if (!applySettingOptions(model, args, error))
        return false;
    model.Settings.fixExcludeDbClassRange();
    return true;
}

bool readDate(const Args& args, const std::string& name, DayNumber& out, std::string& error) {
    if (!parseIsoDate(args.get(name), out)) {
        error = "invalid --" + name + " (expected YYYY-MM-DD): " + args.get(name);
        return false;
    }
    return true;
}

// The threshold as the input dialog gets it; any integer is taken.
bool readThreshold(const Args& args, std::string& text, std::string& error) {
    long long v = 0;
    if (!parseInteger(args.get("threshold"), v, true)) {
        error = "--threshold needs an integer: " + args.get("threshold");
        return false;
    }
    if (v > std::numeric_limits<std::int32_t>::max())
        v = std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min())
        v = std::numeric_limits<std::int32_t>::min();
    text = std::to_string(v);
    return true;
}

bool databaseMissing(const MainModel& model) {
    if (model.database().exists())
        return false;
    std::cerr << "ruvuzevodare-cli: database not found: " << model.DatabasePath() << "\n";
    return true;
}

struct AnalysisDates {
    DayNumber start = dayFromYmd(2017, 1, 1);
    DayNumber today = rz::today();
    DayNumber from = 0;
};

bool readAnalysisDates(const Args& args, AnalysisDates& d, std::string& error) {
    if (args.has("start") && !readDate(args, "start", d.start, error))
        return false;
    if (args.has("today") && !readDate(args, "today", d.today, error))
        return false;
    return readDate(args, "from", d.from, error);
}

// Start-up of the analyses: the statistics start, "today" and its lookup,
// then the chosen date in DatabaseEndDate.
void startAnalysis(MainModel& model, const AnalysisDates& d) {
    if (!model.DateTimePicker2.setDate(d.start))
        model.DateTimePicker2.date = model.DateTimePicker2.minDate;
    if (!model.DateTimePicker1.setDate(d.today))
        model.DateTimePicker1.date = model.DateTimePicker1.minDate;
    model.sortieren = true;
    model.SpeedButton5Click();
    if (!model.DateTimePicker1.setDate(d.from))
        model.DateTimePicker1.date = model.DateTimePicker1.minDate;
}

// With --chance the lines comparing the hit classes with chance follow.
void printChance(const std::vector<ChanceTable>& chance, const Args& args) {
    if (!args.has("chance"))
        return;
    std::cout.flush();
    const std::string lines = chanceCommandLines(chance);
    std::fwrite(lines.data(), 1, lines.size(), stdout);
    std::fflush(stdout);
}

int printReport(const MainModel& model, const Args& args) {
    if (model.lastAnalysisOutcome != MainModel::AnalysisOutcome::Finished)
        return 1;
    std::fwrite(model.lastReport.data(), 1, model.lastReport.size(), stdout);
    std::fflush(stdout);
    printChance(model.lastChance, args);
    return 0;
}

// Each stop of the search as a line: date, row and the row's caption.
class PrintStops : public TipSearchObserver {
public:
    void stopped(const SearchStop& stop, const SearchedDrawing&) override {
        std::cout << formatIsoDate(stop.date) << ' ' << stop.row << ' ' << stop.caption << '\n';
    }
};

} // namespace

int cmdSearch(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kSearchCommand, argc, argv, args); rc >= 0)
        return rc;
    std::string error;
    if (!args.positional.empty() || !args.has("end") || !args.has("tips") || !args.has("threshold"))
        return usageError("search needs [--db DB] --end YYYY-MM-DD --tips FILE.qlt --threshold N");
    std::string threshold;
    if (!readThreshold(args, threshold, error))
        return usageError(error);

    LanguageTexts texts;
    if (int rc = 0; !applyLanguageOption(texts, args, argv[0], rc))
        return rc;
    const std::string db = absoluteDatabasePath(databasePath(args, argv[0]));
    DateOptions dates;
    GeneratorSettings settings;
    if (!readDateOptions(args, rz::today(), dates, error) || !applySettingOptions(settings, args, error))
        return usageError(error);
    settings.fixExcludeDbClassRange();
    if (!DrawingDatabase(db).exists()) {
        std::cerr << "ruvuzevodare-cli: database not found: " << db << "\n";
        return 1;
    }
    if (refuseNoDrawingDatabase(db))
        return 1;
    warnPartialRecord(db);
    const std::string tipsPath = args.get("tips");
    if (const std::string problem = loadableTipFileProblem(tipsPath); !problem.empty()) {
        std::cerr << "ruvuzevodare-cli: " << problem << "\n";
        return 1;
    }

    TipSet tips;
    TipSearchResult result;
    try {
        // The lookup of the end date; then, as the window loads tips, the
        // file read, the lookup again and the rows checked against its drawing.
        const RecordSnapshot records = RecordSnapshot::read(db);
        CurrentDrawing drawing;
        Generation::lookUpEndDate(records, dates.end, drawing);
        tips.ReadTipFile(tipsPath);
        Generation::lookUpEndDate(records, dates.end, drawing);
        HitCount last;
        checkAllRows(tips, drawing, last);

        Answers yes;
        PrintStops print;
        const TipSearch search(texts.language, texts.messages, yes, print);
        result = search.run(tips, DrawingDatabase(db).readAll(), {dates.start.date, dates.end.date},
                            std::stoi(threshold), settings.on(Gs::OverlapCountsMegaBall), drawing, last);
    } catch (const Failure& e) {
        return reportFailure(e);
    }

    std::cout << "end";
    for (int r = 1; r <= TipSet::kRows; ++r)
        std::cout << '|' << tips.row(r).hitCaption;
    std::cout << '\n';
    printChance(result.chance, args);
    return 0;
}

int cmdAnalyseSettings(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kAnalyseSettingsCommand, argc, argv, args); rc >= 0)
        return rc;
    std::string error;
    if (!args.positional.empty() || !args.has("from") || !args.has("seed"))
        return usageError("analyse-settings needs [--db DB] --from YYYY-MM-DD --seed N");
    long long seed = 0;
    if (!parseInteger(args.get("seed"), seed, false)) {
        MainModel texts;
        std::cerr << texts.msg(Msg::LuckyNumberInputError) << "\n";
        return 2;
    }

    AnalysisDates dates;
    if (!readAnalysisDates(args, dates, error))
        return usageError(error);

    MainModel model;
    if (int rc = 0; !applyLanguageOption(model, args, argv[0], rc))
        return rc;
    Answers answers;
    FixedClock clock(dates.today);
    answers.attachTo(model, &clock);
    useDatabase(model, databasePath(args, argv[0]));
    if (!applySettings(model, args, error))
        return usageError(error);
    if (databaseMissing(model))
        return 1;
    if (refuseNoDrawingDatabase(model.DatabasePath()))
        return 1;
    warnPartialRecord(model.DatabasePath());
    startAnalysis(model, dates);
    model.writeReportFile = false;
    answers.input = std::to_string(seed);
    model.BitBtn9Click();
    return printReport(model, args);
}

int cmdAnalyseDrawings(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kAnalyseDrawingsCommand, argc, argv, args); rc >= 0)
        return rc;
    std::string error;
    if (!args.positional.empty() || !args.has("from") || !args.has("threshold"))
        return usageError("analyse-drawings needs [--db DB] --from YYYY-MM-DD --threshold N");
    std::string threshold;
    if (!readThreshold(args, threshold, error))
        return usageError(error);
    AnalysisDates dates;
    if (!readAnalysisDates(args, dates, error))
        return usageError(error);

    MainModel model;
    if (int rc = 0; !applyLanguageOption(model, args, argv[0], rc))
        return rc;
    Answers answers;
    FixedClock clock(dates.today);
    answers.attachTo(model, &clock);
    useDatabase(model, databasePath(args, argv[0]));
    if (databaseMissing(model))
        return 1;
    if (refuseNoDrawingDatabase(model.DatabasePath()))
        return 1;
    warnPartialRecord(model.DatabasePath());
    startAnalysis(model, dates);
    model.writeReportFile = false;
    answers.input = threshold;
    model.BitBtn19Click();
    return printReport(model, args);
}

const CommandSpec kSearchCommand{"search", cmdSearch,
    "  search [--db DB] --end D --tips FILE.qlt --threshold N [--start D] [--set Chekcbox31=0|1] [--lang L] [--chance]\n",
    {"db", "end", "tips", "threshold", "start", "set", "change", "lang"}, 0, {"chance"}};

const CommandSpec kAnalyseSettingsCommand{"analyse-settings", cmdAnalyseSettings,
    "  analyse-settings [--db DB] --from D --seed N [--start D] [--today D] [--set NAME=VALUE]... [--lang L] [--chance]\n",
    {"db", "from", "seed", "start", "today", "set", "change", "lang"}, 0, {"chance"}};

const CommandSpec kAnalyseDrawingsCommand{"analyse-drawings", cmdAnalyseDrawings,
    "  analyse-drawings [--db DB] --from D --threshold N [--start D] [--today D] [--lang L] [--chance]\n",
    {"db", "from", "threshold", "start", "today", "lang"}, 0, {"chance"}};

} // namespace rz::cli
