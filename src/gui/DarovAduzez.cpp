#include "DarovAduzez.h"

#include <QActionGroup>
#include <QApplication>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QCursor>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>
#include <QDialog>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStackedBarSeries>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "ChartPage.h"
#include "DatabasePage.h"
#include "GeneratorPage.h"
#include "InternetPage.h"
#include "MessagePage.h"
#include "TipPage.h"
#include "LoEingab.h"
#include "QtComponentTree.h"
#include "QtTranslations.h"
#include "Scriptwahl.h"
#include "WheelDialog.h"
#include "Zahlenwahl.h"

#include "Controls.h"
#include "QtPlatform.h"
#include "common/ProgramTexts.h"
#include "i18n/LanguageFiles.h"

using rz::Colour;
using rz::Gs;
using rz::TipSet;

namespace {

// A status panel: one line; a text longer than the panel ends in "…" and
// shows whole as the panel's tool tip.
class StatusPanelLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        drawFrame(&p);
        const QRect r = contentsRect().adjusted(indent() > 0 ? indent() : 0, 0, 0, 0);
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, r.width());
        style()->drawItemText(&p, r, alignment() | Qt::AlignVCenter, palette(), isEnabled(), shown,
                              foregroundRole());
    }
};

void setPanelText(QLabel* panel, const QString& text) {
    if (panel->text() != text) {
        panel->setText(text);
        panel->setToolTip(text);
    }
}

} // namespace

// -------------------------------------------------------------------- TForm1

TForm1::TForm1(rz::MainModel& model, QWidget* parent) : QMainWindow(parent), model_(model) {
    // The registry of the controls of this window and of its dialogs, made
    // before any of them; the main window's controls are its first ones.
    controls_ = new ControlRegistry(this);
    componentTree_ = std::make_unique<QtComponentTree>(*controls_);
    model_.componentTree = componentTree_.get();
    qtTranslations_ = std::make_unique<QtTranslations>();
    const WindowScope scope(*controls_, QStringLiteral("Form1"));
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QString::fromUtf8("Quendrals Kalvento for RuvuZevodare®"));
    controls_->add(this, ControlKind::Window);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(basePixelSize_);
    setFont(f);

    buildMenu();

    pageControl_ = new QTabWidget(this);
    pageControl_->setObjectName(QStringLiteral("PageControl1"));
    pageControl_->setDocumentMode(false);
    tipPage_ = new TipPage(model_, *this);
    pageControl_->addTab(tipPage_, QStringLiteral("Tipp-Übersicht"));
    messagePage_ = new MessagePage(model_, controls_);
    pageControl_->addTab(messagePage_, QStringLiteral("Zahlen der letzten Ziehung"));
    generatorPage_ = new GeneratorPage(model_, controls_);
    pageControl_->addTab(generatorPage_, QStringLiteral("Berechnung"));
    chartPage_ = new ChartPage(model_, *this);
    pageControl_->addTab(chartPage_, QStringLiteral("Diagramm"));
    databasePage_ = new DatabasePage(model_, *this);
    pageControl_->addTab(databasePage_, QStringLiteral("Datenbank"));
    internetPage_ = new InternetPage(model_, *this);
    pageControl_->addTab(internetPage_, QStringLiteral("Internet-Optionen"));
    // The message table's page is never shown: hidden, and disabled so that
    // neither the arrow keys, the wheel nor Ctrl+Tab step onto it.
    pageControl_->setTabVisible(static_cast<int>(rz::Tab::LastDrawing), false);
    pageControl_->setTabEnabled(static_cast<int>(rz::Tab::LastDrawing), false);
    connect(pageControl_, &QTabWidget::currentChanged, this, [this](int index) {
        if (!refreshing_)
            tabChosen(index);
    });
    setCentralWidget(pageControl_);
    nameByCurrentPage(pageControl_);
    {
        QFont pf(font());
        pf.setPixelSize(basePixelSize_);
        pageControl_->setFont(pf);
    }

    buildStatusBar();
    applyScale();
    showRunKeys();

    // Escape stops a running historic analysis.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { model_.analysisEscape(); });

    model_.onChanged = [this] { refreshFromModel(); };
    refreshFromModel();

    // The designed size; never below what the contents need, so that the
    // first layout does not grow the window and rescale the contents.
    ensurePolished(); // the style's sizes, as the shown window will have them
    reserveRoomForChangingTexts();
    const QSize need = minimumSizeHint().expandedTo(sizeHint());
    // The designed width leaves room for the longer texts of the other
    // languages, so that a language switch does not change the window.
    const QSize designed = QSize(720, 500).expandedTo(need);
    resize(designed);
    designedHeight_ = designed.height();
    groesse_ = designedHeight_;
    measureMinimum();
}

