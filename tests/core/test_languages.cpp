// Language files: choosing a language, the component search, the message
// table, the file encodings and the component list.
#include <gtest/gtest.h>
#include <cerrno>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>

#include "TestSupport.h"
#include "common/IoError.h"
#include "common/ProgramTexts.h"
#include "common/TextFile.h"
#include "i18n/LanguageFiles.h"
#include "common/TextCodec.h"

using namespace rz;
using rz::test::ScriptedPlatform;
using rz::test::TempDir;

namespace {

using K = ComponentKind;

// A few windows with the kinds of components the program has.
class FakeTree : public IComponentTree {
public:
    struct Window {
        std::string name;
        std::vector<ComponentInfo> components;
    };
    std::vector<Window> windows;
    std::map<std::string, std::string> editTexts; // "Form1.Edit85" -> text
    std::set<std::string> refusing;               // components whose texts cannot be set
    int setCalls = 0;

    FakeTree() {
        windows = {
            {"Form1",
             {
                 {"Form1", K::Window, 0, "Quendrals Kalvento", "", 1},
                 {"SpracheLanguage1", K::MenuItem, 0, "Sprache/&Language", "", 1},
                 {"Deutsch1", K::MenuItem, 1, "Deutsch", "", 1},
                 {"Russisch1", K::MenuItem, 1, "русский", "", 1},
                 {"N2", K::MenuItem, 0, "中国的", "", 1},
                 {"TabSheet1", K::TabSheet, 0, "Tipp-Übersicht", "", 1},
                 {"BitBtn4", K::BitBtn, 0, "Tipps berechnen", "Starten Sie hier die Berechnung", 1},
                 {"Label28", K::Label, 0, "1. Tipp", "Tipp sperren", 1},
                 {"Edit1", K::Edit, 8, "", "", 1},
                 {"Edit85", K::Edit, 0, "", "Die erste X Prozent", 1},
                 {"Edit37", K::Edit, 0, "", "", 1},
                 {"Label43", K::Label, 8, "www.quendral.example", "", 1},
                 {"UpDown1", K::Other, 0, "", "", 1},
                 {"CheckBox2", K::CheckBox, 0, "Zahlen die besonders oft gezogen wurden", "Die ersten X%", 1},
                 {"RadioGroup1", K::RadioGroup, 0, "Megaball Option", "", 1},
                 {"Panel3", K::Panel, 0, "", "", 1},
                 {"SpeedButton2", K::SpeedButton, 0, "", "Verteilung der gezogenen Zahlen", 1},
             }},
            {"Form3",
             {
                 {"Form3", K::Window, 0, "Ziehung eingeben", "", 1},
                 {"Label1", K::Label, 0, "Datum", "", 1},
                 {"BitBtn1", K::BitBtn, 0, "Übernehmen", "", 1},
                 {"RadioButton1", K::RadioButton, 0, "einfach", "", 1},
                 {"Button1", K::Button, 0, "Abbrechen", "", 1},
             }},
        };
        editTexts["Form1.Edit85"] = "30";
    }

    std::vector<std::string> windowNames() const override {
        std::vector<std::string> n;
        for (const Window& w : windows)
            n.push_back(w.name);
        return n;
    }
    std::vector<ComponentInfo> components(const std::string& window) const override {
        for (const Window& w : windows)
            if (w.name == window)
                return w.components;
        return {};
    }
    void setTexts(const std::string& window, const std::string& name, bool setCaption, const std::string& caption,
                  const std::string& hint) override {
        ++setCalls;
        if (refusing.count(name))
            throw std::runtime_error("cannot set");
        ComponentInfo& c = find(window, name);
        if (setCaption)
            c.caption = caption;
        c.hint = hint;
    }

    ComponentInfo& find(const std::string& window, const std::string& name) {
        for (Window& w : windows)
            if (w.name == window)
                for (ComponentInfo& c : w.components)
                    if (c.name == name)
                        return c;
        throw std::logic_error("no component " + window + "." + name);
    }
    std::string caption(const std::string& window, const std::string& name) { return find(window, name).caption; }
    std::string hint(const std::string& window, const std::string& name) { return find(window, name).hint; }

