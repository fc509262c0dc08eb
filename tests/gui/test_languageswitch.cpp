// The program in eight languages: the shipped component list is the one the
// windows make, the first start is English, every language applies to the
// real window with all texts fitting, and the choice, the settings and the
// window size survive a restart.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "../core/TestSupport.h"
#include "WindowFixture.h"
#include "DarovAduzez.h"
#include "GuiFit.h"
#include "QtComponentTree.h"
#include "QtHttp.h"
#include "common/ProgramTexts.h"
#include "i18n/LanguageFiles.h"
#include "common/TextFile.h"
#include "settings/SettingsStore.h"

using rz::test::rec;

namespace {

const std::string& kShippedLand = rz::test::kShippedLanguages;

// The texts a language file gives each listed control: "Form1.BitBtn4" -> caption.
struct LanguageTexts {
    std::map<std::string, std::string> caption;
    std::map<std::string, std::string> hint;
    std::vector<std::string> messages;
};

LanguageTexts readLanguage(const std::string& file) {
    const auto list = rz::readTextFileLines(kShippedLand + "/RuvuZevodare.txt");
    const auto texts = rz::readTextFileLines(kShippedLand + "/" + file);
    LanguageTexts t;
    for (std::size_t i = 0; i + 1 < list.size(); i += 5) {
        const std::size_t record = i / 5;
        const std::string key = list[i] + "." + list[i + 1];
        t.caption[key] = 2 * record < texts.size() ? texts[2 * record] : std::string();
        t.hint[key] = 2 * record + 1 < texts.size() ? texts[2 * record + 1] : std::string();
    }
    t.messages = rz::readTextFileLines(kShippedLand + "/" + file + ".meld");
    return t;
}

// One program run in its own folder with the shipped language files.
struct Program : rz::test::ShownProgram {
    explicit Program(rz::ISettingsStore& store,
                     const std::vector<rz::DrawingRecord>& drawings = {rec(2019, 10, 15, {2, 11, 20, 38, 61}, 3),
                                                                       rec(2019, 10, 18, {5, 12, 33, 41, 70}, 7)})
        : ShownProgram(drawings, &store) {}

    QAction* action(const char* name) const { return widget<QAction>(name); }
    QString tabCaption(const char* sheet) const {
        return ControlRegistry::caption(*form->controls().find(QStringLiteral("Form1"), QLatin1String(sheet)));
    }
    // Shows every tab and sub-tab in turn and collects what does not fit.
    QStringList misfitsOnEveryPage() const {
        QStringList out;
        auto* tabs = widget<QTabWidget>("PageControl1");
        auto* sub = widget<QTabWidget>("PageControl2");
        for (int t = 0; t < tabs->count(); ++t) {
            if (!tabs->isTabVisible(t))
                continue;
            tabs->setCurrentIndex(t);
            const int pages = tabs->widget(t)->isAncestorOf(sub) ? sub->count() : 1;
            for (int s = 0; s < pages; ++s) {
                if (pages > 1)
                    sub->setCurrentIndex(s);
                QApplication::processEvents();
                for (const QString& m : textMisfits(form.get()))
                    out << QStringLiteral("[%1/%2] %3").arg(tabs->tabText(t)).arg(s).arg(m);
            }
        }
        tabs->setCurrentIndex(0);
        return out;
    }
};

bool allEqual(const QList<int>& xs) {
    for (int x : xs)
        if (x != xs.front())
            return false;
    return true;
}

} // namespace

class LanguageSwitchTest : public QObject {
    Q_OBJECT

private slots:
    void shippedComponentListIsTheOneTheWindowsMake();
    void everyTextOfTheWindowsCanBeTranslated();
    void firstStartIsEnglish();
    void everyLanguageAppliesAndFits();
    void languageSettingsAndSizeSurviveARestart();
    void markedMegaBallHintFollowsTheLanguage();
    void failingActionsSpeakTheChosenLanguage();
};