TForm1::~TForm1() {
    // Closing a shown window moves the focus out of a tip field, and its exit
    // would repaint a window whose members are gone.
    destroying_ = true;
    model_.onChanged = nullptr;
    // The pages go first, while the window they call back into is whole.
    delete pageControl_;
    pageControl_ = nullptr;
    if (model_.componentTree == componentTree_.get())
        model_.componentTree = nullptr;
    setWaitCursor(false);
}

void TForm1::createSecondaryWindows() {
    if (form3_)
        return;
    form3_ = new TForm3(this);
    form3_->setCheck([this](const rz::DrawingEntry& e) { return model_.entryRefusal(e); });
    form6_ = new Zahlenwahl(model_, this);
    qcsForm_ = new TQCSForm(this);
    wheelDialog_ = new WheelDialog(model_, this);
    form3_->hide();
    form6_->hide();
    qcsForm_->hide();
    wheelDialog_->hide();
}

// A command ends in one notification, which repaints the window.
void TForm1::command(const std::function<void()>& call) { model_.run(call); }

// --------------------------------------------------------------------- menu

void TForm1::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QAction* aktualisieren =
        registeredAction(bar->addAction(QStringLiteral("&Ziehungsdaten laden")), "Aktualisieren1");
    aktualisieren->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    connect(aktualisieren, &QAction::triggered, this, [this] { command([this] { model_.Aktualisieren1Click(); }); });

    QAction* berechnen = registeredAction(bar->addAction(QStringLiteral("&Berechnen")), "Berechnen1");
    // Ctrl+R, and F5 as many programs run their main command.
    berechnen->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_R), QKeySequence(Qt::Key_F5)});
    runAction_ = berechnen;
    connect(berechnen, &QAction::triggered, this, [this] { command([this] { model_.Berechnen1Click(); }); });

    QMenu* sprache = bar->addMenu(QStringLiteral("Sprache/&Language"));
    sprache->setObjectName(QStringLiteral("SpracheLanguage1"));
    registeredAction(sprache->menuAction(), "SpracheLanguage1");
    auto* group = new QActionGroup(this);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional); // none checked at first
    for (const rz::LanguageInfo& item : rz::languageTable()) {
        // The built-in captions; each language file names every language in
        // its own language.
        QAction* a = registeredAction(sprache->addAction(QString::fromUtf8(item.caption)), item.menuItem, item.tag);
        a->setCheckable(true);
        a->setData(item.sprache);
        group->addAction(a);
        languageActions_.push_back(a);
        const int language = item.sprache;
        connect(a, &QAction::triggered, this, [this, language] {
            command([this, language] { model_.chooseLanguage(language); });
        });
    }

    QAction* abgeben = registeredAction(bar->addAction(QStringLiteral("&Abgeben")), "Abgeben1");
    abgeben->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    abgeben->setVisible(false);
    connect(abgeben, &QAction::triggered, this, [this] { command([this] { model_.Abgeben1Click(); }); });
    // A hidden item takes no shortcut of its own; the window passes Ctrl+G on.
    auto* abgebenKey = new QShortcut(abgeben->shortcut(), this);
    connect(abgebenKey, &QShortcut::activated, abgeben, &QAction::trigger);

    QAction* schliessen = registeredAction(bar->addAction(QStringLiteral("&Schließen")), "Schlieen1");
    connect(schliessen, &QAction::triggered, this, &QWidget::close);

    buildDesktopMenus(aktualisieren);
}

