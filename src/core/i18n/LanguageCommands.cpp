// The language menu of the main window and the language file command.
#include <filesystem>

#include "app/MainModel.h"
#include "i18n/LanguageFiles.h"

namespace rz {
namespace {

// Passes every text on to the windows and gives the model the new caption
// of the run button (the model shows it and restores it after a run).
class CaptionKeeper : public IComponentTree {
public:
    CaptionKeeper(IComponentTree& inner, MainModel& m) : inner_(inner), m_(m) {}
    std::vector<std::string> windowNames() const override {
        auto names = inner_.windowNames();
        if (!names.empty())
            mainWindow_ = names.front();
        return names;
    }
    std::vector<ComponentInfo> components(const std::string& window) const override {
        return inner_.components(window);
    }
    void setTexts(const std::string& window, const std::string& component, bool setCaption,
                  const std::string& caption, const std::string& hint) override {
        inner_.setTexts(window, component, setCaption, caption, hint);
        if (setCaption && window == mainWindow_ && component == "BitBtn4")
            m_.setRunButtonCaption(caption);
        // The number list's random button shows the model's caption; while
        // no random draw runs that is the language's caption.
        if (setCaption && window == "Form6" && component == "BitBtn4" && !m_.numberList.timerRunning)
            m_.numberList.randomButtonCaption = caption;
    }

private:
    IComponentTree& inner_;
    MainModel& m_;
    mutable std::string mainWindow_;
};

// The drawing captions are composed from the language's weekday names and
// message 43; a switch composes the shown ones again, with the same spacing.
void recomposeDrawingCaptions(MainModel& m, int oldLanguage) {
    if (m.Label29.empty())
        return;
    const std::string oldDate = formatCaptionDate(m.cur.Datum1, oldLanguage);
    if (m.Label29.compare(0, oldDate.size(), oldDate) != 0)
        return;
    const bool tipCopy = m.Label35 == m.Label29;
    m.Label29 = formatCaptionDate(m.cur.Datum1, m.sprache) + m.Label29.substr(oldDate.size());
    if (tipCopy)
        m.Label35 = m.Label29;
    m.Label13 = m.msg(43) + ": " + std::to_string(drawingSum(m.cur));
}

} // namespace

std::string MainModel::languageFolder() const {
    std::string dir = LanguageDir;
    if (dir.empty())
        dir = paths().languageFolder();
    if (dir.back() != '/' && dir.back() != '\\')
        dir += std::filesystem::path::preferred_separator;
    return dir;
}

bool MainModel::chooseLanguage(int language) {
    const LanguageInfo* info = languageBySprache(language);
    if (!info)
        return false;
    OpenDialog1FileName = languageFolder() + info->file;
    LanguageChecked = language;
    const int oldLanguage = sprache;
    bool loaded = false;
    try {
        loaded = DateiLaden1Click();
    } catch (...) {
        // The choice stands even when its files could not be read.
        sprache = language;
        recomposeDrawingCaptions(*this, oldLanguage);
        changed();
        throw;
    }
    sprache = language;
    recomposeDrawingCaptions(*this, oldLanguage);
    changed();
    return loaded;
}

bool MainModel::DateiLaden1Click() {
    NoComponents none;
    CaptionKeeper tree(componentTree ? *componentTree : static_cast<IComponentTree&>(none), *this);
    const bool loaded = applyLanguage(languageFolder() + kComponentListFile, OpenDialog1FileName, tree, Memo2);
    if (!loaded)
        return false;
    // What the random button returns to after a draw, in the new language.
    numberList.Zufall = msg(60);
    numberList.Stopp = msg(61);
    if (operation.running(OperationKind::Generation)) {
        // During a run the button offers to stop it, in the new language;
        // once the stop is requested it shows the caption it returns to.
        BitBtn4Caption = operation.stopRequested ? Tippsberechnen : msg(42);
    } else {
        Tippsberechnen = BitBtn4Caption;
    }
    return true;
}

} // namespace rz
