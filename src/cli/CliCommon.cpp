#include "CliCommon.h"

#include <filesystem>
#include <iostream>

#include "common/Path.h"
#include "common/Text.h"

namespace rz::cli {

bool Args::parse(int argc, char** argv, int first, std::string& error) {
    for (int i = first; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--", 0) == 0 && a.size() > 2) {
            if (i + 1 >= argc) {
                error = "option " + a + " needs a value";
                return false;
            }
            options.emplace_back(a.substr(2), argv[++i]);
        } else {
            positional.push_back(a);
        }
    }
    return true;
}

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

void useDatabase(MainModel& model, const std::string& dbPath) {
    namespace fs = std::filesystem;
    const fs::path p = fs::absolute(toPath(dbPath));
    std::string home = fromPath(p.parent_path());
    if (home.empty() || home.back() != fs::path::preferred_separator)
        home += fs::path::preferred_separator;
    model.Home = home;
    model.ZahlenFile = fromPath(p.filename());
}

bool applyWindowDates(MainModel& model, const Args& args, std::string& error) {
    DayNumber start = dayFromYmd(2017, 1, 1);
    DayNumber end = model.today();
    if (args.has("start") && !parseIsoDate(args.get("start"), start)) {
        error = "invalid --start date (expected YYYY-MM-DD): " + args.get("start");
        return false;
    }
    if (args.has("end") && !parseIsoDate(args.get("end"), end)) {
        error = "invalid --end date (expected YYYY-MM-DD): " + args.get("end");
        return false;
    }
    if (!model.DateTimePicker2.setDate(start))
        model.DateTimePicker2.date = model.DateTimePicker2.minDate;
    if (!model.DateTimePicker1.setDate(end))
        model.DateTimePicker1.date = model.DateTimePicker1.minDate;
    return true;
}

bool checkArguments(const Args& args, const std::string& command, std::initializer_list<const char*> known,
                    std::size_t maxPositional, std::string& error) {
    for (const auto& [name, value] : args.options) {
        bool ok = false;
        for (const char* k : known)
            ok = ok || name == k;
        if (!ok) {
            error = command + ": unknown option --" + name;
            return false;
        }
    }
    if (args.positional.size() > maxPositional) {
        error = command + ": unexpected argument \"" + args.positional[maxPositional] + "\"";
        return false;
    }
    return true;
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

bool applySettingOptions(MainModel& model, const Args& args, std::string& error) {
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
        if (option == "set")
            model.Settings.set(field->id, value);
        else
            model.changeSetting(field->id, value);
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

} // namespace rz::cli
