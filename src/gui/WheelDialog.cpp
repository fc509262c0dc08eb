#include "WheelDialog.h"

#include "Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "app/MainModel.h"

namespace {

constexpr int kColumns = 10;

// A figure is read with the caption of its row ("Kosten: $24.00").
void nameFigure(QLabel* figure, const QLabel* caption) {
    const QString name = spokenCaption(caption->text()) + QLatin1Char(' ') + figure->text();
    if (figure->accessibleName() != name)
        figure->setAccessibleName(name);
}

QLabel* valueLabel(QWidget* parent, const char* name) {
    // Figures only (digits, "/", "$"), or a text the model composed in the
    // user's language: not in the lists.
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setTextFormat(Qt::PlainText);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

} // namespace

WheelDialog::WheelDialog(rz::MainModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    // The registry of the window this is made in (made alone: one of its own).
    ControlRegistry& controls = ControlRegistry::of(this);
    const WindowScope scope(controls, QStringLiteral("WheelForm"));
    setObjectName(QStringLiteral("TWheelForm"));
    setWindowTitle(QStringLiteral("Systemtipp"));
    controls.add(this, ControlKind::Window);
    setModal(false);

    auto* outer = new QVBoxLayout(this);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    for (int n = 1; n <= 70; ++n) {
        auto* box = new QCheckBox(QString::number(n), this);
        box->setObjectName(QStringLiteral("WheelNumber%1").arg(n));
        controls.add(box, ControlKind::CheckBox);
        connect(box, &QCheckBox::toggled, this, [this] { readFields(); });
        grid->addWidget(box, (n - 1) / kColumns, (n - 1) % kColumns);
        boxes_[static_cast<std::size_t>(n)] = box;
    }
    outer->addLayout(grid);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(plainLabel(this, "WheelLabelCount", QStringLiteral("Angekreuzte Zahlen (6 bis 30):")));
    count_ = valueLabel(this, "WheelCount");
    figureCaptions_.emplace_back(count_, findChild<QLabel*>(QStringLiteral("WheelLabelCount")));
    countRow->addWidget(count_);
    countRow->addStretch(1);
    outer->addLayout(countRow);

    auto* form = new QFormLayout;
    guarantee_ = new QComboBox(this);
    guarantee_->setObjectName(QStringLiteral("WheelGuarantee"));
    for (int p = 1; p <= 5; ++p)
        for (int t = 1; t <= p; ++t)
            guarantee_->addItem(QStringLiteral("%1 / %2").arg(t).arg(p), QPoint(t, p));
    connect(guarantee_, &QComboBox::currentIndexChanged, this, [this] { readFields(); });
    // Each field is named by the label before it.
    auto labelled = [form](QLabel* label, QWidget* field) {
        label->setBuddy(field);
        form->addRow(label, field);
    };
    labelled(plainLabel(this, "WheelLabelGuarantee", QStringLiteral("Garantie: Treffer in einer Reihe / davon gezogen:")),
             guarantee_);

    seconds_ = new QDoubleSpinBox(this);
    seconds_->setObjectName(QStringLiteral("WheelSeconds"));
    seconds_->setRange(0.1, 600);
    seconds_->setDecimals(1);
    setHint(seconds_, QStringLiteral("So lange wird nach weniger Reihen gesucht"));
    controls.add(seconds_, ControlKind::Edit);
    connect(seconds_, &QDoubleSpinBox::valueChanged, this, [this] { readFields(); });
    labelled(plainLabel(this, "WheelLabelSeconds", QStringLiteral("Rechenzeit in Sekunden:")), seconds_);

    megaBalls_ = new QLineEdit(this);
    megaBalls_->setObjectName(QStringLiteral("WheelMegaBalls"));
    megaBalls_->setMaxLength(80);
    setHint(megaBalls_, QStringLiteral("MegaBalls von 1 bis 24, durch Kommas getrennt; die Reihen bekommen sie der Reihe nach"));
    controls.add(megaBalls_, ControlKind::Edit);
    connect(megaBalls_, &QLineEdit::textEdited, this, [this] { readFields(); });
    labelled(plainLabel(this, "WheelLabelMegaBalls", QStringLiteral("MegaBalls:")), megaBalls_);

    cross_ = new QCheckBox(QStringLiteral("Jede Reihe mit jedem MegaBall spielen"), this);
    cross_->setObjectName(QStringLiteral("WheelCross"));
    controls.add(cross_, ControlKind::CheckBox);
    connect(cross_, &QCheckBox::toggled, this, [this] { readFields(); });
    form->addRow(QString(), cross_);

    price_ = new QDoubleSpinBox(this);
    price_->setObjectName(QStringLiteral("WheelPrice"));
    price_->setRange(0.01, 1000);
    price_->setDecimals(2);
    price_->setPrefix(QStringLiteral("$"));
    setHint(price_, QStringLiteral("Preis eines Spiels"));
    controls.add(price_, ControlKind::Edit);
    connect(price_, &QDoubleSpinBox::valueChanged, this, [this] { readFields(); });
    labelled(plainLabel(this, "WheelLabelPrice", QStringLiteral("Preis je Spiel:")), price_);
    outer->addLayout(form);

    auto* runRow = new QHBoxLayout;
    start_ = pushButton(this, "WheelStart", QStringLiteral("&Berechnen"),
                        QStringLiteral("Sucht möglichst wenige Reihen, die die Garantie halten"));
    stop_ = pushButton(this, "WheelStop", QStringLiteral("&Stoppen"),
                       QStringLiteral("Beendet die Suche; die beste geprüfte Lösung bleibt"));
    connect(start_, &QPushButton::clicked, this, [this] { command(&rz::MainModel::WheelStartClick); });
    // The stop is asked for while the search yields inside WheelStartClick.
    connect(stop_, &QPushButton::clicked, this, [this] { command(&rz::MainModel::WheelStartClick); });
    runRow->addWidget(start_);
    runRow->addWidget(stop_);
    runRow->addStretch(1);
    outer->addLayout(runRow);

    auto* figures = new QFormLayout;
    auto figureRow = [this, figures](QLabel* caption, QLabel* figure) {
        figures->addRow(caption, figure);
        figureCaptions_.emplace_back(figure, caption);
    };
    progress_ = valueLabel(this, "WheelProgress");
    rows_ = valueLabel(this, "WheelRows");
    bound_ = valueLabel(this, "WheelBound");
    known_ = valueLabel(this, "WheelKnown");
    condition_ = valueLabel(this, "WheelCondition");
    hit_ = valueLabel(this, "WheelHit");
    expected_ = valueLabel(this, "WheelExpected");
    cost_ = valueLabel(this, "WheelCost");
    figureRow(plainLabel(this, "WheelLabelProgress", QStringLiteral("Schritte / Reihen:")), progress_);
    figureRow(plainLabel(this, "WheelLabelRows", QStringLiteral("Reihen (gespielt):")), rows_);
    figureRow(plainLabel(this, "WheelLabelBound", QStringLiteral("Untere Schranke:")), bound_);
    figureRow(plainLabel(this, "WheelLabelKnown", QStringLiteral("Beste bekannte Größe:")), known_);
    figureRow(plainLabel(this, "WheelLabelCondition",
                               QStringLiteral("Wahrscheinlichkeit, dass die Bedingung eintritt:")),
                    condition_);
    figureRow(plainLabel(this, "WheelLabelHit",
                               QStringLiteral("Wahrscheinlichkeit, dass eine Reihe die Treffer hat:")),
                    hit_);
    figureRow(plainLabel(this, "WheelLabelExpected",
                               QStringLiteral("Erwartete Reihen mit 3 / 4 / 5 Treffern:")),
                    expected_);
    figureRow(plainLabel(this, "WheelLabelCost", QStringLiteral("Kosten:")), cost_);
    outer->addLayout(figures);

    auto* pageRow = new QHBoxLayout;
    prev_ = speedButton(this, "WheelPrev", QStringLiteral("<"), QStringLiteral("Die vorigen zwölf Reihen in die Tipps"));
    next_ = speedButton(this, "WheelNext", QStringLiteral(">"), QStringLiteral("Die nächsten zwölf Reihen in die Tipps"));
    page_ = valueLabel(this, "WheelPage");
    page_->setFocusPolicy(Qt::NoFocus); // "1 / 3" between the arrows that page
    nameByHint(prev_);
    nameByHint(next_);
    connect(prev_, &QToolButton::clicked, this, [this] { model_.run([this] { model_.WheelPageClick(-1); }); syncFromModel(); });
    connect(next_, &QToolButton::clicked, this, [this] { model_.run([this] { model_.WheelPageClick(+1); }); syncFromModel(); });
    save_ = pushButton(this, "WheelSave", QStringLiteral("Speichern…"),
                       QStringLiteral("Jede Seite als eigene Tippdatei speichern: Name_1.qlt, Name_2.qlt, …"));
    print_ = pushButton(this, "WheelPrint", QStringLiteral("Drucken"), QStringLiteral("Alle Seiten ausdrucken"));
    QPushButton* close = pushButton(this, "WheelClose", QStringLiteral("Schließen"));
    connect(save_, &QPushButton::clicked, this, [this] { command(&rz::MainModel::WheelSaveClick); });
    connect(print_, &QPushButton::clicked, this, [this] { command(&rz::MainModel::WheelPrintClick); });
    connect(close, &QPushButton::clicked, this, [this] {
        if (model_.wheelRunning())
            model_.operation.requestStop();
        hide();
    });
    pageRow->addWidget(prev_);
    pageRow->addWidget(page_);
    pageRow->addWidget(next_);
    pageRow->addStretch(1);
    pageRow->addWidget(save_);
    pageRow->addWidget(print_);
    pageRow->addWidget(close);
    outer->addLayout(pageRow);

    syncFromModel();
}

void WheelDialog::open() {
    syncFromModel();
    show();
    raise();
    activateWindow();
}

void WheelDialog::command(void (rz::MainModel::*call)()) {
    readFields();
    // The closure holds the model, not this: GCC 12's vptr check in the sanitizer
    // build takes a closure that captures this and calls through a member
    // pointer for the object itself and reports a false error.
    model_.run([&model = model_, call] { (model.*call)(); });
    syncFromModel();
}

void WheelDialog::readFields() {
    if (syncing_)
        return;
    rz::wheel::WheelRequest& r = model_.wheelRequest;
    r.numbers.clear();
    for (int n = 1; n <= 70; ++n)
        if (boxes_[static_cast<std::size_t>(n)]->isChecked())
            r.numbers.push_back(n);
    const QPoint g = guarantee_->currentData().toPoint();
    r.guarantee = rz::wheel::Guarantee{g.x(), g.y()};
    r.seconds = seconds_->value();
    r.megaBalls = megaBalls_->text().toStdString();
    r.cross = cross_->isChecked();
    model_.wheelPriceCents = std::llround(price_->value() * 100.0);
    count_->setText(QString::number(r.numbers.size()));
    nameFigure(count_, figureCaptions_.front().second);
}

void WheelDialog::syncFromModel() {
    syncing_ = true;
    const rz::wheel::WheelRequest& r = model_.wheelRequest;
    for (int n = 1; n <= 70; ++n) {
        QCheckBox* box = boxes_[static_cast<std::size_t>(n)];
        const bool on = std::find(r.numbers.begin(), r.numbers.end(), n) != r.numbers.end();
        if (box->isChecked() != on)
            box->setChecked(on);
    }
    const int gi = guarantee_->findData(QPoint(r.guarantee.t, r.guarantee.p));
    if (gi >= 0 && gi != guarantee_->currentIndex())
        guarantee_->setCurrentIndex(gi);
    if (seconds_->value() != r.seconds)
        seconds_->setValue(r.seconds);
    if (megaBalls_->text() != q(r.megaBalls))
        megaBalls_->setText(q(r.megaBalls));
    if (cross_->isChecked() != r.cross)
        cross_->setChecked(r.cross);
    const double price = static_cast<double>(model_.wheelPriceCents) / 100.0;
    if (std::abs(price_->value() - price) > 0.001)
        price_->setValue(price);
    count_->setText(QString::number(r.numbers.size()));

    const auto& f = model_.wheelFigures;
    progress_->setText(q(f.progress));
    rows_->setText(q(f.rows));
    bound_->setText(q(f.bound));
    known_->setText(q(f.known));
    condition_->setText(q(f.pCondition));
    hit_->setText(q(f.pHit));
    expected_->setText(q(f.expected345));
    cost_->setText(q(f.cost));
    page_->setText(q(model_.wheelPages.pageCaption()));
    for (const auto& [figure, caption] : figureCaptions_)
        nameFigure(figure, caption);

    const bool running = model_.wheelRunning();
    const bool result = !model_.wheelPages.empty();
    start_->setEnabled(!running);
    stop_->setEnabled(running && !model_.operation.stopRequested);
    for (QWidget* w : {static_cast<QWidget*>(guarantee_), static_cast<QWidget*>(seconds_),
                       static_cast<QWidget*>(megaBalls_), static_cast<QWidget*>(cross_), static_cast<QWidget*>(price_)})
        w->setEnabled(!running);
    for (int n = 1; n <= 70; ++n)
        boxes_[static_cast<std::size_t>(n)]->setEnabled(!running);
    prev_->setEnabled(!running && result && model_.wheelPages.page() > 0);
    next_->setEnabled(!running && result && model_.wheelPages.page() + 1 < model_.wheelPages.pageCount());
    save_->setEnabled(!running && result);
    print_->setEnabled(!running && result);
    syncing_ = false;
}
