#pragma once
#include <QDate>
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
#include "PageFrame.h"
#include "WindowHost.h"
#include "app/MainModel.h"

class QAction;
class QMenu;
class QDialog;
class QTextBrowser;
class QTabWidget;
class ChartPage;
class DatabasePage;
class GeneratorPage;
class InternetPage;
class MessagePage;
class TipPage;
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
class TForm1 : public QMainWindow, public PageFrame, public WindowHost {
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
    // The controls of this window and of its dialogs.
    ControlRegistry& controls() const override { return *controls_; }

    // Sets every widget from the model. Cheap: unchanged widgets are skipped
    // and signals are blocked while writing.
    void refreshFromModel() override;

    // Content scaling: the height the contents were designed for, the height
    // they are scaled to now (Groesse) and the resulting factor.
    int designedHeight() const { return designedHeight_; }
    int groesse() const { return groesse_; }
    double contentScale() const { return scale_; }
    // A control whose font is a multiple of the page font (kept when scaling).
    void setRelativeFont(QWidget* w, double factor, bool bold) override;

    // Runs a model command; a failure ends in a message box with its text.
    // The window is repainted afterwards.
    void command(const std::function<void()>& call) override;

    // A stored window size is applied at once (within the screen); without
    // one the model learns the designed size.
    void applyStoredSize();
    // Makes window and frame fit into the available area of a screen
    // (smaller, and moved when placed); the contents scale with the height.
    void fitIntoScreen(const QRect& available);

protected:
    void changeEvent(QEvent* e) override;
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    // PageFrame
    bool refreshing() const override { return refreshing_; }
    void openWheelDialog() override;
    // WindowHost
    QWidget* hostWidget() override { return this; }
    TForm3* drawingEntryDialog() override { return form3_; }
    TQCSForm* scriptChoiceDialog() override { return qcsForm_; }
    void repaintFromModel() override { refreshFromModel(); }

    void buildMenu();
    // The File, Edit and Help menus around the menu items of the frame.
    void buildDesktopMenus(QAction* firstItem);
    void syncDesktopMenus();
    void showAbout();
    // The manual in a help window; `title` is the menu item's caption.
    void showManual(QString title);
    void buildStatusBar();

    // The user brought the page at index forward; the model decides.
    void tabChosen(int index);
    void showPanel1(const QString& text);
    // Panel 1 while a control's hint is shown: what it said before, and the hint.
    bool hintShown_ = false;
    std::string textBeforeHint_;
    std::string shownHint_;
    void applyScale();
    void showRunKeys();
    QMargins frameMargins() const;

    rz::MainModel& model_;
    QTabWidget* pageControl_ = nullptr;
    TipPage* tipPage_ = nullptr;
    MessagePage* messagePage_ = nullptr;
    GeneratorPage* generatorPage_ = nullptr;
    ChartPage* chartPage_ = nullptr;
    DatabasePage* databasePage_ = nullptr;
    InternetPage* internetPage_ = nullptr;

    std::array<QLabel*, 2> statusPanels_{};
    std::vector<QAction*> languageActions_;
    QAction* runAction_ = nullptr;
    QRect available_; // the screen area the window was last fitted into
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    std::vector<QAction*> recentActions_;
    QAction* recentNone_ = nullptr;
    QDialog* helpWindow_ = nullptr;
    QTextBrowser* helpText_ = nullptr;

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
    bool destroying_ = false;
    int shownTab_ = -1; // the model's tab at the last refresh
    AnalysisLock analysisLock_; // controls disabled while a historic analysis runs

    // Languages: the windows' texts for the loader, Qt's own dialog texts.
    ControlRegistry* controls_ = nullptr; // a child of the window
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

// The component list of the program's windows (built-in texts), as the file
// "land/RuvuZevodare.txt" holds it: UTF-8 with a byte order mark, CR LF.
// Builds the windows without showing them.
QByteArray componentListOfTheProgram();

// RuvuZevodare --write-component-list FILE. Returns the exit code; errors go
// to stderr.
int writeComponentListCommand(const QString& file);
