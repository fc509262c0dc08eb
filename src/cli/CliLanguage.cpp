#include "CliLanguage.h"

#include <filesystem>
#include <functional>
#include <iostream>

#include "common/Path.h"
#include "common/ProgramArgs.h"
#include "common/Text.h"
#include "i18n/LanguageFiles.h"

namespace rz::cli {

std::string executableDirectory(const char* argv0) {
    namespace fs = std::filesystem;
    std::string self = programFolder();
    if (!self.empty())
        return self;
    std::error_code ec;
    const fs::path p = fs::absolute(toPath(argv0 ? argv0 : ""), ec);
    return fromPath(ec ? fs::current_path(ec) : p.parent_path());
}

namespace {

// --lang read and checked; `load` takes language 1..8 from the folder and
// says whether its files were there.
bool applyLanguageNumber(const Args& args, const char* argv0, int& exitCode,
                         const std::function<bool(int language, const std::string& folder)>& load) {
    if (!args.has("lang"))
        return true;
    const std::string value = args.get("lang");
    std::int32_t n = 0;
    if (!tryParseInt(value, n) || n < 0 || n > 8) {
        exitCode = usageError("--lang needs a language number from 0 to 8: " + value);
        return false;
    }
    if (n == 0)
        return true;
    const std::string folder = programPaths(argv0).languageFolder();
    try {
        if (!load(n, folder))
            std::cerr << "ruvuzevodare-cli: the files of language " << n << " are missing in " << folder
                      << "; the built-in texts stay\n";
    } catch (const IoError& e) {
        exitCode = reportFailure(e);
        return false;
    }
    return true;
}

} // namespace

bool applyLanguageOption(MainModel& model, const Args& args, const char* argv0, int& exitCode) {
    return applyLanguageNumber(args, argv0, exitCode, [&model](int language, const std::string& folder) {
        model.LanguageDir = folder;
        return model.chooseLanguage(language);
    });
}

bool applyLanguageOption(LanguageTexts& texts, const Args& args, const char* argv0, int& exitCode) {
    return applyLanguageNumber(args, argv0, exitCode, [&texts](int language, const std::string& folder) {
        return loadLanguageTexts(language, folder, texts);
    });
}

bool applyLanguageOnly(const Args& args, const char* argv0, int& exitCode) {
    LanguageTexts texts; // the program's own texts follow the language for the command's run
    return applyLanguageOption(texts, args, argv0, exitCode);
}

} // namespace rz::cli
