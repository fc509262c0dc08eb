// What the window says, in English and French: the status bar ends each long
// action with its result, numbers and dates take the language's form where no
// file format fixes one, small texts read right, and the wheel's printout
// carries its figures and one numbering over all pages.
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QRegularExpression>
#include <QToolButton>
#include <QtTest>

#include <filesystem>
#include <sstream>

#include "../core/TestSupport.h"
#include "WindowFixture.h"
#include "DarovAduzez.h"
#include "WheelDialog.h"

namespace {

using rz::test::kThreeDrawings;

// What each language is expected to show.
struct Language {
    int sprache;
    const char* datePattern;       // of the date fields
    const char* pickerText;        // 22 October 2019 in a date field
    const char* statisticsHint;    // the hint of the statistics' first date
    const char* downloadHint;      // the download button's hint for a server on the loopback
    const char* numbersTitle;      // the number list's title for row 3
    const char* analysisDone;      // the status after the drawing analysis
    const char* oddsPattern;       // the wheel's odds
    const char* printNumbers;      // the printout's line of the numbers
    const char* printPage2;        // its second page's heading
};

const Language kEnglish{2, "M/d/yyyy", "10/22/2019", "First drawing of the statistics",
                        "Download drawings from 127.0.0.1:8080", "Numbers for tip 3", "Analysis finished; passes: 2.",
                        "^1 in \\d{1,3}(,\\d{3})*(\\.\\d)?$",
                        "Numbers (14): 1, 4, 9, 13, 17, 22, 28, 33, 39, 45, 51, 58, 63, 70", "Page 2 of "};
const Language kFrench{3, "dd/MM/yyyy", "22/10/2019", "Premier tirage des statistiques",
                       "Télécharger les tirages depuis 127.0.0.1:8080", "Numéros de la grille 3",
                       "Analyse terminée ; passages : 2.", "^1 sur \\d{1,3}(\u00a0\\d{3})*(,\\d)?$",
                       "Numéros (14) : 1, 4, 9, 13, 17, 22, 28, 33, 39, 45, 51, 58, 63, 70", "Page 2 sur "};

const std::vector<int> kFourteen = {1, 4, 9, 13, 17, 22, 28, 33, 39, 45, 51, 58, 63, 70};

struct Program : rz::test::WindowProgram {
    explicit Program(const Language& language) : WindowProgram(kThreeDrawings) {
        std::filesystem::copy(std::string(RZ_SOURCE_DIR) + "/data/land", home.file("land"),
                              std::filesystem::copy_options::recursive);
        form->command([this, &language] { model.chooseLanguage(language.sprache); });
        if (model.sprache != language.sprache)
            qFatal("language %d not applied", language.sprache);
    }
    template <typename T>
    T* named(const QString& name) const {
        return rz::test::namedWidget<T>(form.get(), qPrintable(name));
    }
};

} // namespace

class TrustTest : public QObject {
    Q_OBJECT
private slots:
    void datesAndHintsInTheLanguage_data();
    void datesAndHintsInTheLanguage();
    void analysisEndsWithItsResult_data();
    void analysisEndsWithItsResult();
    void wheelFiguresAndPrintout_data();
    void wheelFiguresAndPrintout();

private:
    static void languages() {
        QTest::addColumn<int>("which");
        QTest::newRow("English") << 0;
        QTest::newRow("French") << 1;
    }
    static const Language& language(int which) { return which == 0 ? kEnglish : kFrench; }
};

void TrustTest::datesAndHintsInTheLanguage_data() { languages(); }

void TrustTest::datesAndHintsInTheLanguage() {
    QFETCH(int, which);
    const Language& l = language(which);
    Program p(l);
    p.model.DateTimePicker1.date = rz::dayFromYmd(2019, 10, 22);
    p.model.ServerAddress = "http://127.0.0.1:8080/";
    p.form->refreshFromModel();

    auto* picker = rz::test::namedWidget<QDateEdit>(p.form->centralWidget(), "DateTimePicker1");
    QCOMPARE(picker->displayFormat(), QString::fromUtf8(l.datePattern));
    QCOMPARE(picker->text(), QString::fromUtf8(l.pickerText));
    QCOMPARE(picker->date(), QDate(2019, 10, 22));
    // The statistics' first date: its hint from the language files, not the built-in German.
    auto* first = rz::test::namedWidget<QDateEdit>(p.form->centralWidget(), "DateTimePicker2");
    QCOMPARE(first->toolTip(), QString::fromUtf8(l.statisticsHint));
    QCOMPARE(first->displayFormat(), QString::fromUtf8(l.datePattern));
    // The download button names the source in use.
    QCOMPARE(p.widget<QToolButton>("SpeedButton10")->toolTip(), QString::fromUtf8(l.downloadHint));
    // The number list's title: one blank before the row number.
    p.model.tips.set(3, 1, "7");
    p.platform.numberListAnswers = {rz::ModalResult::Abort};
    std::string title;
    p.platform.onNumberList = [&] { title = p.model.numberList.caption; };
    p.form->command([&] { p.model.TippEdit(3); });
    QCOMPARE(QString::fromStdString(title), QString::fromUtf8(l.numbersTitle));
}

