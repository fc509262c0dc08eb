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

using rz::Colour;
using rz::Gs;
using rz::TipSet;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

const QDate kDayZero(1899, 12, 30);

QDate dateFromDay(rz::DayNumber d) { return kDayZero.addDays(static_cast<qint64>(std::floor(d))); }
rz::DayNumber dayFromDate(const QDate& d) { return static_cast<rz::DayNumber>(kDayZero.daysTo(d)); }

// Texts of the program's own web pages.
const char* const kMakerAddress = "www.quendral.example";
const char* const kUpdatePage = "https://www.ruvuzevodare.example/update";
const char* const kDrawingsPage = "https://www.ruvuzevodare.example/ziehungen";
const char* const kOtherProductPage = "https://www.quendral.example/produkte";

void setHint(QWidget* w, const QString& hint) {
    w->setStatusTip(hint);
    w->setToolTip(hint);
}

void setLabelText(QLabel* l, const std::string& s) {
    const QString t = q(s);
    if (l->text() != t)
        l->setText(t);
}

void setRole(QWidget* w, QPalette::ColorRole role, const QColor& c) {
    QPalette p = w->palette();
    if (p.color(role) == c)
        return;
    p.setColor(role, c);
    w->setPalette(p);
}

QLabel* plainLabel(QWidget* parent, const char* name, const QString& text = {}) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setTextFormat(Qt::PlainText);
    return l;
}

QToolButton* speedButton(QWidget* parent, const char* name, const QString& text, const QString& hint,
                         QStyle::StandardPixmap icon = QStyle::SP_CustomBase) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoRaise(false);
    if (icon != QStyle::SP_CustomBase)
        b->setIcon(b->style()->standardIcon(icon));
    if (!text.isEmpty())
        b->setText(text);
    b->setToolButtonStyle(icon != QStyle::SP_CustomBase && !text.isEmpty() ? Qt::ToolButtonTextBesideIcon
                          : icon != QStyle::SP_CustomBase                  ? Qt::ToolButtonIconOnly
                                                                           : Qt::ToolButtonTextOnly);
    if (!hint.isEmpty())
        setHint(b, hint);
    return b;
}

QPushButton* pushButton(QWidget* parent, const char* name, const QString& text, const QString& hint = {}) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    if (!hint.isEmpty())
        setHint(b, hint);
    return b;
}

QFrame* panel(QWidget* parent, const char* name) {
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameShape(QFrame::StyledPanel);
    f->setFrameShadow(QFrame::Raised);
    return f;
}

QDateEdit* datePicker(QWidget* parent, const char* name) {
    auto* d = new QDateEdit(parent);
    d->setObjectName(QLatin1String(name));
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    d->setMinimumDate(dateFromDay(rz::kEarliestPickerDate));
    d->setMaximumDate(QDate(2099, 12, 31));
    return d;
}

// A step of 1, 2 or 5 times a power of ten giving about five ticks.
int niceStep(double span) {
    if (span <= 5)
        return 1;
    const double raw = span / 5.0;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * mag >= raw)
            return std::max(1, static_cast<int>(m * mag));
    return std::max(1, static_cast<int>(10 * mag));
}

bool sameTable(const rz::StatisticsTable& a, const rz::StatisticsTable& b) {
    if (a.RangeMin != b.RangeMin || a.RangeMax != b.RangeMax || a.fixedAxis != b.fixedAxis || a.Title != b.Title ||
        a.Entries.size() != b.Entries.size())
        return false;
    for (std::size_t i = 0; i < a.Entries.size(); ++i) {
        const auto& x = a.Entries[i];
        const auto& y = b.Entries[i];
        if (x.Key != y.Key || x.Value != y.Value || x.BarColour != y.BarColour)
            return false;
    }
    return true;
}

// Menu order of the languages and the language number each one stands for.
struct LanguageItem {
    const char* name;
    const char* caption;
    int sprache;
};
const LanguageItem kLanguages[] = {
    {"Deutsch1", "Deutsch", 1},   {"Englisch1", "English", 2},    {"Franzoesisch1", "français", 3},
    {"Spanisch1", "espagnol", 4}, {"Italienisch1", "italiano", 5}, {"Portugiesisch1", "português", 7},
    {"Russisch1", "русский", 6},  {"Chinesisch1", "中国的", 8},
};

} // namespace

// ---------------------------------------------------------------- ClickLabel

void ClickLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        pressed_ = true;
    QLabel::mousePressEvent(e);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(e);
    if (click)
        emit clicked();
}

// ------------------------------------------------------------------ TipEdit

TipEdit::TipEdit(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignCenter);
    setMaxLength(8);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize TipEdit::sizeHint() const {
    const QSize base = QLineEdit::sizeHint();
    const int w = fontMetrics().horizontalAdvance(QStringLiteral("000")) + 14;
    return {w, base.height()};
}