    // Every text, for comparing whole states.
    std::vector<std::string> snapshot() const {
        std::vector<std::string> s;
        for (const Window& w : windows)
            for (const ComponentInfo& c : w.components)
                s.push_back(w.name + "." + c.name + "=" + c.caption + "|" + c.hint);
        return s;
    }
};

enum class Encoding { Utf8Bom, Utf16LeBom, Utf16BeBom, Cp1252 };

std::u32string codePoints(const std::string& utf8) {
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        for (int k = 1; k < len; ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
        out.push_back(c);
        i += static_cast<std::size_t>(len);
    }
    return out;
}

std::string encode(const std::vector<std::string>& lines, Encoding e) {
    std::string text;
    for (const std::string& l : lines)
        text += l + "\r\n";
    if (e == Encoding::Utf8Bom)
        return "\xEF\xBB\xBF" + text;
    std::string out;
    if (e == Encoding::Cp1252) {
        for (char32_t c : codePoints(text)) {
            if (c == 0x20AC)
                out.push_back('\x80');
            else if (c == 0x2013)
                out.push_back('\x96');
            else if (c < 0x100)
                out.push_back(static_cast<char>(c));
            else
                throw std::logic_error("not in Windows-1252");
        }
        return out;
    }
    const bool be = e == Encoding::Utf16BeBom;
    auto unit = [&](char32_t u) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += be ? std::string{hi, lo} : std::string{lo, hi};
    };
    unit(0xFEFF);
    for (char32_t c : codePoints(text)) {
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

// The language's texts for a component list: "<tag>:<name>" and "<tag>-hint:<name>".
std::vector<std::string> translation(const std::vector<std::string>& list, const std::string& tag) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i + 1 < list.size(); i += 5) {
        lines.push_back(tag + ":" + list[i + 1]);
        lines.push_back(tag + "-hint:" + list[i + 1]);
    }
    return lines;
}

std::vector<std::string> messages(const std::string& tag, int count = 62) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i)
        lines.push_back(" " + tag + " message " + std::to_string(i) + " ");
    return lines;
}

class LanguageTest : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedPlatform platform;
    FakeTree tree;
    MainModel model;
    std::vector<std::string> list;

    LanguageTest() {
        platform.attach(model);
        model.Home = dir.str();
        model.componentTree = &tree;
        std::filesystem::create_directories(land());
        list = componentListLines(tree);
        writeList(list);
    }

    std::string land() const { return dir.str() + "land"; }
    std::string path(const std::string& file) const { return (std::filesystem::path(land()) / file).string(); }
    void writeList(const std::vector<std::string>& lines, Encoding e = Encoding::Utf8Bom) {
        test::writeFile(path("RuvuZevodare.txt"), encode(lines, e));
    }
    // A language with texts and messages tagged by its file's code.
    void writeLanguage(const std::string& file, const std::string& tag, Encoding e = Encoding::Utf8Bom) {
        test::writeFile(path(file), encode(translation(list, tag), e));
        test::writeFile(path(file + ".meld"), encode(messages(tag), e));
    }
};

} // namespace

