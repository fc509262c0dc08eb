// The "Diagramm" tab: statistics buttons, the start date of the statistics
// window and the bar chart with its title.
#include <QBarSet>
#include <QClipboard>
#include <QEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QGuiApplication>
#include <QImage>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPixmap>
#include <QStackedBarSeries>
#include <QToolButton>
#include <QToolTip>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "Controls.h"
#include "common/ProgramTexts.h"
#include "ChartPage.h"
#include "PageFrame.h"
#include "app/MainModel.h"

using rz::Colour;
using rz::Gs;
using rz::TipSet;

namespace {

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

} // namespace

// --------------------------------------------------------------- chart page

ChartPage::ChartPage(rz::MainModel& model, PageFrame& frame, QWidget* parent)
    : QWidget(parent), model_(model), frame_(frame) {
    // The window's registry; the page is made before it is placed in the
    // window, so the controls made below it find the registry through it.
    ControlRegistry& controls = frame.controls();
    controls.serve(this);
    QWidget* page = this;
    page->setObjectName(QStringLiteral("TabSheet5"));
    controls.add(page, ControlKind::TabSheet);
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(4, 4, 4, 4);
    v->setSpacing(4);

    QFrame* panel6 = panel(page, "Panel6");
    auto* bar = new QHBoxLayout(panel6);
    bar->setContentsMargins(4, 2, 4, 2);
    bar->setSpacing(8);
    using K = rz::StatisticsKind;
    struct ChartButton {
        const char* name;
        const char* caption;
        const char* hint;
        void (rz::MainModel::*handler)();
        K kind;
    };
    const ChartButton buttons[] = {
        {"SpeedButton2", "Verteilung", "Verteilung der gezogenen Zahlen", &rz::MainModel::SpeedButton2Click,
         K::Frequency},
        {"SpeedButton9", "CS", "Verteilung der Quersummen", &rz::MainModel::SpeedButton9Click, K::Sums},
        {"SpeedButton1", "2x", "", &rz::MainModel::Button2Click, K::Pairs},
        {"SpeedButton3", "3x", "", &rz::MainModel::Button3Click, K::Triples},
        {"SpeedButton12", "4x", "", &rz::MainModel::Button4Click, K::Quads},
        {"SpeedButton19", "Ausstehende", "", &rz::MainModel::Button5Click, K::Overdue},
        {"SpeedButton20", "Megaball", "", &rz::MainModel::SuperseltenClick, K::MegaBallFrequency},
        {"SpeedButton21", "Megaball offen", "MegaBall-Zahlen, die am längsten nicht gezogen wurden",
         &rz::MainModel::Button8Click, K::MegaBallOverdue},
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
        // The button of the chart on display is the one that looks pressed;
        // a click leaves no focus frame that would make another one look
        // chosen, but Tab reaches every chart.
        tb->setCheckable(true);
        tb->setFocusPolicy(Qt::TabFocus);
        if (b.kind == K::Sums)
            nameByHint(tb); // "CS"
        else if (b.kind == K::Pairs)
            nameByText(tb, rz::Txt::AccChartPairs);
        else if (b.kind == K::Triples)
            nameByText(tb, rz::Txt::AccChartTriples);
        else if (b.kind == K::Quads)
            nameByText(tb, rz::Txt::AccChartQuads);
        chartButtons_.emplace_back(tb, b.kind);
        // The command holds the model, not this (see Zahlenwahl::command).
        const auto handler = b.handler;
        connect(tb, &QToolButton::clicked, this,
                [this, handler] { frame_.command([&model = model_, handler] { (model.*handler)(); }); });
        line->addWidget(tb);
    }
    line->addStretch(1);
    buttonLines->addLayout(line);
    bar->addLayout(buttonLines, 1);

    auto* right = new QGridLayout;
    right->setHorizontalSpacing(4);
    right->setVerticalSpacing(2);
    dateTimePicker2_ = datePicker(panel6, "DateTimePicker2");
    // Its name is its tool tip too, in the user's language.
    controls.nameBy(dateTimePicker2_, [d = dateTimePicker2_] {
        const QString text = q(rz::txt(rz::Txt::AccStatisticsStart));
        d->setToolTip(text);
        return text;
    });
    // Each complete date the user gives counts the chart on display again.
    connect(dateTimePicker2_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (!frame_.refreshing()) {
            const rz::DayNumber day = dayFromDate(d);
            frame_.command([&model = model_, day] { model.DateTimePicker2Change(day); });
        }
    });
    connect(dateTimePicker2_, &QDateEdit::editingFinished, this, [this] { frame_.refreshFromModel(); });
    QLabel* from = plainLabel(panel6, "Label73", QStringLiteral("ab"));
    from->setBuddy(dateTimePicker2_);
    right->addWidget(from, 0, 0);
    right->addWidget(dateTimePicker2_, 0, 1);
    QToolButton* save = speedButton(panel6, "ChartSave", QStringLiteral("PNG…"),
                                    QStringLiteral("Diagramm als PNG-Bild speichern"), QStyle::SP_DialogSaveButton);
    save->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(save, &QToolButton::clicked, this, [this] { frame_.command([this] { saveChart(); }); });
    QToolButton* copy = speedButton(panel6, "ChartCopy", QStringLiteral("Kopieren"),
                                    QStringLiteral("Diagramm in die Zwischenablage kopieren"));
    copy->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(copy, &QToolButton::clicked, this, [this] { frame_.command([this] { copyChart(); }); });
    auto* fileButtons = new QHBoxLayout;
    fileButtons->setSpacing(3);
    fileButtons->addWidget(save);
    fileButtons->addWidget(copy);
    right->addLayout(fileButtons, 1, 1);
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
    // A picture, no control: Tab passes it; a screen reader names it by its title.
    chartView_->setFocusPolicy(Qt::NoFocus);
    chartView_->viewport()->setFocusPolicy(Qt::NoFocus);
    // A bar's key and value under the mouse, anywhere in its column: a short
    // bar is as easy to read as a tall one.
    chartView_->setMouseTracking(true);
    chartView_->viewport()->setMouseTracking(true);
    chartView_->viewport()->installEventFilter(this);
    cv->addWidget(chartView_, 1);

    chartTitle_ = plainLabel(chartArea_, "ChartTitle");
    chartTitle_->setAlignment(Qt::AlignCenter);
    chartTitle_->setWordWrap(true);
    setRole(chartTitle_, QPalette::WindowText, Qt::black);
    cv->addWidget(chartTitle_);
    v->addWidget(chartArea_, 1);
}