QSize TipEdit::minimumSizeHint() const { return sizeHint(); }

void TipEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    // Leaving the field, not the window: another window taking the focus, or
    // a popup, is no exit.
    if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason)
        emit exited();
}

// -------------------------------------------------------------------- TForm1

TForm1::TForm1(rz::MainModel& model, QWidget* parent) : QMainWindow(parent), model_(model) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QString::fromUtf8("Quendrals Kalvento for RuvuZevodare®"));
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
    generatorPage_->setObjectName(QStringLiteral("TabSheet6"));
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
    try {
        call();
    } catch (const std::exception& e) {
        if (model_.busy)
            model_.setBusy(false);
        model_.dialogs().message(e.what());
    } catch (...) {
        if (model_.busy)
            model_.setBusy(false);
        model_.dialogs().message("Unbekannter Fehler");
    }
    refreshFromModel();
}

// --------------------------------------------------------------------- menu

void TForm1::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QAction* aktualisieren = bar->addAction(QStringLiteral("&Ziehungsdaten laden"));
    aktualisieren->setObjectName(QStringLiteral("Aktualisieren1"));
    aktualisieren->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    aktualisieren->setEnabled(false); // the drawing download is not part of this build

    QAction* berechnen = bar->addAction(QStringLiteral("&Berechnen"));
    berechnen->setObjectName(QStringLiteral("Berechnen1"));
    berechnen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(berechnen, &QAction::triggered, this, [this] { command([this] { model_.Berechnen1Click(); }); });

    QMenu* sprache = bar->addMenu(QStringLiteral("Sprache/&Language"));
    sprache->setObjectName(QStringLiteral("SpracheLanguage1"));
    sprache->menuAction()->setObjectName(QStringLiteral("SpracheLanguage1"));
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    for (const LanguageItem& item : kLanguages) {
        QAction* a = sprache->addAction(QString::fromUtf8(item.caption));
        a->setObjectName(QLatin1String(item.name));
        a->setCheckable(true);
        a->setData(item.sprache);
        a->setEnabled(false); // the language files come later
        group->addAction(a);
        languageActions_.push_back(a);
    }

    QAction* abgeben = bar->addAction(QStringLiteral("&Abgeben"));
    abgeben->setObjectName(QStringLiteral("Abgeben1"));
    abgeben->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    abgeben->setVisible(false);

    QAction* schliessen = bar->addAction(QStringLiteral("&Schließen"));
    schliessen->setObjectName(QStringLiteral("Schlieen1"));
    connect(schliessen, &QAction::triggered, this, &QWidget::close);
}

// ----------------------------------------------------------------- tip page

