#include "CliCommon.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <tuple>

#include <CLI/CLI.hpp>
#include <iostream>

#include "CliLanguage.h"
#include "common/Path.h"
#include "common/ProgramTexts.h"
#include "common/Text.h"

namespace rz::cli {

bool Args::has(const std::string& name) const {
    for (const auto& [k, v] : options)
        if (k == name)
            return true;
    return false;
}

std::string Args::get(const std::string& name, const std::string& def) const {
    std::string value = def;
    for (const auto& [k, v] : options)
        if (k == name)
            value = v;
    return value;
}

std::vector<std::string> Args::all(const std::string& name) const {
    std::vector<std::string> out;
    for (const auto& [k, v] : options)
        if (k == name)
            out.push_back(v);
    return out;
}

namespace {

// The folder (with its separator) and the name of the database file.
std::pair<std::string, std::string> databaseFolderAndName(const std::string& dbPath) {
    namespace fs = std::filesystem;
    const fs::path p = fs::absolute(toPath(dbPath));
    std::string home = fromPath(p.parent_path());
    if (home.empty() || home.back() != fs::path::preferred_separator)
        home += fs::path::preferred_separator;
    return {home, fromPath(p.filename())};
}

} // namespace

void useDatabase(MainModel& model, const std::string& dbPath) {
    std::tie(model.Home, model.ZahlenFile) = databaseFolderAndName(dbPath);
}

std::string absoluteDatabasePath(const std::string& dbPath) {
    const auto [folder, name] = databaseFolderAndName(dbPath);
    return folder + name;
}

AppPaths programPaths(const char* argv0) { return AppPaths::detect(executableDirectory(argv0)); }

std::string databasePath(const Args& args, const char* argv0) {
    if (args.has("db"))
        return args.get("db");
    const AppPaths paths = programPaths(argv0);
    paths.prepareUserFolder();
    if (paths.installed()) {
        // Before the window's first start: the drawing file from the shipped
        // history, as the window's start creates it.
        MainModel model;
        model.usePaths(paths);
        if (model.loadBundledHistory() || !model.StatusPanel[1].empty())
            std::cerr << "ruvuzevodare-cli: " << model.StatusPanel[1] << "\n";
    }
    return paths.drawingFile();
}

int cmdWhere(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kWhereCommand, argc, argv, args); rc >= 0)
        return rc;
    const AppPaths paths = programPaths(argv[0]);
    std::cout << "layout: " << (paths.installed() ? "installed" : "portable") << "\n"
              << "drawing file: " << paths.drawingFile() << "\n"
              << "user folder: " << paths.userFolder() << "\n"
              << "data folder: " << paths.dataFolder() << "\n";
    return 0;
}

const CommandSpec kWhereCommand{"where", cmdWhere,
    "  where                                     print the layout (portable or installed) and the drawing file\n", {}, 0};

bool readDateOptions(const Args& args, DayNumber today, DateOptions& dates, std::string& error) {
    DayNumber start = dayFromYmd(2017, 1, 1);
    DayNumber end = today;
    if (args.has("start") && !parseIsoDate(args.get("start"), start)) {
        error = "invalid --start date (expected YYYY-MM-DD): " + args.get("start");
        return false;
    }
    if (args.has("end") && !parseIsoDate(args.get("end"), end)) {
        error = "invalid --end date (expected YYYY-MM-DD): " + args.get("end");
        return false;
    }
    dates.start.setDateOrEarliest(start);
    dates.end.setDateOrEarliest(end);
    return true;
}

bool applyWindowDates(MainModel& model, const Args& args, std::string& error) {
    DateOptions dates;
    if (!readDateOptions(args, model.today(), dates, error))
        return false;
    model.DateTimePicker2 = dates.start;
    model.DateTimePicker1 = dates.end;
    return true;
}

