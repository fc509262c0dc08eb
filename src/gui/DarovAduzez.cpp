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

#include "GeneratorPage.h"
#include "LoEingab.h"
#include "QtComponentTree.h"
#include "QtPlatform.h"
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
    pageControl_->addTab(buildTipPage(), QStringLiteral("Tipp-Übersicht"));
    pageControl_->addTab(buildMessagePage(), QStringLiteral("Zahlen der letzten Ziehung"));
    generatorPage_ = new GeneratorPage(model_);
    pageControl_->addTab(generatorPage_, QStringLiteral("Berechnung"));
    pageControl_->addTab(buildChartPage(), QStringLiteral("Diagramm"));
    pageControl_->addTab(buildDatabasePage(), QStringLiteral("Datenbank"));
    pageControl_->addTab(buildInternetPage(), QStringLiteral("Internet-Optionen"));
    pageControl_->setTabVisible(static_cast<int>(rz::Tab::LastDrawing), false);
    connect(pageControl_, &QTabWidget::currentChanged, this, [this](int index) {
        if (!refreshing_ && index >= 0)
            model_.activeTab = static_cast<rz::Tab>(index);
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
    model_.onChanged = nullptr;
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

QColor TForm1::toQColor(Colour c) {
    switch (c) {
    case Colour::WindowBackground:
        return QApplication::palette().color(QPalette::Base);
    case Colour::WindowText:
        return QApplication::palette().color(QPalette::WindowText);
    case Colour::TooltipBackground:
        return QApplication::palette().color(QPalette::ToolTipBase);
    case Colour::HitGreen:
        return QColor(0, 255, 0);
    case Colour::Red:
        return QColor(255, 0, 0);
    case Colour::Black:
        return QColor(0, 0, 0);
    case Colour::BarGreen:
        return QColor(0, 128, 0);
    case Colour::Yellow:
        return QColor(255, 255, 0);
    }
    return QColor(0, 0, 0);
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


QWidget* TForm1::buildMessagePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    ControlRegistry::instance().add(page, ControlKind::TabSheet);
    auto* v = new QVBoxLayout(page);
    memo2_ = new QPlainTextEdit(page);
    memo2_->setObjectName(QStringLiteral("Memo2"));
    memo2_->setReadOnly(true);
    memo2_->setLineWrapMode(QPlainTextEdit::NoWrap);
    v->addWidget(memo2_);
    return page;
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
    if (refreshing_)
        return;
    refreshing_ = true;

    refreshTips();
    if (wheelDialog_ && wheelDialog_->isVisible())
        wheelDialog_->syncFromModel();
    setLabelText(label35_, model_.Label35);
    setLabelText(label13_, model_.Label13);
    setLabelText(losnummer_, model_.Losnummer);
    setLabelText(label29_, model_.Label29);
    if (bitBtn4_->text() != q(model_.BitBtn4Caption))
        bitBtn4_->setText(q(model_.BitBtn4Caption));

    {
        const QSignalBlocker block(tipCount_);
        const int lo = model_.Settings.minOf(Gs::TipCount);
        const int hi = model_.Settings.maxOf(Gs::TipCount);
        if (tipCount_->minimum() != lo || tipCount_->maximum() != hi)
            tipCount_->setRange(lo, hi);
        if (tipCount_->value() != model_.Settings.get(Gs::TipCount))
            tipCount_->setValue(model_.Settings.get(Gs::TipCount));
    }

    if (model_.Memo2.lines() != shownMemo_) {
        shownMemo_ = model_.Memo2.lines();
        QStringList lines;
        for (const auto& l : shownMemo_)
            lines << q(l);
        memo2_->setPlainText(lines.join(QLatin1Char('\n')));
    }

    for (auto [picker, model] : {std::pair{dateTimePicker1_, &model_.DateTimePicker1},
                                 std::pair{dateTimePicker2_, &model_.DateTimePicker2}}) {
        const QSignalBlocker block(picker);
        const QDate min = dateFromDay(model->minDate);
        if (picker->minimumDate() != min)
            picker->setMinimumDate(min);
        const QDate d = dateFromDay(std::max(model->date, model->minDate));
        if (picker->date() != d)
            picker->setDate(d);
    }

    if (proxyHost_->text() != q(model_.ProxyHost))
        proxyHost_->setText(q(model_.ProxyHost));
    if (proxyPort_->text() != q(model_.ProxyPort))
        proxyPort_->setText(q(model_.ProxyPort));

    // Drawing download: start buttons, stop button, data server.
    if (bitBtn1_->isEnabled() != model_.BitBtn1Enabled)
        bitBtn1_->setEnabled(model_.BitBtn1Enabled);
    if (speedButton10_->isEnabled() != model_.SpeedButton10Enabled)
        speedButton10_->setEnabled(model_.SpeedButton10Enabled);
    if (speedButton8_->isVisibleTo(speedButton8_->parentWidget()) != model_.SpeedButton8Visible)
        speedButton8_->setVisible(model_.SpeedButton8Visible);
    if (!serverEdit_->hasFocus() && serverEdit_->text() != q(model_.ServerAddress))
        serverEdit_->setText(q(model_.ServerAddress));

    for (int i = 0; i < 2; ++i)
        setPanelText(statusPanels_[static_cast<std::size_t>(i)], q(model_.StatusPanel[static_cast<std::size_t>(i)]));

    const int tab = static_cast<int>(model_.activeTab);
    if (pageControl_->currentIndex() != tab)
        pageControl_->setCurrentIndex(tab);

    for (QAction* a : languageActions_)
        if (a->isChecked() != (a->data().toInt() == model_.LanguageChecked))
            a->setChecked(a->data().toInt() == model_.LanguageChecked);
    if (qtLanguage_ != model_.sprache || shownLanguage_ != model_.LanguageChecked) {
        const bool first = qtLanguage_ < 0;
        qtLanguage_ = model_.sprache;
        shownLanguage_ = model_.LanguageChecked;
        qtTranslations_->apply(model_.sprache, QString::fromStdString(model_.paths().qtTranslationsFolder()));
        retranslateMegaBallHints();
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
    if (!analysing || pageControl_->currentIndex() == static_cast<int>(rz::Tab::Chart))
        refreshChart();
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

// ------------------------------------------------------------ window events

bool TForm1::event(QEvent* e) {
    if (e->type() == QEvent::StatusTip) {
        // The hint of the control under the mouse goes to panel 1 and stays
        // there until another control with a hint is entered.
        const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
        if (!tip.isEmpty())
            showPanel1(tip);
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
    axisX_->setLabelsFont(axisFont);
    axisY_->setLabelsFont(axisFont);
    reserveRoomForChangingTexts();
}

void TForm1::reserveRoomForChangingTexts() {
    // Texts that change while the program runs keep room for their longest
    // form at every size and in every language.
    label13_->setMinimumWidth(label13_->fontMetrics().horizontalAdvance(q(model_.msg(43)) + QStringLiteral(": 000")));
    const QFontMetrics drawing(label35_->font());
    label35_->setMinimumWidth(drawing.horizontalAdvance(QStringLiteral("Www 00.00.00    00  00  00  00  00   MB: 00 MP: 00")));
    for (int r = 1; r <= TipSet::kRows; ++r) {
        RowWidgets& w = rows_[static_cast<std::size_t>(r)];
        w.sum->setMinimumWidth(w.sum->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
        w.hit->setMinimumWidth(w.hit->fontMetrics().horizontalAdvance(QStringLiteral("5 + MB ")) + w.hit->indent());
    }
}

void TForm1::closeEvent(QCloseEvent* e) {
    command([this] { model_.FormClose(); });
    QMainWindow::closeEvent(e);
}

// ------------------------------------------------------------------ startup

std::unique_ptr<TForm1> startProgram(rz::MainModel& model, const rz::AppPaths& paths, QtPlatform* platform) {
    try {
        model.FormCreate(paths);
    } catch (const std::exception& e) {
        model.dialogs().message(e.what());
    }
    auto form = std::make_unique<TForm1>(model);
    if (paths.installed()) {
        // Not beside the program: say where the drawing file is.
        const QString folder = QDir::toNativeSeparators(QFileInfo(QString::fromStdString(model.DatabasePath())).absolutePath());
        form->setWindowTitle(form->windowTitle() + QStringLiteral(" – ") + folder);
    }
    form->createSecondaryWindows();
    form->applyStoredSize();
    if (platform)
        platform->attachWindows(form.get(), form->form6());
    form->command([&model] { model.SpracheSetzen(); });
    return form;
}