void LanguageSwitchTest::shippedComponentListIsTheOneTheWindowsMake() {
    QFile shipped(QString::fromStdString(kShippedLand + "/RuvuZevodare.txt"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QByteArray made = componentListOfTheProgram();

    // The program's own command writes the same list and shows no window.
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/RuvuZevodare");
    rz::test::TempDir dir;
    const QString out = QString::fromStdString(dir.file("list.txt"));
    QProcess run;
    run.start(program, {QStringLiteral("--write-component-list"), out});
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitCode(), 0);
    QFile written(out);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), made);
    run.start(program, {QStringLiteral("--write-component-list")});
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitCode(), 2);

    const QByteArray file = shipped.readAll();
    if (made != file) {
        // Name the first record that differs.
        const QList<QByteArray> a = made.split('\n'), b = file.split('\n');
        for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
            if (a[i] != b[i])
                QFAIL(qPrintable(QStringLiteral("line %1: the windows make \"%2\", data/land/RuvuZevodare.txt has \"%3\"; "
                                                "write it again with RuvuZevodare --write-component-list")
                                     .arg(i + 1)
                                     .arg(QString::fromUtf8(a[i].trimmed()), QString::fromUtf8(b[i].trimmed()))));
        QFAIL("the shipped component list has another length than the windows make");
    }
}

void LanguageSwitchTest::everyTextOfTheWindowsCanBeTranslated() {
    // A label, button or frame with words that the registry does not know
    // would stay German in every language.
    rz::MainModel model;
    TForm1 form(model);
    form.createSecondaryWindows();
    QSet<QObject*> registered;
    for (const ControlEntry& e : form.controls().entries())
        registered.insert(e.object.data());
    QWidgetList widgets = form.findChildren<QWidget*>();
    widgets << &form;
    QStringList missing;
    for (QWidget* w : widgets) {
        QString text;
        if (auto* l = qobject_cast<QLabel*>(w))
            text = l->text();
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
            text = b->text();
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            text = g->title();
        // Widgets marked "programText" take their words from the program's own
        // texts (the message files), which every language carries.
        if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); }) && !registered.contains(w) &&
            !w->property("programText").toBool())
            missing << describe(w) + QStringLiteral(" \"") + text + QLatin1Char('"');
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral("; "))));
}

void LanguageSwitchTest::firstStartIsEnglish() {
    rz::MemorySettingsStore store; // a fresh machine
    Program p(store);
    const LanguageTexts en = readLanguage("Mega_en.txt");
    QCOMPARE(p.model.sprache, 2);
    QCOMPARE(p.model.LanguageChecked, 2);
    QVERIFY(p.action("Englich1")->isChecked());
    QVERIFY(!p.action("Deutsch1")->isChecked());
    QCOMPARE(p.widget<QPushButton>("BitBtn4")->text().toStdString(), en.caption.at("Form1.BitBtn4"));
    QCOMPARE(p.tabCaption("TabSheet1").toStdString(), en.caption.at("Form1.TabSheet1"));
    QCOMPARE(p.model.msg(42), en.messages.at(42));
    QCOMPARE(p.model.DateTimePicker2.date, rz::dayFromYmd(2017, 1, 1));
    // Qt's own buttons speak English too.
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
}

