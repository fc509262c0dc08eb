// The Help menu: the short manual, the folder of the user's files and the
// About box's text.
#include <filesystem>

#include "app/MainModel.h"
#include "common/Path.h"
#include "common/ProgramTexts.h"
#include "i18n/LanguageFiles.h"
#include "settings/SettingsStore.h"

namespace rz {
namespace {

// "Mega_de.txt" -> "de"; the built-in texts are German.
std::string languageCode(int sprache) {
    const LanguageInfo* info = languageBySprache(sprache);
    if (!info)
        return "de";
    std::string file = info->file;
    const auto a = file.find('_');
    const auto b = file.find('.');
    return a == std::string::npos || b == std::string::npos || b <= a ? std::string("en") : file.substr(a + 1, b - a - 1);
}

bool isFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(toPath(path), ec);
}

} // namespace

std::string MainModel::manualPath() const {
    const std::string own = paths().manualFile(languageCode(sprache));
    return isFile(own) ? own : paths().manualFile("en");
}

void MainModel::Handbuch1Click() {
    const std::string path = manualPath();
    if (!isFile(path)) {
        dialogs().message(txt(Txt::ManualMissing, {path}));
        return;
    }
    openInShell(path);
}

void MainModel::DatenordnerOeffnen1Click() {
    const std::string folder = paths().userFolder();
    if (!folder.empty())
        openInShell(folder);
}

std::string MainModel::aboutText(const std::string& version, const std::vector<std::string>& libraries) const {
    std::string text = txt(Txt::AboutVersion, {version}) + "\n\n";
    text += txt(Txt::AboutUserFiles, {paths().userFolder()}) + "\n";
    text += txt(Txt::AboutShippedFiles, {paths().dataFolder()}) + "\n";
    if (services().settings) {
        const std::string where = services().settings->location();
        if (!where.empty())
            text += txt(Txt::AboutSettings, {where}) + "\n";
    }
    text += "\n" + txt(Txt::AboutLibraries) + "\n";
    for (const std::string& l : libraries)
        text += "  " + l + "\n";
    return text;
}

} // namespace rz
