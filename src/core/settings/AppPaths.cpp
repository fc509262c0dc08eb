#include "settings/AppPaths.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include "common/IoError.h"
#include "common/Path.h"
#include "database/Maintenance.h"
#include "i18n/LanguageFiles.h"

namespace rz {
namespace {

namespace fs = std::filesystem;

constexpr char kSeparator = static_cast<char>(fs::path::preferred_separator);

std::string withSeparator(std::string folder) {
    if (folder.empty() || (folder.back() != '/' && folder.back() != '\\'))
        folder += kSeparator;
    return folder;
}

// The folder's absolute, normalised form ("bin/.." resolved), with its
// trailing separator.
std::string normalFolder(const std::string& folder) {
    std::error_code ec;
    fs::path p = fs::absolute(toPath(folder.empty() ? std::string(".") : folder), ec);
    if (ec)
        p = toPath(folder);
    p = p.lexically_normal();
    std::string s = fromPath(p);
    while (s.size() > 1 && (s.back() == '/' || s.back() == '\\'))
        s.pop_back();
    return withSeparator(s);
}

} // namespace

AppPaths::AppPaths(const std::string& folder)
    : layout_(AppLayout::Portable), program_(withSeparator(folder)), user_(program_), data_(program_) {}

AppPaths::AppPaths(const std::string& programFolder, const std::string& userFolder, const std::string& dataFolder)
    : layout_(AppLayout::Installed), program_(withSeparator(programFolder)), user_(withSeparator(userFolder)),
      data_(withSeparator(dataFolder)) {}

AppPaths AppPaths::detect(const std::string& programFolder, const WritableProbe& probe, const Environment& env) {
    const std::string program = normalFolder(programFolder);
    if (probe(program))
        return AppPaths(program);
    std::string user = userDataFolder(env);
    // Without any per-user location there is nowhere else to go: the files
    // stay beside the program, where writing them will say what is wrong.
    if (user.empty())
        return AppPaths(program);
    // The shipped files in share/ruvuzevodare beside bin/; a read-only
    // folder of its own (a copied folder on a read-only medium) keeps them
    // beside the program.
    std::string data = program;
    std::error_code ec;
    const fs::path share = (toPath(program) / ".." / kInstalledDataFolder).lexically_normal();
    if (fs::is_directory(share, ec))
        data = withSeparator(fromPath(share));
    return AppPaths(program, user, data);
}

bool AppPaths::canCreateFileIn(const std::string& folder) {
    std::error_code ec;
    if (!fs::is_directory(toPath(folder), ec))
        return false;
    static std::mt19937_64 names{std::random_device{}()};
    for (int attempt = 0; attempt < 4; ++attempt) {
        const fs::path probe = toPath(folder) / (".rz-write-test-" + std::to_string(names()));
        // "x": created here and now, never an existing file opened.
#if defined(_WIN32)
        std::FILE* f = ::_wfopen(probe.c_str(), L"wbx");
#else
        std::FILE* f = std::fopen(probe.c_str(), "wbx");
#endif
        if (!f) {
            if (fs::exists(probe, ec))
                continue; // a name taken by chance
            return false;
        }
        std::fclose(f);
        fs::remove(probe, ec);
        return true;
    }
    return false;
}

std::optional<std::string> AppPaths::processEnvironment(const char* name) {
#if defined(_WIN32)
    // The wide environment: a folder such as APPDATA may hold characters
    // outside the ANSI code page.
    const std::wstring wideName(name, name + std::strlen(name));
    if (const wchar_t* v = ::_wgetenv(wideName.c_str()))
        return fromPath(fs::path(std::wstring(v)));
    return std::nullopt;
#else
    if (const char* v = std::getenv(name))
        return std::string(v);
    return std::nullopt;
#endif
}

std::string AppPaths::userDataFolder(const Environment& env) {
    auto nonEmpty = [&env](const char* name) -> std::optional<std::string> {
        std::optional<std::string> v = env(name);
        if (v && v->empty())
            v.reset();
        return v;
    };
    fs::path base;
#if defined(_WIN32)
    if (const auto appData = nonEmpty("APPDATA"))
        base = toPath(*appData);
    else
        return {};
#else
    // A relative XDG_DATA_HOME is invalid and is ignored, as the base
    // directory rules say.
    const auto xdg = nonEmpty("XDG_DATA_HOME");
    if (xdg && toPath(*xdg).is_absolute())
        base = toPath(*xdg);
    else if (const auto home = nonEmpty("HOME"))
        base = toPath(*home) / ".local" / "share";
    else
        return {};
#endif
    return withSeparator(fromPath((base / kUserDataSubfolder).lexically_normal()));
}

void AppPaths::prepareUserFolder() const {
    if (!installed())
        return;
    std::error_code ec;
    if (fs::is_directory(toPath(user_), ec))
        return;
    fs::create_directories(toPath(user_), ec);
    if (ec)
        throwIoError("Cannot create", user_, ec.value());
}

std::string AppPaths::cartNoticeFile() const { return user_ + kNoticeFileName; }
std::string AppPaths::submissionTipsFolder() const { return user_ + kTipsFolder; }
std::string AppPaths::languageFolder() const { return data_ + kLanguageFolder + kSeparator; }
std::string AppPaths::bundledHistoryFile() const { return data_ + kBundledHistoryFile; }
std::string AppPaths::clickScriptFolder() const { return data_ + kScriptFolder; }
std::string AppPaths::userClickScriptFolder() const { return user_ + kScriptFolder; }
std::string AppPaths::qtTranslationsFolder() const { return data_ + "translations"; }

std::string AppPaths::manualFile(const std::string& languageCode) const {
    return data_ + "help" + kSeparator + "manual_" + languageCode + ".html";
}

} // namespace rz
