#pragma once
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "AnalysisLock.h"
#include "Controls.h"
#include "app/MainModel.h"

class QAbstractButton;
class QAction;
class QBarSet;
class QCategoryAxis;
class QChart;
class QChartView;
class QDateEdit;
class QFrame;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QStackedBarSeries;
class QTabWidget;
class QToolButton;
class QValueAxis;
class GeneratorPage;
class QtComponentTree;
class QtPlatform;
class QtTranslations;
class TForm3;
class TQCSForm;
class Zahlenwahl;
class WheelDialog;

// The main window: a view over rz::MainModel. Every widget carries the name
// of its control as objectName; every user action calls a model command and
// then repaints the window from the model.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(rz::MainModel& model, QWidget* parent = nullptr);
    ~TForm1() override;

    // The hidden secondary windows, created once each, in this order:
    // TForm3, TForm6 (number selection list), TQCSForm, the wheel dialog.
    void createSecondaryWindows();
    TForm3* form3() const { return form3_; }
    Zahlenwahl* form6() const { return form6_; }
    TQCSForm* qcsForm() const { return qcsForm_; }
    WheelDialog* wheelDialog() const { return wheelDialog_; }

    // Sets every widget from the model. Cheap: unchanged widgets are skipped
    // and signals are blocked while writing.
    void refreshFromModel();

    // Content scaling: the height the contents were designed for, the height
    // they are scaled to now (Groesse) and the resulting factor.
    int designedHeight() const { return designedHeight_; }
    int groesse() const { return groesse_; }
    double contentScale() const { return scale_; }

    // Runs a model command; a failure ends in a message box with its text.
    // The window is repainted afterwards.
    void command(const std::function<void()>& call);

    static QColor toQColor(rz::Colour c);

    // A stored window size is applied at once (within the screen); without
    // one the model learns the designed size.
    void applyStoredSize();

protected:
    void changeEvent(QEvent* e) override;
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    struct RowWidgets {
        ClickLabel* label = nullptr;
        std::array<TipEdit*, 8> edits{}; // index 1..7
        QLabel* sum = nullptr;
        QLabel* hit = nullptr;
        QToolButton* editButton = nullptr;
        // What the widgets show now, to skip unchanged values.
        std::array<rz::Colour, 8> shownColour{};
        bool shownLocked = false;
        rz::Colour shownHitColour = rz::Colour::Black;
        std::string shownMegaBallHint; // the tip check's hint on the MegaBall field
    };

    void buildMenu();
    void applyMegaBallHint(RowWidgets& w);
    void retranslateMegaBallHints();
    QWidget* buildTipPage();
    QWidget* buildMessagePage();
    QWidget* buildChartPage();
    QWidget* buildDatabasePage();
    QWidget* buildInternetPage();
    void buildStatusBar();

    void tipEdited(int row, int k, const QString& text);
    void refreshTips();
    void refreshChart();
    void saveChart();
    void showPanel1(const QString& text);
    void applyScale();
    // A widget whose font is a multiple of the page font (kept when scaling).
    void setRelativeFont(QWidget* w, double factor, bool bold);

    rz::MainModel& model_;
    QTabWidget* pageControl_ = nullptr;
    GeneratorPage* generatorPage_ = nullptr;
    std::array<RowWidgets, 13> rows_{}; // index 1..12

    // drawing bar, calculation bar
    QLabel* label35_ = nullptr;
    QLabel* label13_ = nullptr;
    QLabel* losnummer_ = nullptr;
    QPushButton* bitBtn4_ = nullptr;
    QSpinBox* tipCount_ = nullptr;

    QPlainTextEdit* memo2_ = nullptr;
    std::vector<std::string> shownMemo_;

    // chart
    QChart* chart_ = nullptr;
    QChartView* chartView_ = nullptr;
    QStackedBarSeries* series_ = nullptr;
    QCategoryAxis* axisX_ = nullptr;
    QValueAxis* axisY_ = nullptr;
    QLabel* chartTitle_ = nullptr;
    QWidget* chartArea_ = nullptr;
    rz::StatisticsTable shownChart_;
    bool chartShown_ = false;
    std::vector<std::pair<QToolButton*, rz::StatisticsKind>> chartButtons_; // pressed: the chart on display

    // database and internet tabs
    QDateEdit* dateTimePicker1_ = nullptr;
    QDateEdit* dateTimePicker2_ = nullptr;
    QLabel* label29_ = nullptr;
    QLabel* labelMegaBall25_ = nullptr;
    QLineEdit* proxyHost_ = nullptr;
    QLineEdit* proxyPort_ = nullptr;
    // drawing download
    QPushButton* bitBtn1_ = nullptr;
    QToolButton* speedButton10_ = nullptr;
    QToolButton* speedButton8_ = nullptr;
    QLineEdit* serverEdit_ = nullptr;

    std::array<QLabel*, 2> statusPanels_{};
    std::vector<QAction*> languageActions_;

    TForm3* form3_ = nullptr;
    Zahlenwahl* form6_ = nullptr;
    TQCSForm* qcsForm_ = nullptr;
    WheelDialog* wheelDialog_ = nullptr;

    int designedHeight_ = 0;
    int groesse_ = 0;
    double scale_ = 1.0;
    int basePixelSize_ = 13;
    std::vector<std::pair<QWidget*, std::pair<double, bool>>> relativeFonts_;
    bool shownOnce_ = false;
    bool refreshing_ = false;
    AnalysisLock analysisLock_; // controls disabled while a historic analysis runs

    // Languages: the windows' texts for the loader, Qt's own dialog texts.
    std::unique_ptr<QtComponentTree> componentTree_;
    std::unique_ptr<QtTranslations> qtTranslations_;
    int qtLanguage_ = -1;
    int shownLanguage_ = -1;
    void reportWindowState();

    // Content scaling that always fits: the contents' minimum at scale 1.
    QSize minimum1_;
    QSize contentMinimum();
    void measureMinimum();
    void reserveRoomForChangingTexts();
    void fitContents();
};

// Tags of controls that keep their texts in every language.
inline constexpr int kLanguageItemTag = 1;
inline constexpr int kTipFieldTag = 8;
inline constexpr int kMakerPanelTag = 8;

// The maker's web site, opened by the maker's panels on the tip page.
inline constexpr const char* kMakerSite = "https://www.quendral.example/";
inline constexpr const char* kMakerAddress = "www.quendral.example";

// The start-up sequence after the application object exists: FormCreate for
// the program's layout, the main window, the secondary windows, the language
// and the first data. The caller shows the window (its first show runs
// FormShow). platform may be null when the model has other services.
// Installed, the title bar names the folder that holds the drawing file.
std::unique_ptr<TForm1> startProgram(rz::MainModel& model, const rz::AppPaths& paths, QtPlatform* platform);
// Every file in the folder home (portable).
inline std::unique_ptr<TForm1> startProgram(rz::MainModel& model, const std::string& home, QtPlatform* platform) {
    return startProgram(model, rz::AppPaths(home), platform);
}
