#pragma once
#include <string>
#include <vector>

#include "app/MainModel.h"
#include "common/Dates.h"
#include "i18n/LanguageFiles.h"
#include "settings/GeneratorSettings.h"

namespace rz::cli {

// A command's arguments once read: "--name value" pairs and the other arguments.
struct Args {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options; // in order of appearance

    bool has(const std::string& name) const;
    std::string get(const std::string& name, const std::string& def = std::string()) const;
    std::vector<std::string> all(const std::string& name) const;
};

// Points the model at the database file: Home = its folder, ZahlenFile = its name.
void useDatabase(MainModel& model, const std::string& dbPath);
// The database file's path as the commands name it: absolute, as a window
// pointed at it (useDatabase) names it.
std::string absoluteDatabasePath(const std::string& dbPath);

// The program's layout, decided for the folder of the running executable.
AppPaths programPaths(const char* argv0);
// --db when given; else the drawing file the window uses (programPaths), its
// folder created when the program is installed and the folder is missing.
std::string databasePath(const Args& args, const char* argv0);

// Reads --start / --end into the two date pickers (defaults 2017-01-01 and today).
// Returns false with a message on a malformed date.
bool applyWindowDates(MainModel& model, const Args& args, std::string& error);

// Applies --set NAME=VALUE (a value as the settings store holds it, taken as
// given) and --change NAME=VALUE (a change as the user makes it on the
// settings page, with the coupling of related fields), in the order given.
bool applySettingOptions(MainModel& model, const Args& args, std::string& error);

// --start / --end as the window's two date pickers take them: the first
// drawing of the statistics (default 2017-01-01) and the end date (default
// today); a date before the pickers' earliest becomes that earliest date.
struct DateOptions {
    DatePicker start, end;
};
bool readDateOptions(const Args& args, DayNumber today, DateOptions& dates, std::string& error);

// --set / --change (see above) into plain settings.
bool applySettingOptions(GeneratorSettings& settings, const Args& args, std::string& error);

int usageError(const std::string& message); // prints to stderr, returns 2

// The one place where a failure of a command becomes its message on stderr
// and its exit code (1).
int reportFailure(const Failure& failure);

// What a command accepts, and its lines of the usage text.
struct CommandSpec {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* usage;                // "  name options   what it does\n", continuation lines included
    std::vector<const char*> options; // the options it knows, without "--"; each takes one value
    std::size_t maxPositional = 0;    // arguments that are not options
    std::vector<const char*> flags = {}; // options without a value; read as the value ""
};

// Reads argv[2..] for the command. Returns -1 when the command goes on with
// `args`; otherwise the exit code: 0 after "--help" (its usage on stdout), 2
// for an unknown option, a stray argument or an option without its value
// (a message naming it on stderr).
int parseCommand(const CommandSpec& command, int argc, char** argv, Args& args);

// Says on stderr, and returns true, when the file is no drawing database
// (DrawingDatabase::recordNotADrawing); the command then ends with 1.
bool refuseNoDrawingDatabase(const std::string& databasePath);
// Says on stderr when the database ends in bytes that are not a whole drawing.
void warnPartialRecord(const std::string& databasePath);
// Empty when the tip file can be read as one; else why not ("tip file not found: …").
std::string tipFileProblem(const std::string& path);
// The same, and a file that is no tip file (TipSet::looksLikeTipFile) is
// refused as the window's load refuses it.
std::string loadableTipFileProblem(const std::string& path);

int cmdLookup(int argc, char** argv);
extern const CommandSpec kLookupCommand;
int cmdWhere(int argc, char** argv);
extern const CommandSpec kWhereCommand;
int cmdImport(int argc, char** argv);
extern const CommandSpec kImportCommand;
int cmdCheck(int argc, char** argv);
extern const CommandSpec kCheckCommand;
int cmdStats(int argc, char** argv);
extern const CommandSpec kStatsCommand;
int cmdGenerate(int argc, char** argv);
extern const CommandSpec kGenerateCommand;
int cmdSearch(int argc, char** argv);
extern const CommandSpec kSearchCommand;
int cmdAnalyseSettings(int argc, char** argv);
extern const CommandSpec kAnalyseSettingsCommand;
int cmdAnalyseDrawings(int argc, char** argv);
extern const CommandSpec kAnalyseDrawingsCommand;

// cmd_maintenance.cpp
int cmdDownload(int argc, char** argv);
extern const CommandSpec kDownloadCommand;
int cmdAdd(int argc, char** argv);
extern const CommandSpec kAddCommand;
int cmdDelete(int argc, char** argv);
extern const CommandSpec kDeleteCommand;

// cmd_online.cpp
int cmdCart(int argc, char** argv);
extern const CommandSpec kCartCommand;
int cmdFillScript(int argc, char** argv);
extern const CommandSpec kFillScriptCommand;

// cmd_odds.cpp
int cmdOdds(int argc, char** argv);
extern const CommandSpec kOddsCommand;

// cmd_wheel.cpp
int cmdWheel(int argc, char** argv);
extern const CommandSpec kWheelCommand;

} // namespace rz::cli
