#include "online/ClickScript.h"

#include <algorithm>
#include <filesystem>

#include "common/Round.h"
#include "common/Text.h"
#include "common/TextCodec.h"
#include "download/Download.h"
#include "download/Http.h"
#include "online/Cart.h"
#include "settings/GeneratorSettings.h"
#include "common/Path.h"

namespace rz {
namespace {

namespace fs = std::filesystem;

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string upperAscii(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](char c) { return upperAscii(c); });
    return s;
}

bool isSeparator(char c) {
#if defined(_WIN32)
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

std::string inFolder(const std::string& folder, const std::string& name) {
    if (folder.empty() || isSeparator(folder.back()))
        return folder + name;
    return folder + static_cast<char>(fs::path::preferred_separator) + name;
}

bool isRegularFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(toPath(path), ec);
}

// The text before the next comma, which is removed with it; without a comma
// the value is empty and the text stays.
std::string takeField(std::string& rest) {
    const std::size_t comma = rest.find(',');
    if (comma == std::string::npos)
        return {};
    std::string value = rest.substr(0, comma);
    rest.erase(0, comma + 1);
    return value;
}

void fillLine(std::string& text, int r, const std::string& line) {
    const std::string row = std::to_string(r);
    std::string rest = line;
    for (int k = 1; k <= 5; ++k)
        replaceAll(text, "[Z" + std::to_string(k) + "_" + row + "]", takeField(rest));
    replaceAll(text, "[S1_" + row + "]", takeField(rest));
    const std::size_t comma = rest.find(',');
    replaceAll(text, "[S2_" + row + "]", comma == std::string::npos ? rest : rest.substr(0, comma));
}

} // namespace

ScriptFlags scriptFlagsFrom(const GeneratorSettings& s) {
    ScriptFlags f;
    f.dauer = s.get(Gs::PreferPairs) != 0;
    f.fr = s.get(Gs::MaxOverlapEnabled) != 0;
    f.di = s.get(Gs::PreferFrequent) != 0;
    f.difr = f.di && f.fr;
    return f;
}

std::string submissionTipFileName(DayNumber databaseEndDate) {
    return formatYyyymmdd(static_cast<DayNumber>(Round(databaseEndDate + 7.0))) + ".qlt";
}

std::string substitutedScriptName(DayNumber today) {
    return formatYyyymmdd(static_cast<DayNumber>(Round(today))) + kScriptExtension;
}

std::string fillClickScript(const std::string& script, const std::vector<std::string>& tipLines,
                            const ScriptFlags& flags, const std::string& tipFilePath) {
    std::string text = script;
    int r = 0;
    for (const std::string& line : tipLines)
        fillLine(text, ++r, line);
    for (int missing = r + 1; missing <= 12; ++missing)
        fillLine(text, missing, ",,,,,,");
    const auto yesNo = [](bool b) { return std::string(b ? "JA" : "NEIN"); };
    replaceAll(text, "[DAUER]", yesNo(flags.dauer));
    replaceAll(text, "[FR]", yesNo(flags.fr));
    replaceAll(text, "[DI]", yesNo(flags.di));
    replaceAll(text, "[DIFR]", yesNo(flags.difr));
    replaceAll(text, "[MELDUNGFERTIG]", kReadyToPlay);
    replaceAll(text, "[TIPPDATEI]", tipFilePath);
    return text;
}

std::string filledScriptFile(const std::string& scriptBytes, const std::string& tipFileBytes,
                             const ScriptFlags& flags, const std::string& tipFilePath) {
    const std::string script = decodeText(scriptBytes).text;
    const std::vector<std::string> tipLines = splitLines(decodeText(tipFileBytes).text);
    const std::string filled = fillClickScript(script, tipLines, flags, tipFilePath);
    return encodeText(joinLinesCrLf(splitLines(filled)), systemTextEncoding());
}