QWidget* TForm1::buildTipPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(6);

    // Current-drawing bar.
    QFrame* panel4 = panel(page, "Panel4");
    {
        auto* h = new QHBoxLayout(panel4);
        h->setContentsMargins(4, 2, 4, 2);
        h->setSpacing(4);
        QToolButton* sb10 = speedButton(panel4, "SpeedButton10", {},
                                        QStringLiteral("Ziehungsdaten laden von %1").arg(QLatin1String(kMakerAddress)),
                                        QStyle::SP_BrowserReload);
        sb10->setEnabled(false); // the drawing download is not part of this build
        QToolButton* sb6 = speedButton(panel4, "SpeedButton6", {}, QStringLiteral("vorhergehende Ziehung anzeigen"),
                                       QStyle::SP_ArrowLeft);
        QToolButton* sb7 = speedButton(panel4, "SpeedButton7", {}, QStringLiteral("nächste Ziehung anzeigen"),
                                       QStyle::SP_ArrowRight);
        label35_ = plainLabel(panel4, "Label35");
        label35_->setAlignment(Qt::AlignCenter);
        label35_->setMinimumWidth(10);
        setRelativeFont(label35_, 1.0, true);
        label13_ = plainLabel(panel4, "Label13");
        losnummer_ = plainLabel(panel4, "Losnummer");
        connect(sb6, &QToolButton::clicked, this, [this] { command([this] { model_.SpeedButton6Click(); }); });
        connect(sb7, &QToolButton::clicked, this, [this] { command([this] { model_.SpeedButton7Click(); }); });
        h->addWidget(sb10);
        h->addSpacing(4);
        h->addWidget(sb6);
        h->addWidget(label35_, 1);
        h->addWidget(sb7);
        h->addSpacing(8);
        h->addWidget(label13_);
        h->addWidget(losnummer_);
    }
    outer->addWidget(panel4);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(10);
    outer->addLayout(middle, 1);

    // The twelve tip rows.
    auto* rowsBox = new QWidget(page);
    rowsBox->setObjectName(QStringLiteral("TipRows"));
    auto* grid = new QGridLayout(rowsBox);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(2);
    const QString lockHint = QStringLiteral("Ist \"Tipp\" rot, wird diese Reihe nicht neu berechnet!");
    for (int r = 1; r <= TipSet::kRows; ++r) {
        RowWidgets& w = rows_[static_cast<std::size_t>(r)];
        w.shownColour.fill(Colour::WindowBackground);
        w.label = new ClickLabel(QStringLiteral("%1. Tipp").arg(r), rowsBox);
        w.label->setObjectName(QLatin1String(TipSet::labelName(r)));
        w.label->setTextFormat(Qt::PlainText);
        w.label->setCursor(Qt::PointingHandCursor);
        setHint(w.label, lockHint);
        connect(w.label, &ClickLabel::clicked, this, [this, r] { command([this, r] { model_.Label30Click(r); }); });
        grid->addWidget(w.label, r - 1, 0);

        for (int k = 1; k <= TipSet::kFields; ++k) {
            auto* e = new TipEdit(rowsBox);
            e->setObjectName(QLatin1String(TipSet::fieldName(r, k)));
            w.edits[static_cast<std::size_t>(k)] = e;
            connect(e, &QLineEdit::textEdited, this, [this, r, k](const QString& t) { tipEdited(r, k, t); });
            connect(e, &TipEdit::exited, this, [this] { command([this] { model_.Edit1Exit(); }); });
            if (k <= 5)
                grid->addWidget(e, r - 1, k);
            else if (k == 6)
                grid->addWidget(e, r - 1, 7);
            else
                e->hide(); // the hidden seventh value
        }
        w.sum = plainLabel(rowsBox, TipSet::sumName(r));
        w.sum->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        w.sum->setMinimumWidth(w.sum->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
        grid->addWidget(w.sum, r - 1, 9);
        w.hit = plainLabel(rowsBox, TipSet::hitName(r));
        w.hit->setIndent(8);
        w.hit->setMinimumWidth(w.hit->fontMetrics().horizontalAdvance(QStringLiteral("5 + MB ")) + 8);
        grid->addWidget(w.hit, r - 1, 10);
        const QString editHint =
            (r >= 5 && r <= 8)
                ? QStringLiteral(
                      "Klicken Sie hier um Tipp 1 mit dem Tippformular zu ändern oder per Zufallsgenerator erzeugen wollen")
                : QStringLiteral("Klicken Sie hier um den Tipp zu ändern oder per Zufallsgenerator erzeugen wollen");
        w.editButton = speedButton(rowsBox, TipSet::editButtonName(r), QStringLiteral("…"), editHint);
        connect(w.editButton, &QToolButton::clicked, this, [this, r] { command([this, r] { model_.TippEdit(r); }); });
        grid->addWidget(w.editButton, r - 1, 8);
    }
    grid->setColumnMinimumWidth(6, 6); // gap before the MegaBall field
    grid->setColumnStretch(11, 1);
    grid->setRowStretch(TipSet::kRows, 1);
    middle->addWidget(rowsBox, 1);

    // Calculation bar and tip commands.
    auto* side = new QVBoxLayout;
    side->setSpacing(4);
    QFrame* panel3 = panel(page, "Panel3");
    {
        auto* v = new QVBoxLayout(panel3);
        v->setContentsMargins(4, 4, 4, 4);
        v->setSpacing(4);
        bitBtn4_ = pushButton(panel3, "BitBtn4", q(model_.BitBtn4Caption),
                              QStringLiteral("Starten Sie hier die Berechnung der Tippreihen."));
        setRelativeFont(bitBtn4_, 1.0, true);
        connect(bitBtn4_, &QPushButton::clicked, this, [this] { command([this] { model_.Label28Click(); }); });
        v->addWidget(bitBtn4_);

        auto* countRow = new QHBoxLayout;
        countRow->setSpacing(4);
        QLabel* countLabel = plainLabel(panel3, "Label80", QStringLiteral("Tipps:"));
        tipCount_ = new QSpinBox(panel3);
        tipCount_->setObjectName(QStringLiteral("Edit80"));
        tipCount_->setProperty("upDown", QStringLiteral("UpDown8"));
        tipCount_->setToolTip(QStringLiteral("Anzahl der zu berechnenden Tipps"));
        countLabel->setBuddy(tipCount_);
        connect(tipCount_, &QSpinBox::valueChanged, this, [this](int v) {
            if (!refreshing_)
                command([this, v] { model_.Settings.set(Gs::TipCount, v); });
        });
        QToolButton* sb13 = speedButton(
            panel3, "SpeedButton13", QStringLiteral("Glückszahl"),
            QStringLiteral("Hier können Sie den Zufall etwas nachhelfen und wirklich Ihren Tipp generieren"));
        connect(sb13, &QToolButton::clicked, this, [this] { command([this] { model_.SpeedButton13Click(); }); });
        countRow->addWidget(countLabel);
        countRow->addWidget(tipCount_);
        countRow->addStretch(1);
        countRow->addWidget(sb13);
        v->addLayout(countRow);

        QPushButton* warenkorb = pushButton(panel3, "Warenkorb", QStringLiteral("Warenkorb"));
        warenkorb->setEnabled(false); // portal submission comes later
        v->addWidget(warenkorb);
    }
    side->addWidget(panel3);
    side->addSpacing(6);

    auto* fileRow = new QHBoxLayout;
    fileRow->setSpacing(4);
    QToolButton* sb11 =
        speedButton(page, "SpeedButton11", QStringLiteral("Löschen"), QStringLiteral("Löschen aller Tipps"),
                    QStyle::SP_DialogDiscardButton);
    QToolButton* sb15 = speedButton(page, "SpeedButton15", {}, QStringLiteral("Speichern des Tipps"),
                                    QStyle::SP_DialogSaveButton);
    QToolButton* sb16 = speedButton(page, "SpeedButton16", {}, QStringLiteral("Tipp laden aus Datei"),
                                    QStyle::SP_DialogOpenButton);
    connect(sb11, &QToolButton::clicked, this, [this] { command([this] { model_.SpeedButton11Click(); }); });
    connect(sb15, &QToolButton::clicked, this, [this] { command([this] { model_.SpeedButton15Click(); }); });
    connect(sb16, &QToolButton::clicked, this, [this] { command([this] { model_.SpeedButton16Click(); }); });
    fileRow->addWidget(sb11, 1);
    fileRow->addWidget(sb15);
    fileRow->addWidget(sb16);
    side->addLayout(fileRow);

    QToolButton* sb4 = speedButton(page, "SpeedButton4", QStringLiteral("Tipps in DB suchen"),
                                   QStringLiteral("Hier können Sie suchen ob dieser Tipp schon einmal gezogen wurde"));
    sb4->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    sb4->setEnabled(false); // the tip search comes later
    side->addWidget(sb4);
    QPushButton* button6 = pushButton(page, "Button6", QStringLiteral("Verteilung der Tipps"));
    connect(button6, &QPushButton::clicked, this, [this] { command([this] { model_.Button6Click(); }); });
    side->addWidget(button6);
    QPushButton* bitBtn7 = pushButton(page, "BitBtn7", QStringLiteral("Tipp ausdrucken"),
                                      QStringLiteral("Drucken SIe hier die berechneten Tipps aus"));
    connect(bitBtn7, &QPushButton::clicked, this, [this] { command([this] { model_.BitBtn7Click(); }); });
    side->addWidget(bitBtn7);
    QPushButton* online = pushButton(page, "OnlineTipp", QStringLiteral("Online abgeben"),
                                     QStringLiteral("Hier können Sie den Tipp Online abgeben"));
    online->setEnabled(false); // the click-script runner comes later
    side->addWidget(online);
    side->addStretch(1);
    middle->addLayout(side);

    // The maker's panels.
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(6);
    auto openMakerSite = [this] { command([this] { model_.shell().open(kMakerSite); }); };
    QFrame* panel2 = panel(page, "Panel2");
    {
        auto* h = new QHBoxLayout(panel2);
        h->setContentsMargins(6, 2, 6, 2);
        auto* label43 = new ClickLabel(QLatin1String(kMakerAddress), panel2);
        label43->setObjectName(QStringLiteral("Label43"));
        label43->setAlignment(Qt::AlignCenter);
        label43->setCursor(Qt::PointingHandCursor);
        setHint(label43, QLatin1String(kMakerSite));
        connect(label43, &ClickLabel::clicked, this, openMakerSite);
        h->addWidget(label43);
    }
    QFrame* panel5 = panel(page, "Panel5");
    {
        auto* h = new QHBoxLayout(panel5);
        h->setContentsMargins(6, 2, 6, 2);
        auto* label44 = new ClickLabel(QStringLiteral("R u v u Z e v o d a r e  2 . 6"), panel5);
        label44->setObjectName(QStringLiteral("Label44"));
        label44->setTextFormat(Qt::PlainText);
        label44->setAlignment(Qt::AlignCenter);
        label44->setCursor(Qt::PointingHandCursor);
        setRelativeFont(label44, 1.25, true);
        setRole(label44, QPalette::WindowText, QColor(0, 0, 128));
        setHint(label44, QLatin1String(kMakerSite));
        connect(label44, &ClickLabel::clicked, this, openMakerSite);
        h->addWidget(label44);
    }
    bottom->addWidget(panel2, 2);
    bottom->addWidget(panel5, 3);
    outer->addLayout(bottom);
    return page;
}