void LanguageSwitchTest::everyLanguageAppliesAndFits() {
    rz::MemorySettingsStore store;
    store.writeInt("Sprache", 0); // the built-in texts first
    Program p(store);
    QCOMPARE(p.model.LanguageChecked, 0);
    QCOMPARE(p.tabCaption("TabSheet1"), QStringLiteral("Tipp-Übersicht"));
    QStringList misfits = p.misfitsOnEveryPage();
    QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QLatin1Char('\n'))));

    const QString title = p.form->windowTitle();
    const QSize designed = p.form->size();
    const char* cancel[] = {"Abbrechen", "Cancel", "Annuler", "Cancelar", "Annulla", "Отмена", "Cancelar", "取消"};
    for (const rz::LanguageInfo& lang : rz::languageTable()) {
        qInfo("language %s", lang.caption);
        p.action(lang.menuItem)->trigger();
        const LanguageTexts t = readLanguage(lang.file);

        QCOMPARE(p.model.sprache, lang.sprache);
        for (const rz::LanguageInfo& other : rz::languageTable())
            QCOMPARE(p.action(other.menuItem)->isChecked(), other.sprache == lang.sprache);
        // Captions, hints and messages of the language; what keeps its text keeps it.
        for (const char* sheet : {"TabSheet1", "TabSheet6", "TabSheet5", "TabSheet4", "TabSheet3", "TabSheet7"})
            QCOMPARE(p.tabCaption(sheet).toStdString(), t.caption.at(std::string("Form1.") + sheet));
        QCOMPARE(p.widget<QPushButton>("BitBtn4")->text().toStdString(), t.caption.at("Form1.BitBtn4"));
        QCOMPARE(p.model.Tippsberechnen, t.caption.at("Form1.BitBtn4"));
        QCOMPARE(p.widget<QCheckBox>("CheckBox2")->text().toStdString(), t.caption.at("Form1.CheckBox2"));
        QCOMPARE(p.widget<QWidget>("Edit85")->toolTip().toStdString(), t.hint.at("Form1.Edit85"));
        QCOMPARE(p.widget<QSpinBox>("Edit85")->value(), p.model.Settings.get(rz::Gs::PreferFrequentPercent));
        QCOMPARE(p.action("Russisch1")->text(), QStringLiteral("Русский"));
        QCOMPARE(p.action("N2")->text().toStdString(), t.caption.at("Form1.N2"));
        QCOMPARE(p.form->windowTitle(), title);
        QCOMPARE(p.model.msg(42), t.messages.at(42));
        QCOMPARE(p.widget<QLabel>("Label13")->text().toStdString().rfind(t.messages.at(43), 0), 0u);
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')),
                 QString::fromUtf8(cancel[lang.sprache - 1]));
        // A long hint shows whole as the status panel's tool tip.
        p.model.setStatus(t.hint.at("Form1.SpeedButton13"));
        p.form->refreshFromModel();
        QCOMPARE(p.widget<QLabel>("StatusPanel1")->toolTip().toStdString(), t.hint.at("Form1.SpeedButton13"));

        // The window keeps its designed size, every text fits, also scaled
        // up, and the fields beside the check boxes stand in one column.
        rz::test::settle();
        QCOMPARE(p.form->size(), designed);
        misfits = p.misfitsOnEveryPage();
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QLatin1Char('\n'))));
        auto* tabs = p.widget<QTabWidget>("PageControl1");
        auto* sub = p.widget<QTabWidget>("PageControl2");
        tabs->setCurrentIndex(static_cast<int>(rz::Tab::Generator));
        for (auto [page, fields] : {std::pair{0, std::vector<std::vector<const char*>>{{"Edit85", "Edit86", "Edit87"},
                                                                                       {"CheckBox11", "CheckBox12", "CheckBox13"}}},
                                    std::pair{1, std::vector<std::vector<const char*>>{{"Edit88", "Edit39", "Edit40", "Edit41", "Edit84"}}},
                                    std::pair{2, std::vector<std::vector<const char*>>{{"Edit83", "Edit89", "Edit90"}}}}) {
            sub->setCurrentIndex(page);
            QApplication::processEvents();
            for (const auto& column : fields) {
                QList<int> xs;
                for (const char* n : column)
                    xs << p.widget<QWidget>(n)->mapTo(p.form.get(), QPoint(0, 0)).x();
                QVERIFY2(allEqual(xs), column.front());
            }
        }
        tabs->setCurrentIndex(0);
        const QSize larger = p.form->size() * 3 / 2;
        p.form->resize(larger);
        QTRY_COMPARE(p.form->size(), larger);
        misfits = p.misfitsOnEveryPage();
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QLatin1Char('\n'))));
        p.form->resize(designed);
        QTRY_COMPARE(p.form->size(), designed);
    }
}

