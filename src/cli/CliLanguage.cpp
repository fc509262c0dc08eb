#include "CliLanguage.h"

#include <filesystem>
#include <iostream>

#include "common/Text.h"
#include "i18n/LanguageFiles.h"

namespace rz::cli {

std::string executableDirectory(const char* argv0) {
    namespace fs = std::filesystem;
    std::error_code ec;
#if defined(__linux__)
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && !self.empty())
        return self.parent_path().string();
#endif
    const fs::path p = fs::absolute(fs::path(argv0 ? argv0 : ""), ec);
    return ec ? fs::current_path(ec).string() : p.parent_path().string();
}

bool applyLanguageOption(MainModel& model, const Args& args, const char* argv0, int& exitCode) {
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
    model.LanguageDir = (std::filesystem::path(executableDirectory(argv0)) / kLanguageFolder).string();
    try {
        if (!model.chooseLanguage(n))
            std::cerr << "ruvuzevodare-cli: the files of language " << n << " are missing in "
                      << model.languageFolder() << "; the built-in texts stay\n";
    } catch (const IoError& e) {
        std::cerr << "ruvuzevodare-cli: " << e.what() << "\n";
        exitCode = 1;
        return false;
    }
    return true;
}

bool applyLanguageOnly(const Args& args, const char* argv0, int& exitCode) {
    MainModel speaker; // the program's own texts are one table for the whole run
    return applyLanguageOption(speaker, args, argv0, exitCode);
}

} // namespace rz::cli