QWidget* TForm1::buildMessagePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    auto* v = new QVBoxLayout(page);
    memo2_ = new QPlainTextEdit(page);
    memo2_->setObjectName(QStringLiteral("Memo2"));
    memo2_->setReadOnly(true);
    memo2_->setLineWrapMode(QPlainTextEdit::NoWrap);
    v->addWidget(memo2_);
    return page;
}

// --------------------------------------------------------------- chart page

QWidget* TForm1::buildChartPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet5"));
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(4, 4, 4, 4);
    v->setSpacing(4);

    QFrame* panel6 = panel(page, "Panel6");
    auto* bar = new QHBoxLayout(panel6);
    bar->setContentsMargins(4, 2, 4, 2);
    bar->setSpacing(8);
    struct ChartButton {
        const char* name;
        const char* caption;
        const char* hint;
        void (rz::MainModel::*handler)();
    };
    const ChartButton buttons[] = {
        {"SpeedButton2", "Verteilung", "Verteilung der gezogenen Zahlen", &rz::MainModel::SpeedButton2Click},
        {"SpeedButton9", "CS", "Verteilung der Quersummen", &rz::MainModel::SpeedButton9Click},
        {"SpeedButton1", "2x", "", &rz::MainModel::Button2Click},
        {"SpeedButton3", "3x", "", &rz::MainModel::Button3Click},
        {"SpeedButton12", "4x", "", &rz::MainModel::Button4Click},
        {"SpeedButton19", "Ausstehende", "", &rz::MainModel::Button5Click},
        {"SpeedButton20", "Megaball", "", &rz::MainModel::SuperseltenClick},
        {"SpeedButton21", "Megaball offen", "MegaBall-Zahlen, die am längsten nicht gezogen wurden",
         &rz::MainModel::Button8Click},
    };
    // Two lines of statistics buttons: the main numbers, then overdue and MegaBall.
    auto* buttonLines = new QVBoxLayout;
    buttonLines->setSpacing(2);
    auto* line = new QHBoxLayout;
    line->setSpacing(3);
    int count = 0;
    for (const ChartButton& b : buttons) {
        if (count++ == 5) {
            line->addStretch(1);
            buttonLines->addLayout(line);
            line = new QHBoxLayout;
            line->setSpacing(3);
        }
        QToolButton* tb = speedButton(panel6, b.name, QString::fromUtf8(b.caption), QString::fromUtf8(b.hint));
        const auto handler = b.handler;
        connect(tb, &QToolButton::clicked, this, [this, handler] { command([this, handler] { (model_.*handler)(); }); });
        line->addWidget(tb);
    }
    line->addStretch(1);
    buttonLines->addLayout(line);
    bar->addLayout(buttonLines, 1);

    auto* right = new QGridLayout;
    right->setHorizontalSpacing(4);
    right->setVerticalSpacing(2);
    dateTimePicker2_ = datePicker(panel6, "DateTimePicker2");
    dateTimePicker2_->setToolTip(QStringLiteral("Erste Ziehung der Statistik"));
    connect(dateTimePicker2_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (!refreshing_)
            model_.DateTimePicker2.setDate(dayFromDate(d));
    });
    right->addWidget(plainLabel(panel6, "Label73", QStringLiteral("ab")), 0, 0);
    right->addWidget(dateTimePicker2_, 0, 1);
    QToolButton* save = speedButton(panel6, "ChartSave", QStringLiteral("PNG…"),
                                    QStringLiteral("Diagramm als PNG-Bild speichern"), QStyle::SP_DialogSaveButton);
    save->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(save, &QToolButton::clicked, this, [this] { command([this] { saveChart(); }); });
    right->addWidget(save, 1, 1);
    bar->addLayout(right);
    v->addWidget(panel6);

    chartArea_ = new QWidget(page);
    chartArea_->setObjectName(QStringLiteral("ChartArea"));
    chartArea_->setAutoFillBackground(true);
    setRole(chartArea_, QPalette::Window, Qt::white);
    auto* cv = new QVBoxLayout(chartArea_);
    cv->setContentsMargins(0, 0, 0, 4);
    cv->setSpacing(0);

    chart_ = new QChart;
    chart_->legend()->hide();
    chart_->setBackgroundRoundness(0);
    chart_->setMargins(QMargins(2, 6, 8, 2));
    series_ = new QStackedBarSeries;
    series_->setName(QStringLiteral("Series2"));
    series_->setBarWidth(0.8);
    chart_->addSeries(series_);
    axisX_ = new QCategoryAxis;
    axisX_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axisX_->setGridLineVisible(false);
    axisX_->setRange(-0.5, 0.5);
    axisY_ = new QValueAxis;
    axisY_->setLabelFormat(QStringLiteral("%i"));
    axisY_->setTickType(QValueAxis::TicksDynamic);
    axisY_->setTickAnchor(0);
    axisY_->setTickInterval(1);
    axisY_->setRange(0, 1);
    chart_->addAxis(axisX_, Qt::AlignBottom);
    chart_->addAxis(axisY_, Qt::AlignLeft);
    series_->attachAxis(axisX_);
    series_->attachAxis(axisY_);

    chartView_ = new QChartView(chart_, chartArea_);
    chartView_->setObjectName(QStringLiteral("Chart1"));
    chartView_->setRenderHint(QPainter::Antialiasing, false);
    chartView_->setMinimumHeight(160);
    cv->addWidget(chartView_, 1);

    chartTitle_ = plainLabel(chartArea_, "ChartTitle");
    chartTitle_->setAlignment(Qt::AlignCenter);
    chartTitle_->setWordWrap(true);
    setRole(chartTitle_, QPalette::WindowText, Qt::black);
    cv->addWidget(chartTitle_);
    v->addWidget(chartArea_, 1);
    return page;
}