void TForm1::buildDesktopMenus(QAction* firstItem) {
    QMenuBar* bar = menuBar();
    auto menu = [this, bar](const QString& caption, const char* name) {
        auto* m = new QMenu(caption, bar);
        m->setObjectName(QLatin1String(name));
        registeredAction(m->menuAction(), name);
        return m;
    };
    auto item = [this](QMenu* m, const QString& caption, const char* name, const std::function<void()>& call) {
        QAction* a = registeredAction(m->addAction(caption), name);
        connect(a, &QAction::triggered, this, [this, call] { command(call); });
        return a;
    };

    // File: the tip files, the last five of them again. Its letter is not
    // the D of "&Datenbank aktualisieren", which is always in the window.
    QMenu* datei = menu(QStringLiteral("Da&tei"), "Datei1");
    item(datei, QStringLiteral("Tipps &laden…"), "TippLaden1", [this] { model_.SpeedButton16Click(); });
    item(datei, QStringLiteral("Tipps &speichern…"), "TippSpeichern1", [this] { model_.SpeedButton15Click(); });
    datei->addSeparator();
    recentMenu_ = menu(QStringLiteral("&Zuletzt verwendete Tippdateien"), "ZuletztGeoeffnet1");
    datei->addMenu(recentMenu_);
    for (int i = 0; i < rz::MainModel::kRecentTipFiles; ++i) {
        // Captions are file names, the same in every language: not in the lists.
        QAction* a = recentMenu_->addAction(QString());
        a->setObjectName(QStringLiteral("RecentTipFile%1").arg(i + 1));
        connect(a, &QAction::triggered, this, [this, i] { command([this, i] { model_.RecentTipFileClick(i); }); });
        recentActions_.push_back(a);
    }
    recentNone_ = recentMenu_->addAction(QString());
    recentNone_->setObjectName(QStringLiteral("RecentTipFileNone"));
    recentNone_->setEnabled(false);

    // Edit: the undo history of the model; the captions name the step.
    QMenu* bearbeiten = menu(QStringLiteral("Bea&rbeiten"), "Bearbeiten1");
    undoAction_ = item(bearbeiten, QStringLiteral("&Rückgängig"), "Rueckgaengig1", [this] { model_.Rueckgaengig1Click(); });
    undoAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redoAction_ = item(bearbeiten, QStringLiteral("&Wiederholen"), "Wiederholen1", [this] { model_.Wiederholen1Click(); });
    redoAction_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});

    bar->insertMenu(firstItem, datei);
    bar->insertMenu(firstItem, bearbeiten);

    // Help: the manual, the folder of the user's files, About.
    QMenu* hilfe = menu(QStringLiteral("&Hilfe"), "Hilfe1");
    QAction* manual = registeredAction(hilfe->addAction(QStringLiteral("&Handbuch")), "Handbuch1");
    manual->setShortcut(QKeySequence(Qt::Key_F1));
    connect(manual, &QAction::triggered, this, [this, manual] { showManual(manual->text()); });
    item(hilfe, QStringLiteral("&Datenordner öffnen"), "DatenordnerOeffnen1", [this] { model_.DatenordnerOeffnen1Click(); });
    hilfe->addSeparator();
    QAction* about = registeredAction(hilfe->addAction(QStringLiteral("Ü&ber RuvuZevodare…")), "Info1");
    connect(about, &QAction::triggered, this, [this] { showAbout(); });
    bar->addMenu(hilfe);
}

void TForm1::syncDesktopMenus() {
    if (!undoAction_)
        return;
    const QString undo = q(model_.undoCaption());
    if (undoAction_->text() != undo)
        undoAction_->setText(undo);
    undoAction_->setEnabled(model_.canUndo());
    const QString redo = q(model_.redoCaption());
    if (redoAction_->text() != redo)
        redoAction_->setText(redo);
    redoAction_->setEnabled(model_.canRedo());

    const auto& files = model_.recentTipFiles;
    for (std::size_t i = 0; i < recentActions_.size(); ++i) {
        QAction* a = recentActions_[i];
        const bool used = i < files.size();
        if (a->isVisible() != used)
            a->setVisible(used);
        if (!used)
            continue;
        const QString path = QDir::toNativeSeparators(q(files[i]));
        QString shown = path;
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        const QString text = QStringLiteral("&%1 %2").arg(i + 1).arg(shown);
        if (a->text() != text) {
            a->setText(text);
            a->setStatusTip(path);
        }
    }
    const QString none = q(rz::txt(rz::Txt::RecentNone));
    if (recentNone_->text() != none)
        recentNone_->setText(none);
    recentNone_->setVisible(files.empty());
}

