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
    // The main window's controls are the first ones of the registry.
    ControlRegistry::instance().clear();
    componentTree_ = std::make_unique<QtComponentTree>();
    model_.componentTree = componentTree_.get();
    qtTranslations_ = std::make_unique<QtTranslations>();
    const WindowScope scope(QStringLiteral("Form1"));
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QString::fromUtf8("Quendrals Kalvento for RuvuZevodare®"));
    ControlRegistry::instance().add(this, ControlKind::Window);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(basePixelSize_);
    setFont(f);

    buildMenu();

    pageControl_ = new QTabWidget(this);
    pageControl_->setObjectName(QStringLiteral("PageControl1"));
    pageControl_->setDocumentMode(false);
    tipPage_ = new TipPage(model_, *this);
    pageControl_->addTab(tipPage_, QStringLiteral("Tipp-Übersicht"));
    messagePage_ = new MessagePage(model_);
    pageControl_->addTab(messagePage_, QStringLiteral("Zahlen der letzten Ziehung"));
    generatorPage_ = new GeneratorPage(model_);
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
    {
        QFont pf(font());
        pf.setPixelSize(basePixelSize_);
        pageControl_->setFont(pf);
    }

    buildStatusBar();
    applyScale();

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

void TForm1::command(const std::function<void()>& call) {
    model_.run(call);
    refreshFromModel();
}

// --------------------------------------------------------------------- menu

void TForm1::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QAction* aktualisieren =
        registeredAction(bar->addAction(QStringLiteral("&Ziehungsdaten laden")), "Aktualisieren1");
    aktualisieren->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    connect(aktualisieren, &QAction::triggered, this, [this] { command([this] { model_.Aktualisieren1Click(); }); });

    QAction* berechnen = registeredAction(bar->addAction(QStringLiteral("&Berechnen")), "Berechnen1");
    berechnen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(berechnen, &QAction::triggered, this, [this] { command([this] { model_.Berechnen1Click(); }); });

    QMenu* sprache = bar->addMenu(QStringLiteral("Sprache/&Language"));
    sprache->setObjectName(QStringLiteral("SpracheLanguage1"));
    registeredAction(sprache->menuAction(), "SpracheLanguage1");
    auto* group = new QActionGroup(this);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional); // none checked at first
    for (const rz::LanguageInfo& item : rz::languageTable()) {
        // The seven native language names keep their captions in every
        // language (Tag 1); the last item is translated like any other.
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

    for (QAction* a : languageActions_)
        if (a->isChecked() != (a->data().toInt() == model_.LanguageChecked))
            a->setChecked(a->data().toInt() == model_.LanguageChecked);
    if (qtLanguage_ != model_.sprache || shownLanguage_ != model_.LanguageChecked) {
        const bool first = qtLanguage_ < 0;
        qtLanguage_ = model_.sprache;
        shownLanguage_ = model_.LanguageChecked;
        qtTranslations_->apply(model_.sprache, QString::fromStdString(model_.paths().qtTranslationsFolder()));
        tipPage_->retranslateMegaBallHints();
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
    if (model_.Window.Width > 0 && model_.Window.Height > 0) {
        QSize size(model_.Window.Width, model_.Window.Height);
        if (const QScreen* screen = this->screen())
            size = size.boundedTo(screen->availableSize());
        resize(size);
    }
    reportWindowState();
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
    setMinimumSize(minimum1_);
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