void TForm1::refreshChart() {
    const rz::StatisticsTable& t = model_.chart;
    if (chartShown_ && sameTable(t, shownChart_))
        return;
    chartShown_ = true;
    shownChart_ = t;

    // One bar per key; a bar set per colour keeps every bar in its own colour.
    series_->clear();
    std::vector<Colour> colours;
    for (const auto& e : t.Entries)
        if (std::find(colours.begin(), colours.end(), e.BarColour) == colours.end())
            colours.push_back(e.BarColour);
    for (Colour c : colours) {
        auto* set = new QBarSet(QString());
        const QColor qc = toQColor(c);
        set->setColor(qc);
        set->setBorderColor(qc);
        for (const auto& e : t.Entries)
            set->append(e.BarColour == c ? e.Value : 0);
        connect(set, &QBarSet::hovered, this, [this, c](bool on, int index) {
            if (!on || index < 0 || index >= static_cast<int>(shownChart_.Entries.size())) {
                QToolTip::hideText();
                return;
            }
            const auto& e = shownChart_.Entries[static_cast<std::size_t>(index)];
            if (e.BarColour != c)
                return;
            QToolTip::showText(QCursor::pos(), QStringLiteral("%1: %2").arg(e.Key).arg(e.Value), chartView_);
        });
        series_->append(set);
    }

    // Horizontal axis: the keys; every key when there are few, else the
    // multiples of a round step that leaves room for each label.
    const QStringList old = axisX_->categoriesLabels();
    for (const QString& l : old)
        axisX_->remove(l);
    const int n = static_cast<int>(t.Entries.size());
    int labelStep = 1;
    if (n > 12) {
        for (int step : {2, 5, 10, 20, 25, 50, 100, 200, 500}) {
            labelStep = step;
            if (n / step <= 15)
                break;
        }
    }
    axisX_->setStartValue(-0.5);
    for (int i = 0; i < n; ++i) {
        const int key = t.Entries[static_cast<std::size_t>(i)].Key;
        // The first key too, when the next labelled one is not too close.
        const bool first = i == 0 && labelStep <= 5 && labelStep - key % labelStep >= 3;
        if (key % labelStep == 0 || first)
            axisX_->append(QString::number(key), i);
    }
    axisX_->setRange(-0.5, std::max(0, n) - 0.5);

    // Value axis: fixed to the published range, or from 0 to the largest value.
    int lo = 0;
    int hi = 0;
    if (t.fixedAxis) {
        lo = t.RangeMin;
        hi = t.RangeMax;
    } else {
        hi = t.RangeMax;
        for (const auto& e : t.Entries)
            hi = std::max(hi, e.Value);
    }
    if (hi <= lo)
        hi = lo + 1;
    const int step = niceStep(hi - lo);
    if (!t.fixedAxis)
        hi = (hi + step - 1) / step * step;
    axisY_->setTickInterval(step);
    axisY_->setRange(lo, hi);

    chartTitle_->setText(q(t.Title));
}