void TForm1::showManual(QString title) {
    // The model names the manual of the user's language (English when that
    // language has none) and tells the user when it is missing.
    const QString path = q(model_.manualPath());
    if (!QFileInfo(path).isFile()) {
        command([this] { model_.Handbuch1Click(); });
        return;
    }
    // In a window of its own: it needs no browser on the machine; its links
    // to the web open in the browser.
    if (!helpWindow_) {
        helpWindow_ = new QDialog(this);
        helpWindow_->setObjectName(QStringLiteral("HelpForm"));
        helpWindow_->setModal(false);
        auto* layout = new QVBoxLayout(helpWindow_);
        layout->setContentsMargins(0, 0, 0, 0);
        helpText_ = new QTextBrowser(helpWindow_);
        helpText_->setObjectName(QStringLiteral("HelpText"));
        helpText_->setOpenExternalLinks(true);
        layout->addWidget(helpText_);
        helpWindow_->resize(620, 560);
    }
    title.remove(QRegularExpression(QStringLiteral("\\(&.\\)|&(?=[^&])")));
    helpWindow_->setWindowTitle(title);
    helpText_->setAccessibleName(title);
    helpText_->setSource(QUrl::fromLocalFile(path));
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

void TForm1::showAbout() {
    // The program's version, which main() gives the application.
    const QString version = QCoreApplication::applicationVersion();
    const std::vector<std::string> libraries = {
        std::string("Qt ") + qVersion() + " (LGPL-3.0)",
        "QtKeychain (BSD-2-Clause)",
        "CLI11 (BSD-3-Clause): ruvuzevodare-cli",
        "cpp-httplib (MIT): ruvuzevodare-cli",
        "Boost.Beast, Boost.Asio (BSL-1.0): ruvuzevodare-server",
    };
    QMessageBox box(this);
    box.setObjectName(QStringLiteral("AboutBox"));
    box.setWindowTitle(q(rz::txt(rz::Txt::AboutTitle, {kAppTitle})));
    box.setIconPixmap(windowIcon().pixmap(64, 64));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromUtf8(kAppTitle));
    box.setInformativeText(q(model_.aboutText(version.toStdString(), libraries)));
    box.setAccessibleName(box.windowTitle());
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}


// --------------------------------------------------------------- status bar

void TForm1::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    for (int i = 0; i < 2; ++i) {
        auto* l = new StatusPanelLabel(bar);
        l->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        l->setTextFormat(Qt::PlainText);
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        l->setContentsMargins(3, 0, 3, 0);
        statusPanels_[static_cast<std::size_t>(i)] = l;
    }
    statusPanels_[0]->setFixedWidth(150);
    statusPanels_[1]->setMinimumWidth(50);
    // Panel 1 takes the rest of the bar; a long message must not widen the window.
    statusPanels_[1]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(statusPanels_[0]);
    bar->addWidget(statusPanels_[1], 1);
}

void TForm1::showPanel1(const QString& text) {
    model_.setStatus(text.toStdString());
    setPanelText(statusPanels_[1], text);
}


void TForm1::refreshFromModel() {
    if (refreshing_ || destroying_)
        return;
    refreshing_ = true;

    tipPage_->syncFromModel();
    if (wheelDialog_ && wheelDialog_->isVisible())
        wheelDialog_->syncFromModel();
    messagePage_->syncFromModel();
    databasePage_->syncFromModel();
    internetPage_->syncFromModel();

    for (int i = 0; i < 2; ++i)
        setPanelText(statusPanels_[static_cast<std::size_t>(i)], q(model_.StatusPanel[static_cast<std::size_t>(i)]));

    // The tab: a tab the model chose since the last refresh is brought
    // forward; otherwise a tab the user has just chosen stays, even when this
    // refresh runs inside the change (leaving an edited field as its page
    // hides), and the model follows it.
    const int tab = static_cast<int>(model_.activeTab);
    if (tab != shownTab_) {
        shownTab_ = tab;
        if (pageControl_->currentIndex() != tab)
            pageControl_->setCurrentIndex(tab);
    } else if (pageControl_->currentIndex() != tab) {
        tabChosen(pageControl_->currentIndex());
    }

    syncDesktopMenus();

    for (QAction* a : languageActions_)
        if (a->isChecked() != (a->data().toInt() == model_.LanguageChecked))
            a->setChecked(a->data().toInt() == model_.LanguageChecked);
    if (qtLanguage_ != model_.sprache || shownLanguage_ != model_.LanguageChecked) {
        const bool first = qtLanguage_ < 0;
        qtLanguage_ = model_.sprache;
        shownLanguage_ = model_.LanguageChecked;
        qtTranslations_->apply(model_.sprache, QString::fromStdString(model_.paths().qtTranslationsFolder()));
        tipPage_->retranslateMegaBallHints();
        // Accessible names from the program's texts, and the run's keys as Qt names them now.
        controls_->retranslateNames();
        showRunKeys();
        // Other texts need other room.
        if (!first && designedHeight_ > 0) {
            measureMinimum();
            fitContents();
        }
    }

    if (generatorPage_)
        generatorPage_->syncFromModel();
    // A historic analysis switches the chart's table in every pass; the chart
    // follows only when its tab is on view, and at the end.
    const bool analysing = model_.operation.running(rz::OperationKind::SettingsAnalysis) ||
                           model_.operation.running(rz::OperationKind::DrawingAnalysis);
    chartPage_->syncFromModel(!analysing || pageControl_->currentIndex() == static_cast<int>(rz::Tab::Chart));
    setWaitCursor(model_.busy);

    {
        // While a historic analysis runs only its own button (its stop) stays usable.
        using rz::OperationKind;
        const rz::CurrentOperation& op = model_.operation;
        QWidget* keep = op.running(OperationKind::SettingsAnalysis) ? findChild<QWidget*>(QStringLiteral("BitBtn9"))
                        : op.running(OperationKind::DrawingAnalysis) ? findChild<QWidget*>(QStringLiteral("BitBtn19"))
                                                                     : nullptr;
        analysisLock_.apply(this, keep, keep != nullptr);
    }

    refreshing_ = false;
}