void ChartPage::syncFromModel(bool chartToo) {
    const rz::DatePicker& p = model_.DateTimePicker2;
    dateTimePicker2_->showAs(QString::fromStdString(rz::shortDatePattern(model_.sprache)));
    dateTimePicker2_->follow(dateFromDay(p.minDate), dateFromDay(std::max(p.date, p.minDate)));
    if (chartToo)
        syncChart();
}

void ChartPage::setAxisFont(const QFont& font) {
    axisX_->setLabelsFont(font);
    axisY_->setLabelsFont(font);
}

void ChartPage::syncChart() {
    const rz::StatisticsTable& t = model_.chart;
    for (auto& [button, kind] : chartButtons_)
        if (button->isChecked() != (kind == t.Kind))
            button->setChecked(kind == t.Kind);
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
        const QColor qc = toQColour(c);
        set->setColor(qc);
        set->setBorderColor(qc);
        for (const auto& e : t.Entries)
            set->append(e.BarColour == c ? e.Value : 0);
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

    // Value axis: every bar, the least one too, has a height.
    const rz::ChartValueAxis axis = rz::chartValueAxis(t);
    axisY_->setTickInterval(axis.step);
    axisY_->setRange(axis.lo, axis.hi);

    chartTitle_->setText(q(t.Title));
    chartView_->setAccessibleName(q(t.Title));
}

QString ChartPage::barToolTipAt(const QPoint& viewportPos) const {
    const int n = static_cast<int>(shownChart_.Entries.size());
    if (!chartShown_ || n == 0)
        return {};
    const QPointF scene = chartView_->mapToScene(viewportPos);
    const QPointF inChart = chart_->mapFromScene(scene);
    if (!chart_->plotArea().contains(inChart))
        return {};
    const QPointF value = chart_->mapToValue(inChart, series_);
    const int index = static_cast<int>(std::lround(value.x()));
    if (index < 0 || index >= n)
        return {};
    const auto& e = shownChart_.Entries[static_cast<std::size_t>(index)];
    return QStringLiteral("%1: %2").arg(e.Key).arg(e.Value);
}

bool ChartPage::eventFilter(QObject* watched, QEvent* e) {
    if (watched == chartView_->viewport()) {
        switch (e->type()) {
        case QEvent::ToolTip: {
            // The view would ask its scene, which has no tips and hides ours.
            const auto* he = static_cast<QHelpEvent*>(e);
            const QString tip = barToolTipAt(he->pos());
            if (tip.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(he->globalPos(), tip, chartView_->viewport());
            return true;
        }
        case QEvent::MouseMove:
            // A tip on view follows the mouse from bar to bar.
            if (QToolTip::isVisible()) {
                const auto* me = static_cast<QMouseEvent*>(e);
                const QString tip = barToolTipAt(me->position().toPoint());
                if (tip.isEmpty())
                    QToolTip::hideText();
                else if (tip != QToolTip::text())
                    QToolTip::showText(me->globalPosition().toPoint(), tip, chartView_->viewport());
            }
            break;
        case QEvent::Leave:
            QToolTip::hideText();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, e);
}

QImage ChartPage::chartImage() const { return chartArea_->grab().toImage(); }

void ChartPage::copyChart() {
    QGuiApplication::clipboard()->setImage(chartImage());
    model_.setStatus(rz::txt(rz::Txt::ChartCopied));
}

void ChartPage::saveChart() {
    rz::FileDialogRequest req;
    req.filter = "PNG-Bild|*.png";
    req.defaultExt = "png";
    req.initialDir = model_.paths().userFolder();
    req.suggestedName = "Diagramm.png";
    const auto path = model_.chooseSaveTarget(req);
    if (!path)
        return;
    const QPixmap image = chartArea_->grab();
    if (!image.save(q(*path), "PNG"))
        model_.dialogs().message(rz::txt(rz::Txt::ChartNotSaved, {*path}));
}