void TForm1::saveChart() {
    rz::FileDialogRequest req;
    req.filter = "PNG-Bild|*.png";
    req.defaultExt = "png";
    req.initialDir = model_.Home;
    req.suggestedName = "Diagramm.png";
    const auto path = model_.dialogs().saveFile(req);
    if (!path)
        return;
    const QPixmap image = chartArea_->grab();
    if (!image.save(q(*path), "PNG"))
        model_.dialogs().message("Das Diagramm konnte nicht gespeichert werden: " + *path);
}

// ------------------------------------------------------------ database page

QWidget* TForm1::buildDatabasePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet4"));
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(8, 8, 8, 8);
    v->setSpacing(6);

    auto* dateRow = new QHBoxLayout;
    dateTimePicker1_ = datePicker(page, "DateTimePicker1");
    connect(dateTimePicker1_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (!refreshing_)
            model_.DateTimePicker1.setDate(dayFromDate(d));
    });
    QToolButton* sb5 =
        speedButton(page, "SpeedButton5", QStringLiteral("Anzeigen"),
                    QStringLiteral("Bewertung des Tipps für die Ziehung des gewählten Datums"), QStyle::SP_DialogApplyButton);
    connect(sb5, &QToolButton::clicked, this, [this] { command([this] { model_.SpeedButton5Click(); }); });
    dateRow->addWidget(plainLabel(page, "Label74", QStringLiteral("Ziehung vom")));
    dateRow->addWidget(dateTimePicker1_);
    dateRow->addWidget(sb5);
    dateRow->addStretch(1);
    v->addLayout(dateRow);

    QFrame* captionPanel = panel(page, "Panel7");
    {
        auto* h = new QHBoxLayout(captionPanel);
        h->setContentsMargins(6, 4, 6, 4);
        label29_ = plainLabel(captionPanel, "Label29");
        setRelativeFont(label29_, 1.0, true);
        h->addWidget(label29_);
    }
    v->addWidget(captionPanel);

    auto* data = new QGridLayout;
    data->setHorizontalSpacing(6);
    data->setVerticalSpacing(4);
    QPushButton* bitBtn1 = pushButton(page, "BitBtn1", QStringLiteral("&Datenbank aktualisieren"));
    bitBtn1->setEnabled(false); // the drawing download is not part of this build
    QToolButton* sb8 =
        speedButton(page, "SpeedButton8", {}, QStringLiteral("Stoppt das Einlesen"), QStyle::SP_BrowserStop);
    sb8->hide(); // shown only while a download runs
    QPushButton* import = pushButton(page, "ImportButton", QStringLiteral("Importieren…"),
                                     QStringLiteral("Ziehungsdaten aus einer CSV-Datei übernehmen"));
    connect(import, &QPushButton::clicked, this, [this] { command([this] { model_.importCommand(); }); });
    QPushButton* bitBtn8 =
        pushButton(page, "BitBtn8", QStringLiteral("Eingeben"), QStringLiteral("manuelle eingaben der Ziehungsdaten."));
    bitBtn8->setEnabled(false); // database maintenance comes later
    QPushButton* bitBtn6 =
        pushButton(page, "BitBtn6", QStringLiteral("Löschen"), QStringLiteral("Löschen der aktuell angezeigten Ziehung"));
    bitBtn6->setEnabled(false);
    auto* updateRow = new QHBoxLayout;
    updateRow->setSpacing(2);
    updateRow->addWidget(bitBtn1, 1);
    updateRow->addWidget(sb8);
    data->addLayout(updateRow, 0, 0);
    data->addWidget(import, 0, 1);
    data->addWidget(bitBtn8, 1, 0);
    data->addWidget(bitBtn6, 1, 1);
    v->addLayout(data);

    auto* statsFrame = panel(page, "Panel8");
    auto* stats = new QGridLayout(statsFrame);
    stats->setContentsMargins(6, 6, 6, 6);
    stats->setHorizontalSpacing(6);
    stats->setVerticalSpacing(4);
    struct DbButton {
        const char* name;
        const char* caption;
        void (rz::MainModel::*handler)();
        int row, col;
    };
    const DbButton buttons[] = {
        {"Button2", "Paare suchen", &rz::MainModel::Button2Click, 0, 0},
        {"Button3", "Dreier suchen", &rz::MainModel::Button3Click, 0, 1},
        {"Button4", "Vierer suchen", &rz::MainModel::Button4Click, 0, 2},
        {"Button5", "Ausstehende", &rz::MainModel::Button5Click, 1, 0},
        {"Button8", "MegaBall ausstehende", &rz::MainModel::Button8Click, 1, 1},
    };
    for (const DbButton& b : buttons) {
        QPushButton* pb = pushButton(statsFrame, b.name, QString::fromUtf8(b.caption));
        const auto handler = b.handler;
        connect(pb, &QPushButton::clicked, this, [this, handler] { command([this, handler] { (model_.*handler)(); }); });
        stats->addWidget(pb, b.row, b.col);
    }
    v->addWidget(statsFrame);

    QPushButton* bitBtn9 = pushButton(page, "BitBtn9",
                                      QStringLiteral("Historische Analyse der Parameter beginnenden mit oben gewähltem Datum"));
    bitBtn9->setEnabled(false); // the historic analysis comes later
    QPushButton* bitBtn19 =
        pushButton(page, "BitBtn19", QStringLiteral("Historische Analyse beginnend mit dem oben gewähltem Datum"));
    bitBtn19->setEnabled(false);
    v->addWidget(bitBtn9);
    v->addWidget(bitBtn19);
    v->addStretch(1);
    return page;
}

