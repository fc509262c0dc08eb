// The language files: applying a language to the windows and the message
// table, and writing the component list that the language files follow.
#include "i18n/LanguageFiles.h"

#include <filesystem>
#include <stdexcept>

#include "services/MessageTable.h"
#include "common/Text.h"
#include "common/ProgramTexts.h"
#include "common/TextFile.h"
#include "common/Path.h"

namespace rz {
namespace {

// The built-in captions; every language file names each language in its own
// language ("Español", "中文"), so the items take their texts from the files.
const std::array<LanguageInfo, 8> kLanguages = {{
    {"Deutsch1", "Deutsch", "Mega_de.txt", 1, 0},
    {"Englich1", "English", "Mega_en.txt", 2, 0},
    {"Franz1", "français", "Mega_fr.txt", 3, 0},
    {"Spanisch1", "espagnol", "Mega_es.txt", 4, 0},
    {"Italenisch1", "italiano", "Mega_it.txt", 5, 0},
    {"Porugiesisch1", "português", "Mega_pt.txt", 7, 0},
    {"Russisch1", "русский", "Mega_ru.txt", 6, 0},
    {"N2", "中国的", "Mega_cn.txt", 8, 0},
}};

// How far the search for a component's record looks ahead: the record at
// the search position and the ten after it.
constexpr std::size_t kSearchWindow = 11;

struct ListRecord {
    std::string window;
    std::string name;
};

std::vector<ListRecord> readComponentList(const std::string& path) {
    const std::vector<std::string> lines = readTextFileLines(path, NoBomRule::Windows1252);
    std::vector<ListRecord> records;
    records.reserve(lines.size() / 5 + 1);
    for (std::size_t i = 0; i < lines.size(); i += 5)
        records.push_back({trimBlanks(lines[i]), i + 1 < lines.size() ? trimBlanks(lines[i + 1]) : std::string()});
    return records;
}

const std::string& lineAt(const std::vector<std::string>& lines, std::size_t i) {
    static const std::string empty;
    return i < lines.size() ? lines[i] : empty;
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(toPath(path), ec);
}

void checkOneLine(const std::string& text, const std::string& window, const std::string& name) {
    if (text.find_first_of("\r\n") != std::string::npos)
        throw std::invalid_argument("the text of " + window + "." + name +
                                    " has a line break; the component list cannot carry it");
}

} // namespace

const std::array<LanguageInfo, 8>& languageTable() { return kLanguages; }

const LanguageInfo* languageBySprache(int sprache) {
    for (const LanguageInfo& l : kLanguages)
        if (l.sprache == sprache)
            return &l;
    return nullptr;
}

bool isTranslatable(ComponentKind kind) { return kind != ComponentKind::Other; }

bool applyLanguage(const std::string& componentListPath, const std::string& languageFilePath,
                   IComponentTree& tree, MessageTable& messages) {
    if (!fileExists(componentListPath) || !fileExists(languageFilePath))
        return false;

    // Everything is read before anything changes, so that a file that
    // cannot be read leaves the texts as they were.
    const std::vector<ListRecord> records = readComponentList(componentListPath);
    const std::string messageFile = messageFileOf(languageFilePath);
    const bool haveMessages = fileExists(messageFile);
    std::vector<std::string> messageLines;
    if (haveMessages)
        messageLines = readTextFileLines(messageFile, NoBomRule::Windows1252);
    const std::vector<std::string> texts = readTextFileLines(languageFilePath, NoBomRule::Windows1252);

    if (haveMessages) {
        // Lines 63 on hold the program's own texts; a shorter file keeps
        // the built-in text of every line it lacks.
        useProgramTexts(messageLines);
        messages.setLines(std::move(messageLines));
    }

    std::size_t p = 0;
    const std::vector<std::string> windows = tree.windowNames();
    for (const std::string& window : windows) {
        for (const ComponentInfo& c : tree.components(window)) {
            if (!isTranslatable(c.kind) || c.tag != 0)
                continue;
            std::size_t found = records.size();
            for (std::size_t i = p; i < p + kSearchWindow && i < records.size(); ++i) {
                if (records[i].window == window && records[i].name == c.name) {
                    found = i;
                    break;
                }
            }
            if (found == records.size())
                continue; // not listed near here: keeps its texts
            p = found;
            // The main window's title is the product's name in every
            // language; the other windows take theirs from the file.
            if (c.kind == ComponentKind::Window && (window == windows.front() || lineAt(texts, 2 * found).empty()))
                continue;
            try {
                tree.setTexts(window, c.name, c.kind != ComponentKind::Edit, lineAt(texts, 2 * found),
                              lineAt(texts, 2 * found + 1));
            } catch (const std::exception&) {
                // Only this component keeps its old texts.
            }
        }
    }
    return true;
}

std::vector<std::string> componentListLines(const IComponentTree& tree) {
    std::vector<std::string> lines;
    for (const std::string& window : tree.windowNames()) {
        for (const ComponentInfo& c : tree.components(window)) {
            if (!isTranslatable(c.kind))
                continue;
            const bool edit = c.kind == ComponentKind::Edit;
            if (edit && c.hint.empty())
                continue;
            const std::string& caption = edit ? c.hint : c.caption;
            checkOneLine(caption, window, c.name);
            checkOneLine(c.hint, window, c.name);
            checkOneLine(c.name, window, c.name);
            lines.push_back(window);
            lines.push_back(c.name);
            lines.push_back(caption);
            lines.push_back(c.hint);
            lines.push_back(std::to_string(c.kind == ComponentKind::MenuItem ? 1 : c.charset));
        }
    }
    return lines;
}

bool loadLanguageTexts(int language, const std::string& folder, LanguageTexts& texts) {
    const LanguageInfo* info = languageBySprache(language);
    if (!info)
        return false;
    NoComponents none;
    try {
        const bool loaded = applyLanguage(folder + kComponentListFile, folder + info->file, none, texts.messages);
        texts.language = language;
        return loaded;
    } catch (...) {
        texts.language = language;
        throw;
    }
}

} // namespace rz
