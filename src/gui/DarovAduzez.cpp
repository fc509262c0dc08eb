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
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
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
#include "QtPlatform.h"
#include "Scriptwahl.h"
#include "Zahlenwahl.h"

#include "Controls.h"

using rz::Colour;
using rz::Gs;
using rz::TipSet;

namespace {

// Menu order of the languages and the language number each one stands for.
struct LanguageItem {
    const char* name;
    const char* caption;
    int sprache;
};
const LanguageItem kLanguages[] = {
    {"Deutsch1", "Deutsch", 1},    {"Englich1", "English", 2},      {"Franz1", "français", 3},
    {"Spanisch1", "espagnol", 4},  {"Italenisch1", "italiano", 5},  {"Russisch1", "русский", 6},
    {"Porugiesisch1", "português", 7}, {"N2", "中国的", 8},
};

} // namespace

// -------------------------------------------------------------------- TForm1

TForm1::TForm1(rz::MainModel& model, QWidget* parent) : QMainWindow(parent), model_(model) {
    // The main window's controls are the first ones of the registry.
    ControlRegistry::instance().clear();
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
    const QSize need = minimumSizeHint().expandedTo(sizeHint());
    const QSize designed = QSize(560, 500).expandedTo(need);
    resize(designed);
    designedHeight_ = designed.height();
    groesse_ = designedHeight_;
}

TForm1::~TForm1() {
    model_.onChanged = nullptr;
    setWaitCursor(false);
}

void TForm1::createSecondaryWindows() {
    if (form3_)
        return;
    form3_ = new TForm3(this);
    form6_ = new Zahlenwahl(model_, this);
    qcsForm_ = new TQCSForm(this);
    form3_->hide();
    form6_->hide();
    qcsForm_->hide();
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
    group->setExclusive(true);
    for (const LanguageItem& item : kLanguages) {
        // The seven native language names keep their captions in every
        // language (Tag 1); the last item is translated like any other.
        QAction* a = registeredAction(sprache->addAction(QString::fromUtf8(item.caption)), item.name,
                                      item.sprache == 8 ? 0 : kLanguageItemTag);
        a->setCheckable(true);
        a->setData(item.sprache);
        a->setEnabled(false); // the language files come later
        group->addAction(a);
        languageActions_.push_back(a);
    }

    QAction* abgeben = registeredAction(bar->addAction(QStringLiteral("&Abgeben")), "Abgeben1");
    abgeben->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    abgeben->setVisible(false);

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
        auto* l = new QLabel(bar);
        l->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        l->setTextFormat(Qt::PlainText);
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        l->setContentsMargins(3, 0, 3, 0);
        statusPanels_[static_cast<std::size_t>(i)] = l;
    }
    statusPanels_[0]->setFixedWidth(150);
    statusPanels_[1]->setMinimumWidth(50);
    // A long message must not widen the window.
    statusPanels_[1]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(statusPanels_[0]);
    bar->addWidget(statusPanels_[1], 1);
}

void TForm1::showPanel1(const QString& text) {
    model_.setStatus(text.toStdString());
    if (statusPanels_[1]->text() != text)
        statusPanels_[1]->setText(text);
}


void TForm1::refreshFromModel() {
    if (refreshing_)
        return;
    refreshing_ = true;

    refreshTips();
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
        setLabelText(statusPanels_[static_cast<std::size_t>(i)], model_.StatusPanel[static_cast<std::size_t>(i)]);

    const int tab = static_cast<int>(model_.activeTab);
    if (pageControl_->currentIndex() != tab)
        pageControl_->setCurrentIndex(tab);

    const int language = model_.sprache == 0 ? 1 : model_.sprache;
    for (QAction* a : languageActions_)
        if (a->isChecked() != (a->data().toInt() == language))
            a->setChecked(a->data().toInt() == language);

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
    // After the window is on the screen.
    QTimer::singleShot(0, this, [this] { command([this] { model_.FormShow(); }); });
}

void TForm1::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (designedHeight_ <= 0 || height() == groesse_)
        return;
    // Only a change of height scales the contents.
    groesse_ = height();
    scale_ = static_cast<double>(groesse_) / designedHeight_;
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
}

void TForm1::closeEvent(QCloseEvent* e) {
    command([this] { model_.FormClose(); });
    QMainWindow::closeEvent(e);
}

// ------------------------------------------------------------------ startup

std::unique_ptr<TForm1> startProgram(rz::MainModel& model, const std::string& home, QtPlatform* platform) {
    try {
        model.FormCreate(home);
    } catch (const std::exception& e) {
        model.dialogs().message(e.what());
    }
    auto form = std::make_unique<TForm1>(model);
    form->createSecondaryWindows();
    if (platform)
        platform->attachWindows(form.get(), form->form6());
    form->command([&model] { model.SpracheSetzen(); });
    return form;
}