void LanguageSwitchTest::languageSettingsAndSizeSurviveARestart() {
    rz::MemorySettingsStore store;
    QSize size;
    {
        Program p(store);
        p.action("Russisch1")->trigger();
        p.widget<QTabWidget>("PageControl1")->setCurrentIndex(static_cast<int>(rz::Tab::Generator));
        QApplication::processEvents();
        auto* box = p.widget<QCheckBox>("CheckBox1");
        QVERIFY(!box->isChecked());
        box->click();
        p.widget<QTabWidget>("PageControl1")->setCurrentIndex(0);
        auto* edit = p.widget<QLineEdit>("Edit1");
        edit->setFocus();
        QTest::keyClicks(edit, "12");
        size = p.form->size() + QSize(40, 40);
        p.form->resize(size);
        QTRY_COMPARE(p.form->size(), size);
        QVERIFY(p.form->close()); // writes the settings
    }
    QCOMPARE(store.readInt("Sprache"), 6);
    Program again(store);
    const LanguageTexts ru = readLanguage("Mega_ru.txt");
    QCOMPARE(again.model.sprache, 6);
    QVERIFY(again.action("Russisch1")->isChecked());
    QCOMPARE(again.tabCaption("TabSheet1").toStdString(), ru.caption.at("Form1.TabSheet1"));
    QVERIFY(again.widget<QCheckBox>("CheckBox1")->isChecked());
    QCOMPARE(again.widget<QLineEdit>("Edit1")->text(), QStringLiteral("12"));
    QCOMPARE(again.form->size(), size);
}

void LanguageSwitchTest::markedMegaBallHintFollowsTheLanguage() {
    rz::MemorySettingsStore store; // starts in English
    Program p(store, {rec(2025, 4, 4, {5, 12, 33, 41, 70}, 25), rec(2025, 4, 11, {5, 12, 33, 41, 70}, 7)});
    auto* megaBall = p.widget<QLineEdit>("Edit6");
    const QString ownHint = megaBall->toolTip();
    const char* fields[] = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6"};
    const char* typed[] = {"70", "5", "9", "33", "1", "25"};
    for (int i = 0; i < 6; ++i)
        QTest::keyClicks(p.widget<QLineEdit>(fields[i]), typed[i]);
    p.widget<QDateEdit>("DateTimePicker1")->setDate(QDate(2025, 4, 11));
    p.click("SpeedButton5");
    const LanguageTexts en = readLanguage("Mega_en.txt");
    QCOMPARE(megaBall->toolTip().toStdString(), en.caption.at("Form1.LabelMegaBall25"));

    // A language chosen while the mark stands translates it; once the mark
    // goes, the field's own hint comes back.
    const rz::LanguageInfo& french = rz::languageTable()[2];
    p.action(french.menuItem)->trigger();
    const LanguageTexts fr = readLanguage(french.file);
    QVERIFY(fr.caption.at("Form1.LabelMegaBall25") != en.caption.at("Form1.LabelMegaBall25"));
    QCOMPARE(megaBall->toolTip().toStdString(), fr.caption.at("Form1.LabelMegaBall25"));
    megaBall->selectAll();
    QTest::keyClicks(megaBall, "7");
    p.click("SpeedButton5");
    QCOMPARE(megaBall->toolTip(), ownHint);
}

namespace {

// The fixed parts of a text: what stands between its places "%1", "%2", ...
std::vector<std::string> fixedParts(const std::string& text) {
    std::vector<std::string> parts;
    std::string cur;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            parts.push_back(cur);
            cur.clear();
            ++i;
        } else {
            cur += text[i];
        }
    }
    parts.push_back(cur);
    return parts;
}

std::string trimmed(const std::string& s) {
    return QString::fromStdString(s).trimmed().toStdString();
}

} // namespace