void TrustTest::analysisEndsWithItsResult_data() { languages(); }

void TrustTest::analysisEndsWithItsResult() {
    QFETCH(int, which);
    const Language& l = language(which);
    Program p(l);
    p.model.DateTimePicker1.date = rz::dayFromYmd(2019, 10, 15);
    p.form->refreshFromModel();
    p.platform.questionAnswers = {true};
    p.platform.inputAnswers = {std::string("6")};
    p.click("BitBtn19");
    // No progress line ("Pass 2 of about 2, ...") is left standing.
    QCOMPARE(p.labelText("StatusPanel1"), QString::fromUtf8(l.analysisDone));
}

void TrustTest::wheelFiguresAndPrintout_data() { languages(); }

void TrustTest::wheelFiguresAndPrintout() {
    QFETCH(int, which);
    const Language& l = language(which);
    Program p(l);
    p.click("WheelButton");
    for (int n : kFourteen)
        p.named<QAbstractButton>(QStringLiteral("WheelNumber%1").arg(n))->setChecked(true);
    QCOMPARE(p.named<QLabel>(QStringLiteral("WheelCount"))->text(), QStringLiteral("14"));
    auto* guarantee = p.named<QComboBox>(QStringLiteral("WheelGuarantee"));
    guarantee->setCurrentIndex(guarantee->findText(QStringLiteral("3 / 4")));
    p.named<QDoubleSpinBox>(QStringLiteral("WheelSeconds"))->setValue(0.3);
    QTest::mouseClick(p.named<QAbstractButton>(QStringLiteral("WheelStart")), Qt::LeftButton);
    QVERIFY2(p.platform.messages.empty(), p.platform.messages.empty() ? "" : p.platform.messages[0].c_str());
    const auto& plays = p.model.wheelPages.plays();
    QVERIFY2(plays.size() > 12, qPrintable(QString::number(plays.size())));

    // Odds as "1 in N" and money in the language's form.
    const QRegularExpression odds(QString::fromUtf8(l.oddsPattern));
    const QString condition = p.named<QLabel>(QStringLiteral("WheelCondition"))->text();
    const QString hit = p.named<QLabel>(QStringLiteral("WheelHit"))->text();
    QVERIFY2(odds.match(condition).hasMatch(), qPrintable(condition));
    QVERIFY2(odds.match(hit).hasMatch(), qPrintable(hit));
    const std::size_t count = plays.size(); // at $5 a play, the price of a new installation
    QCOMPARE(p.named<QLabel>(QStringLiteral("WheelCost"))->text(),
             which == 0 ? QStringLiteral("$%1.00").arg(5 * count) : QStringLiteral("%1,00\u00a0$").arg(5 * count));

    // The printout: the figures, then every play numbered once over all pages.
    QTest::mouseClick(p.named<QAbstractButton>(QStringLiteral("WheelPrint")), Qt::LeftButton);
    QVERIFY(p.platform.messages.empty());
    std::istringstream printed(rz::test::readFile(p.home.file("Tipp.txt")));
    std::vector<std::string> lines;
    for (std::string line; std::getline(printed, line);) {
        QVERIFY(!line.empty() && line.back() == '\r');
        line.pop_back();
        lines.push_back(line);
    }
    QCOMPARE(QString::fromStdString(lines.at(1)), QString(46, QLatin1Char('~')));
    QCOMPARE(QString::fromStdString(lines.at(2)), QString::fromUtf8(l.printNumbers));
    QCOMPARE(QString::fromStdString(lines.at(4)), QString::fromUtf8(which == 0 ? "Rows: %1" : "Grilles : %1").arg(count));
    QVERIFY(QString::fromStdString(lines.at(5)).endsWith(which == 0 ? QStringLiteral("$%1.00").arg(5 * count)
                                                                     : QStringLiteral("%1,00\u00a0$").arg(5 * count)));
    QVERIFY(odds.match(QString::fromStdString(lines.at(6)).section(QStringLiteral(": "), -1)).hasMatch() ||
            odds.match(QString::fromStdString(lines.at(6)).section(QStringLiteral(" : "), -1)).hasMatch());
    std::size_t numbered = 0;
    bool secondPage = false;
    for (const std::string& line : lines) {
        secondPage = secondPage || line.rfind(l.printPage2, 0) == 0;
        const std::string prefix = (numbered + 1 < 10 ? " " : "") + std::to_string(numbered + 1) + ". ";
        if (line.rfind(prefix, 0) == 0) {
            std::string numbers;
            for (int n : plays[numbered].numbers)
                numbers += (n < 10 ? " " : "") + std::to_string(n) + "   ";
            QVERIFY2(line.find(numbers.substr(0, numbers.size() - 3)) != std::string::npos, line.c_str());
            ++numbered;
        }
    }
    QVERIFY(secondPage);
    QCOMPARE(numbered, count); // 13, 14, ... on the second page, not 1, 2, ...
}

QTEST_MAIN(TrustTest)
#include "test_trust.moc"