// ------------------------------------------------------------ internet page

QWidget* TForm1::buildInternetPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet3"));
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(10, 10, 10, 10);
    v->setSpacing(6);

    auto* proxy = new QGridLayout;
    proxy->setHorizontalSpacing(6);
    proxyHost_ = new QLineEdit(page);
    proxyHost_->setObjectName(QStringLiteral("ProxyHostEdit"));
    proxyPort_ = new QLineEdit(page);
    proxyPort_->setObjectName(QStringLiteral("ProxyPortEdit"));
    proxyPort_->setMaximumWidth(proxyPort_->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    connect(proxyHost_, &QLineEdit::textEdited, this, [this](const QString& t) { model_.ProxyHost = t.toStdString(); });
    connect(proxyPort_, &QLineEdit::textEdited, this, [this](const QString& t) { model_.ProxyPort = t.toStdString(); });
    proxy->addWidget(plainLabel(page, "Label58", QStringLiteral("Proxy-Server:")), 0, 0);
    proxy->addWidget(proxyHost_, 0, 1);
    proxy->addWidget(plainLabel(page, "Label59", QStringLiteral("Port:")), 1, 0);
    proxy->addWidget(proxyPort_, 1, 1, Qt::AlignLeft);
    proxy->setColumnStretch(1, 1);
    v->addLayout(proxy);
    v->addSpacing(12);

    auto link = [this, page](const char* name, const char* address) {
        auto* l = new ClickLabel(QString::fromUtf8(address), page);
        l->setObjectName(QLatin1String(name));
        l->setTextFormat(Qt::PlainText);
        l->setCursor(Qt::PointingHandCursor);
        QFont f;
        f.setUnderline(true);
        l->setFont(f);
        setRole(l, QPalette::WindowText, QColor(0, 0, 255));
        connect(l, &ClickLabel::clicked, this, [this, l] {
            const std::string address = l->text().toStdString();
            command([this, address] { model_.shell().open(address); });
        });
        return l;
    };
    v->addWidget(plainLabel(page, "Label55", QStringLiteral("Updates und die neueste Version gibt es bei:")));
    v->addWidget(link("Label52", kUpdatePage));
    v->addSpacing(8);
    v->addWidget(plainLabel(page, "Label56", QStringLiteral("Die aktuellen Ziehungen und Quoten finden unter:")));
    v->addWidget(link("Label53", kDrawingsPage));
    v->addSpacing(8);
    v->addWidget(link("Label54", kOtherProductPage));
    v->addStretch(1);
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

// ------------------------------------------------------------------ editing

void TForm1::tipEdited(int r, int k, const QString& typed) {
    TipEdit* e = rows_[static_cast<std::size_t>(r)].edits[static_cast<std::size_t>(k)];
    const int cursor = e->cursorPosition();
    command([&] {
        model_.tipFieldChanged(r, k, typed.toStdString());
        const QString now = q(model_.tips.get(r, k));
        if (now != e->text()) {
            // "07" -> "7": the cursor stays behind the same digits.
            const QSignalBlocker block(e);
            e->setText(now);
            const int pos = cursor - static_cast<int>(typed.size() - now.size());
            e->setCursorPosition(std::clamp(pos, 0, static_cast<int>(now.size())));
        }
    });
}

// ------------------------------------------------------------------ refresh

void TForm1::refreshTips() {
    const QColor normalText = toQColor(Colour::WindowText);
    for (int r = 1; r <= TipSet::kRows; ++r) {
        RowWidgets& w = rows_[static_cast<std::size_t>(r)];
        const rz::TipRow& row = model_.tips.row(r);
        for (int k = 1; k <= TipSet::kFields; ++k) {
            const auto ks = static_cast<std::size_t>(k);
            TipEdit* e = w.edits[ks];
            const QString text = q(row.field[ks]);
            if (e->text() != text) {
                const QSignalBlocker block(e);
                const int cursor = e->cursorPosition();
                e->setText(text);
                if (e->hasFocus())
                    e->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
            }
            if (w.shownColour[ks] != row.colour[ks]) {
                w.shownColour[ks] = row.colour[ks];
                if (row.colour[ks] == Colour::WindowBackground)
                    e->setPalette(QPalette());
                else
                    setRole(e, QPalette::Base, toQColor(row.colour[ks]));
            }
        }
        if (w.shownLocked != row.Locked) {
            w.shownLocked = row.Locked;
            setRole(w.label, QPalette::WindowText, row.Locked ? toQColor(Colour::Red) : normalText);
        }
        setLabelText(w.sum, row.sumCaption);
        setLabelText(w.hit, row.hitCaption);
        if (w.shownHitColour != row.hitColour) {
            w.shownHitColour = row.hitColour;
            setRole(w.hit, QPalette::WindowText, toQColor(row.hitColour));
        }
    }
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
    refreshChart();
    setWaitCursor(model_.busy);

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