TEST_F(LanguageTest, ChoosingALanguageReplacesCaptionsHintsAndMessages) {
    writeLanguage("Mega_en.txt", "en");
    model.Englich1Click();

    EXPECT_EQ(model.sprache, 2);
    EXPECT_EQ(model.LanguageChecked, 2);
    EXPECT_EQ(model.OpenDialog1FileName, path("Mega_en.txt"));
    EXPECT_EQ(tree.caption("Form1", "BitBtn4"), "en:BitBtn4");
    EXPECT_EQ(tree.hint("Form1", "BitBtn4"), "en-hint:BitBtn4");
    EXPECT_EQ(model.BitBtn4Caption, "en:BitBtn4");
    EXPECT_EQ(model.Tippsberechnen, "en:BitBtn4");
    EXPECT_EQ(tree.caption("Form1", "TabSheet1"), "en:TabSheet1");
    EXPECT_EQ(tree.caption("Form1", "RadioGroup1"), "en:RadioGroup1");
    EXPECT_EQ(tree.caption("Form3", "Button1"), "en:Button1");
    // The seven language items keep their own names; the eighth is translated.
    EXPECT_EQ(tree.caption("Form1", "Deutsch1"), "Deutsch");
    EXPECT_EQ(tree.caption("Form1", "Russisch1"), "русский");
    EXPECT_EQ(tree.caption("Form1", "N2"), "en:N2");
    // Tag 8 (the maker's labels), tip fields and other controls keep theirs.
    EXPECT_EQ(tree.caption("Form1", "Label43"), "www.quendral.example");
    EXPECT_EQ(tree.hint("Form1", "Edit1"), "");
    EXPECT_EQ(tree.hint("Form1", "UpDown1"), "");
    // An edit field gets only its hint.
    EXPECT_EQ(tree.caption("Form1", "Edit85"), "");
    EXPECT_EQ(tree.hint("Form1", "Edit85"), "en-hint:Edit85");
    // The main window keeps its title; the entry window takes the file's.
    EXPECT_EQ(tree.caption("Form1", "Form1"), "Quendrals Kalvento");
    EXPECT_EQ(tree.caption("Form3", "Form3"), "en:Form3");
    // Messages keep their blanks.
    EXPECT_EQ(model.msg(0), " en message 0 ");
    EXPECT_EQ(model.msg(61), " en message 61 ");
}

TEST_F(LanguageTest, MissingFilesChangeNothingButTheChoice) {
    struct Case {
        const char* what;
        const char* remove; // a file of the folder, or "" for the whole folder
        bool textsChange;
        bool messagesChange;
    };
    const Case cases[] = {
        {"no component list", "RuvuZevodare.txt", false, false},
        {"no language file", "Mega_fr.txt", false, false},
        {"no message file", "Mega_fr.txt.meld", true, false},
        {"no land folder", "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::create_directories(land());
        writeList(list);
        writeLanguage("Mega_fr.txt", "fr");
        tree = FakeTree();
        model.Memo2 = MessageTable();
        model.sprache = 0;
        if (*c.remove)
            std::filesystem::remove(path(c.remove));
        else
            std::filesystem::remove_all(land());
        const auto before = tree.snapshot();

        model.Franz1Click();

        EXPECT_EQ(model.sprache, 3);
        EXPECT_EQ(model.LanguageChecked, 3);
        EXPECT_EQ(tree.snapshot() != before, c.textsChange);
        EXPECT_EQ(model.msg(42), c.messagesChange ? " fr message 42 " : "Stoppen");
        EXPECT_EQ(tree.caption("Form1", "Label28"), c.textsChange ? "fr:Label28" : "1. Tipp");
    }
}

TEST_F(LanguageTest, GermanWithoutItsFileKeepsThePreviousLanguage) {
    writeLanguage("Mega_en.txt", "en");
    model.Englich1Click();
    model.Deutsch1Click();
    EXPECT_EQ(model.sprache, 1);
    EXPECT_EQ(model.LanguageChecked, 1);
    EXPECT_EQ(model.OpenDialog1FileName, path("Mega_de.txt"));
    EXPECT_EQ(tree.caption("Form1", "Label28"), "en:Label28");
    EXPECT_EQ(model.msg(3), " en message 3 ");
}

TEST_F(LanguageTest, SearchLooksElevenRecordsAhead) {
    // Records of components the windows do not have, put before a component:
    // the search covers the record of the last component found and the ten
    // after it (from the first record at the start).
    auto withGhosts = [&](const std::string& before, int ghosts) {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < list.size(); i += 5) {
            if (list[i + 1] == before)
                for (int g = 0; g < ghosts; ++g)
                    lines.insert(lines.end(), {"Form1", "Ghost" + std::to_string(g), "x", "", "1"});
            lines.insert(lines.end(), list.begin() + static_cast<long>(i), list.begin() + static_cast<long>(i) + 5);
        }
        return lines;
    };
    struct Case {
        const char* before; // the ghosts go before this record
        const char* probe;  // the first component after them that has texts
        int ghosts;
        bool found;
    };
    const Case cases[] = {
        {"Label28", "Label28", 0, true},   {"Label28", "Label28", 9, true},
        {"Label28", "Label28", 10, false}, {"Label28", "Label28", 30, false},
        {"Form1", "SpracheLanguage1", 10, true}, // nothing found before them
        {"Form1", "SpracheLanguage1", 11, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.before) + " after " + std::to_string(c.ghosts));
        tree = FakeTree();
        const auto lines = withGhosts(c.before, c.ghosts);
        writeList(lines);
        test::writeFile(path("Mega_it.txt"), encode(translation(lines, "it"), Encoding::Utf8Bom));
        model.Italenisch1Click();
        // Before the gap everything is found; after it, everything or nothing.
        if (std::string(c.before) == "Label28")
            EXPECT_EQ(tree.caption("Form1", "BitBtn4"), "it:BitBtn4");
        EXPECT_EQ(tree.caption("Form1", c.probe), c.found ? "it:" + std::string(c.probe) : FakeTree().caption("Form1", c.probe));
        EXPECT_EQ(tree.caption("Form1", "CheckBox2"), c.found ? "it:CheckBox2" : "Zahlen die besonders oft gezogen wurden");
        EXPECT_EQ(tree.caption("Form3", "Button1"), c.found ? "it:Button1" : "Abbrechen");
    }
}

