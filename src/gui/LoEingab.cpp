#include "LoEingab.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

#include "Controls.h"
#include "database/Maintenance.h"

namespace {

QSpinBox* upDown(QWidget* parent, int i, rz::EntryRange range) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(QStringLiteral("UpDown%1").arg(i));
    if (auto* edit = s->findChild<QLineEdit*>())
        edit->setObjectName(QStringLiteral("Edit%1").arg(i));
    s->setRange(range.lo, range.hi);
    s->setSingleStep(1);
    s->setAccelerated(false);
    ControlRegistry::of(s).add(s, ControlKind::Edit);
    return s;
}

QLabel* boldRed(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, QColor(255, 0, 0));
    l->setPalette(p);
    ControlRegistry::of(l).add(l, ControlKind::Label);
    return l;
}

} // namespace

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    // The registry of the window this is made in (made alone: one of its own).
    ControlRegistry& controls = ControlRegistry::of(this);
    const WindowScope scope(controls, QStringLiteral("Form3"));
    setObjectName(QStringLiteral("TForm3"));
    controls.add(this, ControlKind::Window);
    setWindowTitle(QStringLiteral("Zahlen der Ziehung eingeben"));
    setModal(true);

    auto* v = new QVBoxLayout(this);
    date_ = new DateEdit(this); // a click takes the section under it
    date_->setObjectName(QStringLiteral("DateTimePicker1"));
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    date_->setDateRange(QDate(1900, 1, 1), QDate(2099, 12, 31));
    controls.add(date_, ControlKind::Edit);
    nameByText(date_, rz::Txt::AccEntryDate);
    v->addWidget(date_);

    auto* numbers = new QHBoxLayout;
    for (int i = 1; i <= 5; ++i) {
        upDown_[static_cast<std::size_t>(i)] = upDown(this, i, rz::kEntryMainRange);
        numbers->addWidget(upDown_[static_cast<std::size_t>(i)]);
    }
    // Numbers[6] is carried through unchanged.
    upDown_[6] = upDown(this, 6, rz::EntryRange{0, 255});
    upDown_[6]->hide();
    // The fields' editors carry names of their own ("Edit1"), so a screen
    // reader meets them as well: both are named.
    auto name = [this](int i, rz::Txt id, std::vector<std::string> args) {
        QSpinBox* s = upDown_[static_cast<std::size_t>(i)];
        nameByText(s, id, args);
        if (auto* edit = s->findChild<QLineEdit*>())
            nameByText(edit, id, args);
    };
    for (int i = 1; i <= 5; ++i)
        name(i, rz::Txt::AccEntryNumber, {std::to_string(i)});
    numbers->addWidget(boldRed(this, "Label7", QStringLiteral("MB:")));
    upDown_[7] = upDown(this, 7, rz::kEntryMegaBallRange);
    numbers->addWidget(upDown_[7]);
    name(7, rz::Txt::AccEntryMegaBall, {});
    numbers->addWidget(boldRed(this, "Label8", QStringLiteral("MP:")));
    upDown_[8] = upDown(this, 8, rz::kEntryMegaplierRange);
    numbers->addWidget(upDown_[8]);
    name(8, rz::Txt::AccEntryMegaplier, {});
    v->addLayout(numbers);

    auto* buttons = new QHBoxLayout;
    auto* abort = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Abbrechen"), this);
    abort->setObjectName(QStringLiteral("BitBtn1"));
    abort->setAutoDefault(false);
    controls.add(abort, ControlKind::BitBtn);
    auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BitBtn2"));
    ok->setDefault(true);
    controls.add(ok, ControlKind::BitBtn);
    connect(abort, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(abort);
    v->addLayout(buttons);
}

rz::DrawingEntry TForm3::entry() const {
    rz::DrawingEntry e;
    e.date = dayFromDate(date_->date());
    for (int i = 1; i <= 8; ++i)
        e.numbers[static_cast<std::size_t>(i)] = upDown_[static_cast<std::size_t>(i)]->value();
    return e;
}

void TForm3::setEntry(const rz::DrawingEntry& e) {
    date_->setDate(dateFromDay(e.date));
    for (int i = 1; i <= 8; ++i)
        upDown_[static_cast<std::size_t>(i)]->setValue(e.numbers[static_cast<std::size_t>(i)]); // clamps
}

void TForm3::accept() {
    const rz::DrawingEntry e = entry();
    if (const auto error = check_ ? check_(e) : rz::entryError(e)) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(*error));
        return;
    }
    QDialog::accept();
}

std::optional<rz::DrawingEntry> TForm3::edit(const rz::DrawingEntry& initial) {
    setEntry(initial);
    upDown_[1]->setFocus();
    upDown_[1]->selectAll();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return entry();
}