// After failing actions (an unreachable server, a bad number, a file that
// cannot be read, a bad proxy port, a file no program opens) every status
// text and message box speaks the chosen language: no fixed part of another
// language's message lines or program texts, and no words of the system's
// own error texts.
void LanguageSwitchTest::failingActionsSpeakTheChosenLanguage() {
    rz::MemorySettingsStore store;
    store.writeInt("Sprache", 0);
    Program p(store);
    QtHttp http;
    rz::Services s = p.model.services();
    s.http = &http;
    p.model.setServices(s);

    std::map<int, std::vector<std::string>> texts; // language -> message lines and program texts
    for (const rz::LanguageInfo& lang : rz::languageTable())
        texts[lang.sprache] = readLanguage(lang.file).messages;
    const std::size_t programTexts = static_cast<std::size_t>(rz::Txt::Count);
    for (const auto& [sprache, lines] : texts)
        QCOMPARE(lines.size(), 62 + programTexts);
    const auto program = [&](int sprache, rz::Txt id) { return texts[sprache][62 + static_cast<std::size_t>(id)]; };

    const std::string missing = p.home.file("no-such-history.csv");
    // A history with one good line among lines each refused for its own
    // reason (the one of 2025 has a Megaplier its game format lacks), and a
    // file in no known format.
    const std::string badHistory = p.home.file("bad-history.csv");
    rz::test::writeFile(badHistory, "date,n1,n2,n3,n4,n5,megaball,megaplier\n"
                                    "2019-10-18,5,12,33,41,70,7,0\n"
                                    "2019-10-19,5,12,33,41,x,7,0\n"
                                    "2019-10-19,5,12,33,41,71,7,0\n"
                                    "2019-10-19,5,5,33,41,70,7,0\n"
                                    "2025-06-03,5,12,33,41,70,7,3\n"
                                    "1999-01-01,5,12,33,41,70,7,0\n"
                                    "2019-02-30,5,12,33,41,70,7,0\n"
                                    "2019-10-18,5,12,33,41,70,7\n"
                                    "2019-10-19,1,2\n");
    const std::string unknownHistory = p.home.file("unknown-history.csv");
    rz::test::writeFile(unknownHistory, "Datum;Zahlen\n01.02.2019;1 2 3 4 5\n");
    // A drawing dated after today: the entry is refused.
    rz::DrawingEntry future;
    future.date = rz::today() + 400;
    future.numbers = {0, 1, 2, 3, 4, 5, 0, 6, 2};
    rz::DrawingEntry past = future;
    past.date = rz::dayFromYmd(2019, 10, 29);
    for (const rz::LanguageInfo& lang : rz::languageTable()) {
        qInfo("language %s", lang.caption);
        p.action(lang.menuItem)->trigger();
        // The program's texts are the language file's.
        for (std::size_t i = 0; i < programTexts; ++i)
            QCOMPARE(rz::txt(static_cast<rz::Txt>(i)), program(lang.sprache, static_cast<rz::Txt>(i)));
        p.platform.messages.clear();
        std::vector<std::string> seen;
        const auto status = [&] {
            p.form->refreshFromModel();
            for (const char* panel : {"StatusPanel0", "StatusPanel1"})
                seen.push_back(p.widget<QLabel>(panel)->text().toStdString());
        };

        // An unreachable server: the status bar says why.
        p.model.ServerAddress = "http://127.0.0.1:1";
        p.model.ProxyHost.clear();
        p.model.ProxyPort = "80";
        p.action("Aktualisieren1")->trigger();
        QTRY_VERIFY(!p.model.operation.running());
        status();
        QCOMPARE(p.widget<QLabel>("StatusPanel0")->text().toStdString(), program(lang.sprache, rz::Txt::HttpConnectionRefused));
        // A proxy port that is no number.
        p.model.ProxyHost = "proxy.invalid";
        p.model.ProxyPort = "abc";
        p.action("Aktualisieren1")->trigger();
        p.model.ProxyHost.clear();
        p.model.ProxyPort = "80";
        // A threshold that is no number.
        p.platform.inputAnswers = {std::string("abc")};
        p.click("SpeedButton4");
        // A history file that cannot be read.
        p.platform.fileAnswers = {missing};
        p.model.run([&] { p.model.importCommand(); });
        // A file no program opens.
        p.platform.openSucceeds = false;
        p.model.openInShell(p.home.file("Tipp.txt"));
        p.platform.openSucceeds = true;
        // The importer's report with its reasons, an import refused as a
        // whole, and a refused manual entry.
        p.platform.fileAnswers = {badHistory};
        p.model.run([&] { p.model.importCommand(); });
        p.platform.fileAnswers = {unknownHistory};
        p.model.run([&] { p.model.importCommand(); });
        p.platform.entryAnswers = {future};
        p.model.run([&] { p.model.BitBtn8Click(); });
        // A drawing file that is no drawing database: an entry changes nothing.
        const std::string db = p.model.DatabasePath();
        const std::string kept = rz::test::readFile(db);
        const std::string junk(2 * rz::DrawingRecord::kSize, 'x');
        rz::test::writeFile(db, junk);
        p.platform.entryAnswers = {past};
        p.model.run([&] { p.model.BitBtn8Click(); });
        QCOMPARE(rz::test::readFile(db), junk);
        rz::test::writeFile(db, kept);
        status();

        const std::vector<std::string>& boxes = p.platform.messages;
        QCOMPARE(boxes.size(), 8u);
        QCOMPARE(boxes[0], rz::txt(rz::Txt::ProxyPortInvalid, {"abc"}));
        QCOMPARE(boxes[1], rz::txt(rz::Txt::NotAnInteger, {"abc"}));
        QCOMPARE(boxes[2], rz::txt(rz::Txt::IoCannotOpen, {missing, rz::txt(rz::Txt::SysNotFound)}));
        QVERIFY(boxes[2].find(program(lang.sprache, rz::Txt::SysNotFound)) != std::string::npos);
        QCOMPARE(boxes[3], rz::txt(rz::Txt::NoProgramToOpen, {p.home.file("Tipp.txt")}));
        QVERIFY2(boxes[4].starts_with(rz::txt(rz::Txt::ImportSummaryLines, {"0", "1", "8", "3, 4, 5, 6, 7, 8, 9, 10"})),
                 boxes[4].c_str());
        for (const std::string& reason :
             {rz::txt(rz::Txt::ImportLineReason, {"3", rz::txt(rz::Txt::ImportMainNotNumber, {"x"})}),
              rz::txt(rz::Txt::ImportLineReason, {"10", rz::txt(rz::Txt::ImportFieldCountPlain, {"3"})})})
            QVERIFY2(boxes[4].find(reason) != std::string::npos, boxes[4].c_str());
        QCOMPARE(boxes[5], rz::txt(rz::Txt::ImportAborted, {rz::txt(rz::Txt::ImportUnknownFormat, {"1"})}));
        QCOMPARE(boxes[6], p.model.entryRefusal(future).value_or("accepted"));
        QCOMPARE(boxes[7], rz::txt(rz::Txt::DbNotDrawings, {db, "1"}));
        QCOMPARE(rz::txt(rz::Txt::ImportFileFilter), program(lang.sprache, rz::Txt::ImportFileFilter));
        seen.insert(seen.end(), boxes.begin(), boxes.end());

        // Everything the language has, to tell a shared word from a foreign one.
        std::string own;
        for (const std::string& line : texts[lang.sprache])
            own += line + "\n";
        for (const std::string& text : seen) {
            for (const std::string systemWords : {"No such file", "Connection refused", "Permission denied"})
                QVERIFY2(own.find(systemWords) != std::string::npos || text.find(systemWords) == std::string::npos,
                         text.c_str());
            for (const auto& [other, lines] : texts) {
                if (other == lang.sprache)
                    continue;
                for (const std::string& line : lines)
                    for (const std::string& part : fixedParts(line)) {
                        const std::string t = trimmed(part);
                        if (t.size() < 8 || own.find(t) != std::string::npos)
                            continue;
                        QVERIFY2(text.find(t) == std::string::npos,
                                 qPrintable(QStringLiteral("%1 shows \"%2\" of language %3: %4")
                                                .arg(QString::fromUtf8(lang.caption), QString::fromStdString(t))
                                                .arg(other)
                                                .arg(QString::fromStdString(text))));
                    }
            }
        }
    }
}

QTEST_MAIN(LanguageSwitchTest)
#include "test_languageswitch.moc"