TEST_F(LanguageTest, UnlistedComponentKeepsItsTextsAndTheNextIsFound) {
    writeLanguage("Mega_es.txt", "es");
    // A component added to the window after the list was made.
    auto& comps = tree.windows[0].components;
    comps.insert(comps.begin() + 7, ComponentInfo{"Label99", K::Label, 0, "Neu", "", 1});
    tree.refusing.insert("CheckBox2"); // and one whose texts cannot be set
    model.Spanisch1Click();
    EXPECT_EQ(tree.caption("Form1", "Label99"), "Neu");
    EXPECT_EQ(tree.caption("Form1", "CheckBox2"), "Zahlen die besonders oft gezogen wurden");
    EXPECT_EQ(tree.caption("Form1", "Label28"), "es:Label28");
    EXPECT_EQ(tree.caption("Form1", "RadioGroup1"), "es:RadioGroup1");
    EXPECT_EQ(tree.caption("Form3", "Label1"), "es:Label1");
}

TEST_F(LanguageTest, LoadingTwiceEqualsLoadingOnce) {
    writeLanguage("Mega_pt.txt", "pt");
    writeLanguage("Mega_ru.txt", "ru");
    model.Porugiesisch1Click();
    const auto once = tree.snapshot();
    const auto messagesOnce = model.Memo2.lines();
    model.Porugiesisch1Click();
    EXPECT_EQ(tree.snapshot(), once);
    model.Russisch1Click();
    model.Porugiesisch1Click();
    EXPECT_EQ(tree.snapshot(), once);
    EXPECT_EQ(model.Memo2.lines(), messagesOnce);
    EXPECT_EQ(model.Tippsberechnen, "pt:BitBtn4");
}

TEST_F(LanguageTest, ShortFilesGiveEmptyTexts) {
    // The language file ends after the third record, the message file after three lines.
    auto texts = translation(list, "cn");
    texts.resize(10); // up to N2, the fifth record
    test::writeFile(path("Mega_cn.txt"), encode(texts, Encoding::Utf8Bom));
    test::writeFile(path("Mega_cn.txt.meld"), encode(messages("cn", 3), Encoding::Utf8Bom));
    model.N2Click();
    EXPECT_EQ(tree.caption("Form1", "SpracheLanguage1"), "cn:SpracheLanguage1");
    EXPECT_EQ(tree.caption("Form1", "N2"), "cn:N2");
    EXPECT_EQ(tree.caption("Form1", "BitBtn4"), "");
    EXPECT_EQ(tree.hint("Form1", "BitBtn4"), "");
    EXPECT_EQ(tree.caption("Form3", "Button1"), "");
    EXPECT_EQ(model.msg(2), " cn message 2 ");
    EXPECT_EQ(model.msg(3), "");
    EXPECT_EQ(model.msg(42), "");
}