int parseCommand(const CommandSpec& command, int argc, char** argv, Args& args) {
    const std::string name = command.name;
    CLI::App app{"", "ruvuzevodare-cli " + name};
    app.allow_extras(true);
    // Options are "--name" on every system: CLI11 would take "/name" for an
    // option on Windows, and with it every absolute path in the POSIX form.
    app.allow_windows_style_options(false);
    app.set_help_flag("-h,--help");
    std::vector<CLI::Option*> known;
    for (const char* option : command.options)
        known.push_back(app.add_option(std::string("--") + option)
                            ->expected(1)
                            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll));
    for (const char* flag : command.flags)
        known.push_back(app.add_flag(std::string("--") + flag)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll));
    std::vector<std::string> positional;
    if (command.maxPositional > 0)
        app.add_option("arguments", positional);
    try {
        app.parse(argc - 1, argv + 1);
    } catch (const CLI::CallForHelp&) {
        std::string usage = command.usage;
        usage.erase(0, usage.find_first_not_of(' '));
        std::cout << "usage: ruvuzevodare-cli " << usage;
        return 0;
    } catch (const CLI::ArgumentMismatch&) {
        // Only the last argument can miss its value: every option takes the next one.
        return usageError(name + ": option " + argv[argc - 1] + " needs a value");
    } catch (const CLI::ParseError& e) {
        return usageError(name + ": " + e.what());
    }
    // What no option took: the first of it is the fault to name.
    for (const std::string& extra : app.remaining()) {
        if (extra.size() > 1 && extra[0] == '-')
            return usageError(name + ": unknown option " + extra);
        return usageError(name + ": unexpected argument \"" + extra + "\"");
    }
    if (positional.size() > command.maxPositional)
        return usageError(name + ": unexpected argument \"" + positional[command.maxPositional] + "\"");

    // The values in the order given, so that later settings win and steps run in turn.
    std::map<const CLI::Option*, std::size_t> taken;
    for (const CLI::Option* option : app.parse_order()) {
        if (std::find(known.begin(), known.end(), option) == known.end())
            continue;
        const std::size_t i = taken[option]++;
        if (option->get_expected_min() == 0)
            args.options.emplace_back(option->get_name().substr(2), std::string());
        else if (i < option->results().size())
            args.options.emplace_back(option->get_name().substr(2), option->results()[i]);
    }
    args.positional = std::move(positional);
    return -1;
}

void warnPartialRecord(const std::string& databasePath) {
    const std::int64_t bytes = DrawingDatabase(databasePath).trailingBytes();
    if (bytes > 0)
        std::cerr << "ruvuzevodare-cli: warning: the last " << bytes << " bytes of \"" << databasePath
                  << "\" are not a whole drawing and are not read\n";
}

int usageError(const std::string& message) {
    std::cerr << "ruvuzevodare-cli: " << message << "\n";
    return 2;
}

int reportFailure(const Failure& failure) {
    std::cerr << "ruvuzevodare-cli: " << failure.what() << "\n";
    return 1;
}

bool applySettingOptions(MainModel& model, const Args& args, std::string& error) {
    return applySettingOptions(model.Settings, args, error);
}

bool applySettingOptions(GeneratorSettings& settings, const Args& args, std::string& error) {
    for (const auto& [option, assignment] : args.options) {
        if (option != "set" && option != "change")
            continue;
        const std::size_t eq = assignment.find('=');
        if (eq == std::string::npos) {
            error = "--" + option + " needs NAME=VALUE: " + assignment;
            return false;
        }
        const std::string name = assignment.substr(0, eq);
        const GsFieldInfo* field = GeneratorSettings::byValueName(name);
        if (!field) {
            error = "unknown setting \"" + name + "\"";
            return false;
        }
        std::int32_t value = 0;
        if (!tryParseInt(assignment.substr(eq + 1), value)) {
            error = "setting " + name + " needs an integer value: " + assignment.substr(eq + 1);
            return false;
        }
        // A run takes its attempt limit from the settings when it starts.
        if (option == "set")
            settings.set(field->id, value);
        else
            settings.change(field->id, value);
    }
    return true;
}

std::string tipFileProblem(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(toPath(path), ec);
    if (!std::filesystem::exists(status))
        return "tip file not found: " + path;
    if (!std::filesystem::is_regular_file(status))
        return "tip file is not a regular file: " + path;
    return {};
}

std::string loadableTipFileProblem(const std::string& path) {
    if (std::string problem = tipFileProblem(path); !problem.empty())
        return problem;
    if (!TipSet::looksLikeTipFile(path))
        return txt(Txt::TipFileNotTips, {path});
    return {};
}

bool refuseNoDrawingDatabase(const std::string& databasePath) {
    const std::optional<std::int64_t> bad = DrawingDatabase(databasePath).recordNotADrawing();
    if (!bad)
        return false;
    std::cerr << "ruvuzevodare-cli: " << txt(Txt::DbNotDrawings, {databasePath, std::to_string(*bad)}) << "\n";
    return true;
}

} // namespace rz::cli