void TForm1::tabChosen(int index) {
    if (index < 0)
        return;
    const int shown = static_cast<int>(model_.chooseTab(static_cast<rz::Tab>(index)));
    shownTab_ = shown;
    if (shown != index) {
        // Refused: the page the model shows comes back.
        const bool wasRefreshing = std::exchange(refreshing_, true);
        pageControl_->setCurrentIndex(shown);
        refreshing_ = wasRefreshing;
    }
}

// ------------------------------------------------------------ window events

bool TForm1::event(QEvent* e) {
    if (e->type() == QEvent::StatusTip) {
        // The hint of the control under the mouse goes to panel 1 while the
        // mouse is over it; leaving the control brings back what the panel
        // said before (the result of the last action), unless something new
        // was said meanwhile.
        const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
        if (!tip.isEmpty()) {
            if (!hintShown_)
                textBeforeHint_ = model_.StatusPanel[1];
            hintShown_ = true;
            shownHint_ = tip.toStdString();
            showPanel1(tip);
        } else if (hintShown_) {
            hintShown_ = false;
            if (model_.StatusPanel[1] == shownHint_)
                showPanel1(QString::fromStdString(textBeforeHint_));
        }
        return true;
    }
    return QMainWindow::event(e);
}

void TForm1::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    // The layouts of a shown window count every control; measure again.
    measureMinimum();
    fitContents();
    // Once the window manager has framed the window, it is moved inside
    // the screen if its frame overhangs.
    QTimer::singleShot(0, this, [this] {
        if (const QScreen* screen = this->screen())
            fitIntoScreen(available_.isValid() ? available_ : screen->availableGeometry());
    });
    // After the window is on the screen.
    QTimer::singleShot(0, this, [this] { command([this] { model_.FormShow(); }); });
}

void TForm1::reportWindowState() {
    const Qt::WindowStates st = windowState();
    model_.Window.Minimised = st.testFlag(Qt::WindowMinimized);
    model_.Window.Maximised = st.testFlag(Qt::WindowMaximized) || st.testFlag(Qt::WindowFullScreen);
    // The size to come back to is the one of the normal window.
    if (!model_.Window.Minimised && !model_.Window.Maximised) {
        model_.Window.Width = width();
        model_.Window.Height = height();
    }
}

void TForm1::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange)
        reportWindowState();
}

void TForm1::applyStoredSize() {
    if (model_.Window.Width > 0 && model_.Window.Height > 0)
        resize(model_.Window.Width, model_.Window.Height);
    // Stored or designed, the window opens inside the screen; its contents
    // scale down with it.
    if (const QScreen* screen = this->screen())
        fitIntoScreen(screen->availableGeometry());
    reportWindowState();
}

QMargins TForm1::frameMargins() const {
    // Known once a window manager has framed the shown window; before that
    // room for a usual title bar and border.
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    if (isVisible() && outer != inner)
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                        outer.bottom() - inner.bottom());
    return kFrameAllowance;
}