TEST_F(LanguageTest, FilesInEveryEncoding) {
    struct Case {
        Encoding e;
        std::string caption;
    };
    const Case cases[] = {
        {Encoding::Utf8Bom, "计算号码 😀"},
        {Encoding::Utf16LeBom, "Рассчитать 😀"},
        {Encoding::Utf16BeBom, "Calculer les numéros"},
        {Encoding::Cp1252, "Calculer «numéros» – €"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        tree = FakeTree();
        auto texts = translation(list, "x");
        texts[2 * 6] = c.caption; // BitBtn4 is the seventh record
        test::writeFile(path("Mega_fr.txt"), encode(texts, c.e));
        test::writeFile(path("Mega_fr.txt.meld"), encode({"Première", "Zweite ä"}, c.e));
        model.Franz1Click();
        EXPECT_EQ(tree.caption("Form1", "BitBtn4"), c.caption);
        EXPECT_EQ(model.msg(0), "Première");
        EXPECT_EQ(model.msg(1), "Zweite ä");
    }
}

TEST_F(LanguageTest, StatisticsTitleAfterASwitchComesFromTheNewMessages) {
    test::writeDatabase(model.DatabasePath(), {test::rec(2020, 1, 3, {1, 2, 3, 4, 5}, 6),
                                               test::rec(2020, 1, 7, {6, 7, 8, 9, 10}, 7)});
    ASSERT_TRUE(model.DateTimePicker2.setDate(dayFromYmd(2020, 1, 1)));
    ASSERT_TRUE(model.DateTimePicker1.setDate(dayFromYmd(2020, 1, 7)));
    model.Button5Click();
    EXPECT_EQ(model.chart.Title, MessageTable::builtIn()[26]);
    writeLanguage("Mega_en.txt", "en");
    model.Englich1Click();
    model.Button5Click();
    EXPECT_EQ(model.chart.Title, " en message 26 ");
}

TEST_F(LanguageTest, DrawingCaptionsFollowTheSwitch) {
    test::writeDatabase(model.DatabasePath(), {test::rec(2019, 10, 18, {18, 58, 60, 65, 67}, 20),
                                               test::rec(2019, 10, 22, {5, 12, 33, 41, 70}, 7),
                                               test::rec(2019, 10, 25, {16, 24, 25, 52, 60}, 6)});
    ASSERT_TRUE(model.DateTimePicker1.setDate(dayFromYmd(2019, 10, 20)));
    model.SpeedButton5Click();
    ASSERT_EQ(model.Label29, "Di 22.10.19    5  12  33  41  70 MB:7 MP:2");
    writeLanguage("Mega_en.txt", "en");
    model.Englich1Click();
    EXPECT_EQ(model.Label29, "Tue 22.10.19    5  12  33  41  70 MB:7 MP:2");
    EXPECT_EQ(model.Label35, model.Label29);
    EXPECT_EQ(model.Label13, " en message 43 : 161");
    // Without its files the weekday names still follow the choice.
    model.Russisch1Click();
    EXPECT_EQ(model.Label29, "Вт 22.10.19    5  12  33  41  70 MB:7 MP:2");
    model.SpeedButton6Click(); // the previous drawing, in the other spacing
    model.Deutsch1Click();
    EXPECT_EQ(model.Label29, "Fr 18.10.19    18  58  60  65  67   MB: 20 MP: 2");
}

TEST_F(LanguageTest, StartUpAppliesTheStoredLanguage) {
    writeLanguage("Mega_fr.txt", "fr");
    struct Case {
        int sprache;
        int checked;
        const char* label28;
    };
    for (const Case c : {Case{0, 0, "1. Tipp"}, Case{9, 0, "1. Tipp"}, Case{-1, 0, "1. Tipp"}, Case{3, 3, "fr:Label28"}}) {
        SCOPED_TRACE(c.sprache);
        tree = FakeTree();
        model.LanguageChecked = 0;
        model.sprache = c.sprache;
        model.SpracheSetzen();
        EXPECT_EQ(model.sprache, c.sprache);
        EXPECT_EQ(model.LanguageChecked, c.checked);
        EXPECT_EQ(tree.caption("Form1", "Label28"), c.label28);
    }
}

TEST_F(LanguageTest, UnreadableLanguageFileIsReportedAndStartUpGoesOn) {
    std::filesystem::create_directories(path("Mega_ru.txt")); // a folder where the file should be
    model.sprache = 6;
    model.SpracheSetzen();
    EXPECT_EQ(model.sprache, 6);
    EXPECT_EQ(model.LanguageChecked, 6);
    EXPECT_EQ(tree.caption("Form1", "Label28"), "1. Tipp");
    ASSERT_GE(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].find("Mega_ru.txt"), std::string::npos);
}

