#pragma once
#include <initializer_list>
#include <string>
#include <vector>

#include "app/MainModel.h"

namespace rz::cli {

// Simple option reader: "--name value" pairs plus positional arguments.
struct Args {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options; // in order of appearance

    // Parses argv[first..]; every "--x" takes the following argument as its value.
    // Returns false (message in error) when an option lacks its value.
    bool parse(int argc, char** argv, int first, std::string& error);
    bool has(const std::string& name) const;
    std::string get(const std::string& name, const std::string& def = std::string()) const;
    std::vector<std::string> all(const std::string& name) const;
};

// Points the model at the database file: Home = its folder, ZahlenFile = its name.
void useDatabase(MainModel& model, const std::string& dbPath);

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

int usageError(const std::string& message); // prints to stderr, returns 2

// Every option must be one of `known` (names without "--") and there may be
// at most maxPositional other arguments; otherwise false with a message that
// names the first offending argument.
bool checkArguments(const Args& args, const std::string& command, std::initializer_list<const char*> known,
                    std::size_t maxPositional, std::string& error);

// Says on stderr when the database ends in bytes that are not a whole drawing.
void warnPartialRecord(const std::string& databasePath);
// Empty when the tip file can be read as one; else why not ("tip file not found: …").
std::string tipFileProblem(const std::string& path);

int cmdLookup(int argc, char** argv);
int cmdWhere(int argc, char** argv);
int cmdImport(int argc, char** argv);
int cmdCheck(int argc, char** argv);
int cmdStats(int argc, char** argv);
int cmdGenerate(int argc, char** argv);
int cmdSearch(int argc, char** argv);
int cmdAnalyseSettings(int argc, char** argv);
int cmdAnalyseDrawings(int argc, char** argv);

// cmd_maintenance.cpp
int cmdDownload(int argc, char** argv);
int cmdAdd(int argc, char** argv);
int cmdDelete(int argc, char** argv);

// cmd_online.cpp
int cmdCart(int argc, char** argv);
int cmdFillScript(int argc, char** argv);

} // namespace rz::cli