std::vector<std::string> listClickScripts(const std::string& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    fs::directory_iterator it(toPath(folder), ec);
    if (ec)
        return out;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const fs::path& p = it->path();
        std::error_code fe;
        if (it->is_directory(fe))
            continue;
        const std::string ext = upperAscii(fromPath(p.extension()));
        if (ext == upperAscii(kScriptExtension))
            out.push_back(fromPath(p));
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> listClickScripts(const std::string& own, const std::string& shipped) {
    std::vector<std::string> out = listClickScripts(own);
    if (own == shipped)
        return out;
    const auto nameOf = [](const std::string& path) { return fromPath(toPath(path).filename()); };
    std::vector<std::string> owned;
    for (const std::string& p : out)
        owned.push_back(nameOf(p));
    for (std::string& p : listClickScripts(shipped))
        if (std::find(owned.begin(), owned.end(), nameOf(p)) == owned.end())
            out.push_back(std::move(p));
    std::sort(out.begin(), out.end(), [&nameOf](const std::string& a, const std::string& b) {
        return nameOf(a) < nameOf(b);
    });
    return out;
}

std::string initialScript(const std::string& remembered, const std::vector<std::string>& scripts) {
    if (remembered.empty() && !scripts.empty())
        return scripts.back();
    return remembered;
}

std::string robotBesideProgram(const std::string& programFolder, bool upperCase, const std::string& executable) {
    std::string folder = upperCase ? upperAscii(programFolder) : programFolder;
    // The first folder named "Quendral": a name that merely begins with it
    // ("QuendralSoft", "quendraluser") is another folder.
    const std::string upper = upperAscii(folder);
    for (std::size_t at = upper.find("QUENDRAL"); at != std::string::npos; at = upper.find("QUENDRAL", at + 1)) {
        const std::size_t end = at + 8;
        if (end < upper.size() && (upper[end] == '/' || upper[end] == '\\')) {
            folder.resize(end + 1);
            break;
        }
    }
    return folder + executable;
}

std::optional<RobotLocation> locateRobot(const RobotSources& sources) {
    for (const auto* recorded : {&sources.machineFolder, &sources.userFolder}) {
        if (recorded->has_value() && !(*recorded)->empty()) {
            const std::string path = inFolder(**recorded, kRobotExecutable);
            return RobotLocation{path, isRegularFile(path)};
        }
    }
#if defined(_WIN32)
    const bool upperCase = true;
#else
    const bool upperCase = false;
#endif
    const std::string candidate = robotBesideProgram(sources.programFolder, upperCase, kRobotBesideProgram);
    if (isRegularFile(candidate))
        return RobotLocation{candidate, true};
    return std::nullopt;
}

std::string scriptUpdateUrl(const std::string& serverAddress, const std::string& scriptPath) {
    const std::string base = dataServerBase(serverAddress);
    if (base.empty())
        return {};
    std::string name = scriptPath;
    const auto sep = std::find_if(name.rbegin(), name.rend(), [](char c) { return isSeparator(c); });
    name.erase(name.begin(), sep.base());
    if (name.empty())
        return {};
    static const char* const hex = "0123456789ABCDEF";
    std::string encoded;
    for (const char ch : name + ".txt") {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            encoded += ch;
        } else {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 15];
        }
    }
    return base + "/scripts/" + encoded;
}

bool updateReplacesScript(const HttpResponse& response, std::optional<std::int64_t> localModified) {
    if (!response.answered() || response.status != 200 || !response.lastModified || !localModified ||
        *localModified >= *response.lastModified)
        return false;
    // A redirect to another page (a login or error page answered with 200)
    // is no script.
    if (response.finalUrl.empty())
        return true;
    const auto parts = splitUrl(response.finalUrl);
    if (!parts)
        return false;
    const std::string path = upperAscii(parts->target.substr(0, parts->target.find('?')));
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".TXT") == 0;
}

std::vector<std::string> robotArguments(const std::string& scriptPath, const ScriptChoice& s) {
    return {kRobotStartCommand, scriptPath, s.zahl1, s.text1, s.zahl2, s.text2};
}

} // namespace rz