TEST_F(LanguageTest, SwitchDuringARunKeepsTheStopButton) {
    std::vector<std::string> withoutRunButton;
    for (std::size_t i = 0; i < list.size(); i += 5)
        if (list[i + 1] != "BitBtn4")
            withoutRunButton.insert(withoutRunButton.end(), list.begin() + static_cast<long>(i),
                                    list.begin() + static_cast<long>(i) + 5);
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        const char* returnsTo;
    };
    const Case cases[] = {
        {"the file has the run button", list, "en:BitBtn4"},
        {"the file lacks the run button", withoutRunButton, "Tipps berechnen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeList(c.lines);
        test::writeFile(path("Mega_en.txt"), encode(translation(c.lines, "en"), Encoding::Utf8Bom));
        test::writeFile(path("Mega_en.txt.meld"), encode(messages("en"), Encoding::Utf8Bom));
        model.Memo2 = MessageTable();
        model.Tippsberechnen = "Tipps berechnen";
        model.BitBtn4Caption = model.msg(42);
        {
            OperationScope run(model.operation, OperationKind::Generation);
            model.Englich1Click();
            EXPECT_EQ(model.BitBtn4Caption, " en message 42 "); // still the stop button
            EXPECT_EQ(model.Tippsberechnen, c.returnsTo);
            EXPECT_FALSE(model.operation.stopRequested);
        }
    }
}

TEST(ComponentList, FiveLinesPerTranslatableComponent) {
    FakeTree tree;
    const auto lines = componentListLines(tree);
    ASSERT_EQ(lines.size() % 5, 0u);
    // Edit85 has a hint and is listed with it as caption; Edit1 and Edit37
    // have none; UpDown1 is no translatable kind; Tag-8 and Tag-1 items are listed.
    std::vector<std::string> names;
    for (std::size_t i = 0; i < lines.size(); i += 5)
        names.push_back(lines[i] + "." + lines[i + 1]);
    const std::vector<std::string> expected = {
        "Form1.Form1",     "Form1.SpracheLanguage1", "Form1.Deutsch1",    "Form1.Russisch1",   "Form1.N2",
        "Form1.TabSheet1", "Form1.BitBtn4",          "Form1.Label28",     "Form1.Edit85",      "Form1.Label43",
        "Form1.CheckBox2", "Form1.RadioGroup1",      "Form1.Panel3",      "Form1.SpeedButton2", "Form3.Form3",
        "Form3.Label1",    "Form3.BitBtn1",          "Form3.RadioButton1", "Form3.Button1",
    };
    EXPECT_EQ(names, expected);
    const std::vector<std::string> edit85(lines.begin() + 40, lines.begin() + 45);
    EXPECT_EQ(edit85, (std::vector<std::string>{"Form1", "Edit85", "Die erste X Prozent", "Die erste X Prozent", "1"}));
    const std::vector<std::string> bitBtn4(lines.begin() + 30, lines.begin() + 35);
    EXPECT_EQ(bitBtn4,
              (std::vector<std::string>{"Form1", "BitBtn4", "Tipps berechnen", "Starten Sie hier die Berechnung", "1"}));

    tree.find("Form3", "Label1").caption = "zwei\nZeilen";
    EXPECT_THROW(componentListLines(tree), std::invalid_argument);
}