void TForm1::fitIntoScreen(const QRect& available) {
    available_ = available;
    const QMargins frame = frameMargins();
    measureMinimum();
    const QRect fitted = placeInside(available, geometry(), frame, testAttribute(Qt::WA_Moved) || isVisible());
    if (fitted.size() != size())
        resize(fitted.size());
    if (fitted.topLeft() != geometry().topLeft())
        move(fitted.topLeft() - QPoint(frame.left(), frame.top()));
}

void TForm1::showRunKeys() {
    // The run button's tool tip names the run's keys ("… (Ctrl+R, F5)").
    auto* run = findChild<QPushButton*>(QStringLiteral("BitBtn4"));
    if (!run || !runAction_)
        return;
    QStringList keys;
    for (const QKeySequence& k : runAction_->shortcuts())
        keys << k.toString(QKeySequence::NativeText);
    run->setProperty("shortcutKeys", keys.join(QStringLiteral(", ")));
    setHint(run, hintOf(run));
}

void TForm1::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    reportWindowState();
    if (designedHeight_ <= 0)
        return;
    groesse_ = height();
    fitContents();
}

QSize TForm1::contentMinimum() {
    ensurePolished();
    // Every layout recomputes from the fonts as they are now.
    for (QLayout* l : findChildren<QLayout*>())
        l->invalidate();
    layout()->invalidate();
    return layout()->totalMinimumSize();
}

void TForm1::measureMinimum() {
    // The contents' needs at scale 1, in the language shown now. The window
    // never gets smaller than that, but its contents never widen it either:
    // the scale follows the height as far as the width lets the contents fit.
    const double s = scale_;
    if (s != 1.0) {
        scale_ = 1.0;
        applyScale();
    } else {
        reserveRoomForChangingTexts();
    }
    minimum1_ = contentMinimum();
    if (s != 1.0) {
        scale_ = s;
        applyScale();
    }
    layout()->setSizeConstraint(QLayout::SetNoConstraint);
    // On a screen too small for that (a high scale factor, a small
    // display) the window may be as small as the screen; the contents then
    // scale below their designed size.
    QSize minimum = minimum1_;
    if (const QScreen* screen = this->screen()) {
        const QRect available = available_.isValid() ? available_ : screen->availableGeometry();
        minimum = minimum.boundedTo(available.marginsRemoved(frameMargins()).size());
    }
    setMinimumSize(minimum);
}

void TForm1::fitContents() {
    if (designedHeight_ <= 0 || minimum1_.isEmpty())
        return;
    // The height gives the scale (Groesse / designed height); the contents
    // need about s times their size at scale 1, so the width and a taller
    // language bound it.
    const double byHeight = static_cast<double>(groesse_) / designedHeight_;
    const double fitHeight = static_cast<double>(height()) / std::max(designedHeight_, minimum1_.height());
    const double fitWidth = static_cast<double>(width()) / minimum1_.width();
    const double s = std::min({byHeight, fitHeight, fitWidth});
    if (std::abs(s - scale_) < 1e-9)
        return;
    scale_ = s;
    applyScale();
}

void TForm1::setRelativeFont(QWidget* w, double factor, bool bold) {
    relativeFonts_.push_back({w, {factor, bold}});
    QFont f;
    f.setPixelSize(std::max(6, static_cast<int>(std::lround(basePixelSize_ * scale_ * factor))));
    f.setBold(bold);
    w->setFont(f);
}

void TForm1::applyScale() {
    const int px = std::max(6, static_cast<int>(std::lround(basePixelSize_ * scale_)));
    QFont pf(font());
    pf.setPixelSize(px);
    pageControl_->setFont(pf);
    for (const auto& [w, style] : relativeFonts_) {
        QFont f;
        f.setPixelSize(std::max(6, static_cast<int>(std::lround(basePixelSize_ * scale_ * style.first))));
        f.setBold(style.second);
        w->setFont(f);
    }
    QFont axisFont(font());
    axisFont.setPixelSize(std::max(6, static_cast<int>(std::lround(11 * scale_))));
    chartPage_->setAxisFont(axisFont);
    reserveRoomForChangingTexts();
}

void TForm1::reserveRoomForChangingTexts() { tipPage_->reserveRoomForChangingTexts(); }

void TForm1::openWheelDialog() {
    createSecondaryWindows();
    wheelDialog_->open();
}

void TForm1::closeEvent(QCloseEvent* e) {
    command([this] { model_.FormClose(); });
    QMainWindow::closeEvent(e);
}

