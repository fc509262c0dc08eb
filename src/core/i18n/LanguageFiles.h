#pragma once
#include <array>
#include <string>
#include <vector>

#include "i18n/ComponentTree.h"
#include "services/MessageTable.h"

namespace rz {

// One entry of the language menu "Sprache/&Language".
struct LanguageInfo {
    const char* menuItem; // control name: "Deutsch1", ..., "N2"
    const char* caption;  // the built-in caption (a language file names the language in its own language)
    const char* file;     // "Mega_de.txt", in the folder "land"
    int sprache;          // 1..8
    int tag;              // 0: the language file gives the item its caption
};

// The eight languages in the order of the menu.
const std::array<LanguageInfo, 8>& languageTable();
// nullptr unless sprache is 1..8.
const LanguageInfo* languageBySprache(int sprache);

inline constexpr const char* kLanguageFolder = "land";
inline constexpr const char* kComponentListFile = "RuvuZevodare.txt";
// The message file of a language file: its full name + ".meld".
inline std::string messageFileOf(const std::string& languageFile) { return languageFile + ".meld"; }

// An empty tree: no windows (the command line has none).
class NoComponents : public IComponentTree {
public:
    std::vector<std::string> windowNames() const override { return {}; }
    std::vector<ComponentInfo> components(const std::string&) const override { return {}; }
    void setTexts(const std::string&, const std::string&, bool, const std::string&, const std::string&) override {}
};

// True for the kinds whose texts a language file carries.
bool isTranslatable(ComponentKind kind);

// Applies a language: when the component list or the language file is
// missing nothing changes and the result is false. Otherwise the message
// table is replaced by the message file (when it exists) and every
// translatable component with Tag 0 that the component list names, within
// eleven records of the last one found, gets its caption and hint from the
// language file. The message file's lines from 63 on become the program's
// own texts (common/ProgramTexts.h). The main window's title and the texts
// of edit fields never change; another window's title changes when the
// language file has one.
// Throws IoError when a file exists but cannot be read.
bool applyLanguage(const std::string& componentListPath, const std::string& languageFilePath,
                   IComponentTree& tree, MessageTable& messages);

// The component list of the windows: five lines a record (window, name,
// caption or an edit field's hint, hint, character set) for every
// translatable component whatever its Tag, edit fields only with a hint.
// Throws std::invalid_argument for a text with a line break, which the
// list cannot carry.
std::vector<std::string> componentListLines(const IComponentTree& tree);

} // namespace rz

namespace rz {

// A language for commands without windows (the command line, the use-case
// services): its number (0: the built-in German texts) and its messages.
struct LanguageTexts {
    int language = 0;
    MessageTable messages;
    const std::string& msg(Msg id) const { return messages.line(id); }
};

// Takes language 1..8 from the language folder (with trailing separator):
// its number, its messages and the program's own texts. When its files are
// missing the result is false and only the number changes (weekday names
// follow it, as the language menu's choice stands); throws IoError when they
// cannot be read. Any other number changes nothing and gives false.
bool loadLanguageTexts(int language, const std::string& folder, LanguageTexts& texts);

} // namespace rz