TEST(LanguageFileText, BytesToUtf8) {
    // Language files are UTF-8 or UTF-16 with a mark, else Windows-1252.
    struct Case {
        const char* what;
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"UTF-8 with mark", "\xEF\xBB\xBF" "a\xC3\xA4\xE4\xB8\xAD", "aä中"},
        // One U+FFFD for each maximal invalid part: an encoded surrogate is three.
        {"UTF-8 with mark, broken sequences", "\xEF\xBB\xBF" "a\xC3" "b\x80\xC0\xAF\xED\xA0\x80",
         "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"UTF-16 LE with pair", std::string("\xFF\xFE" "a\0\xE4\0\x3D\xD8\x00\xDE", 10), "aä😀"},
        {"UTF-16 BE", std::string("\xFE\xFF\0a\x04\x40", 6), "aр"},
        {"UTF-16 lone surrogate and odd byte", std::string("\xFF\xFE\x00\xDC" "a\0x", 7),
         "\xEF\xBF\xBD" "a\xEF\xBF\xBD"},
        {"Windows-1252 without mark", "fran\xE7" "ais \x80 \x93q\x94 \x81", "français € “q” \xC2\x81"},
        {"plain ASCII", "abc", "abc"},
        {"empty", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decodeText(c.bytes, NoBomRule::Windows1252).text, c.text) << c.what;
}

TEST(LanguageFileText, LinesEndAtCrLfLfOrCrAndAreNeverCut) {
    using L = std::vector<std::string>;
    struct Case {
        std::string text;
        L lines;
    };
    const std::string longLine(5000, 'x');
    const Case cases[] = {
        {"a\r\nb\r\n", L{"a", "b"}},
        {"a\r\nb", L{"a", "b"}},
        {"a\nb\rc\r\n\r\n", L{"a", "b", "c", ""}},
        {"\r\n", L{""}},
        {"", L{}},
        {" a \r\n  ", L{" a ", "  "}},
        {longLine + "\r\nz", L{longLine, "z"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitLines(c.text), c.lines) << c.text.substr(0, 20);
}

// ------------------------------------------------------------ program texts

namespace {

// A message file: the 62 lines, then one line per program text "<tag> text <i>"
// for the texts `given` lets through (an empty line for the others).
std::vector<std::string> messagesWithProgramTexts(const std::string& tag, std::size_t count,
                                                  const std::function<bool(std::size_t)>& given) {
    std::vector<std::string> lines = messages(tag);
    for (std::size_t i = 0; i < count; ++i)
        lines.push_back(given(i) ? tag + " text " + std::to_string(i) : std::string());
    return lines;
}

std::string textOf(Txt id) { return txt(id); }
std::size_t indexOf(Txt id) { return static_cast<std::size_t>(id); }

} // namespace

TEST_F(LanguageTest, ProgramTextsFollowTheMessageLinesAndMissingLinesKeepTheBuiltInText) {
    const std::size_t n = static_cast<std::size_t>(Txt::Count);
    ASSERT_EQ(builtInProgramTexts().size(), n);
    struct Case {
        const char* what;
        std::vector<std::string> meld;
        std::function<std::string(Txt)> expected;
    };
    const auto builtIn = [](Txt id) { return builtInProgramTexts()[indexOf(id)]; };
    const Case cases[] = {
        {"every line given", messagesWithProgramTexts("en", n, [](std::size_t) { return true; }),
         [](Txt id) { return "en text " + std::to_string(indexOf(id)); }},
        {"a file of only the 62 message lines", messages("en"), builtIn},
        {"a file that ends in the middle", messagesWithProgramTexts("en", n / 2, [](std::size_t) { return true; }),
         [&](Txt id) { return indexOf(id) < n / 2 ? "en text " + std::to_string(indexOf(id)) : builtIn(id); }},
        {"empty lines keep the built-in text", messagesWithProgramTexts("en", n, [](std::size_t i) { return i % 2 == 0; }),
         [&](Txt id) { return indexOf(id) % 2 == 0 ? "en text " + std::to_string(indexOf(id)) : builtIn(id); }},
        {"lines after the last text are ignored", messagesWithProgramTexts("en", n + 5, [](std::size_t) { return true; }),
         [](Txt id) { return "en text " + std::to_string(indexOf(id)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        resetProgramTexts();
        test::writeFile(path("Mega_en.txt"), encode(translation(list, "en"), Encoding::Utf8Bom));
        test::writeFile(path("Mega_en.txt.meld"), encode(c.meld, Encoding::Utf8Bom));
        model.Englich1Click();
        EXPECT_EQ(model.msg(61), " en message 61 ");
        for (Txt id : {Txt::HttpConnectionRefused, Txt::HttpHostNotFound, Txt::AnalysisPass, Txt::NotAnInteger,
                       Txt::EntryFutureDate, Txt::SysNotFound, Txt::SysOther, Txt::ImportSummaryLines,
                       Txt::ImportFileFilter})
            EXPECT_EQ(textOf(id), c.expected(id)) << indexOf(id);
    }
    // A new model starts with the built-in texts again.
    MainModel fresh;
    EXPECT_EQ(txt(Txt::HttpHostNotFound), "Server nicht gefunden");
}

TEST(ProgramTexts, PlacesAreFilledOnceAndSystemErrorsHaveTheirOwnWords) {
    resetProgramTexts();
    EXPECT_EQ(txt(Txt::AnalysisPass, {"12", "470", "26.03.2021"}), "Durchlauf 12 von etwa 470, 26.03.2021");
    // An argument holding a place is not filled again; a place without an argument stays.
    EXPECT_EQ(txt(Txt::NoConnectionBecause, {"%2", "x"}), "Keine Verbindung zum Datenserver %2: x");
    EXPECT_EQ(txt(Txt::NoConnectionBecause, {"a"}), "Keine Verbindung zum Datenserver a: %2");
    const std::pair<int, const char*> errors[] = {
        {ENOENT, "Datei oder Ordner nicht gefunden"}, {EACCES, "Zugriff verweigert"}, {EPERM, "Zugriff verweigert"},
        {ENOSPC, "kein Platz mehr auf dem Datenträger"}, {EIO, "Ein-/Ausgabefehler"}, {EISDIR, "ist ein Ordner"},
        {EROFS, "der Datenträger ist schreibgeschützt"}, {ENOTDIR, "ein Teil des Pfades ist kein Ordner"},
        {EDOM, "Systemfehler 33"},
    };
    for (const auto& [err, text] : errors)
        EXPECT_EQ(systemErrorText(err), text) << err;
    // A file error is one sentence in the program's language, whatever the system's locale.
    TempDir dir;
    try {
        readTextFileLines(dir.file("missing.txt"));
        ADD_FAILURE() << "no error";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()), "\"" + dir.file("missing.txt") + "\" kann nicht geöffnet werden: "
                                                                          "Datei oder Ordner nicht gefunden");
    }
}

TEST_F(LanguageTest, NumberListRandomButtonFollowsTheLanguage) {
    tree.windows.push_back({"Form6", {{"Form6", K::Window, 0, "Welche Zahlen", "", 1},
                                      {"BitBtn4", K::BitBtn, 0, "&Zufall", "", 1}}});
    list = componentListLines(tree);
    writeList(list);
    writeLanguage("Mega_en.txt", "en");
    writeLanguage("Mega_ru.txt", "ru");

    model.Englich1Click();
    EXPECT_EQ(model.numberList.randomButtonCaption, "en:BitBtn4");
    // A random draw ends on the language's word for "random" ...
    model.Russisch1Click();
    EXPECT_EQ(model.numberList.randomButtonCaption, "ru:BitBtn4");
    model.numberList.timerRunning = true;
    model.numberList.MaxTipp = 5;
    model.numberList.Losgeht = 5;
    model.numberList.randomButtonClick();
    EXPECT_EQ(model.numberList.randomButtonCaption, " ru message 60 ");
    // ... and a switch during a draw leaves its counter alone.
    model.numberList.timerRunning = true;
    model.numberList.randomButtonCaption = "3 Stop";
    model.Englich1Click();
    EXPECT_EQ(model.numberList.randomButtonCaption, "3 Stop");
    EXPECT_EQ(model.numberList.Stopp, " en message 61 ");
}
