#include "OddsDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>
#include <cstdio>

#include "Controls.h"
#include "app/MainModel.h"
#include "common/ProgramTexts.h"

namespace {

QLabel* namedLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setTextFormat(Qt::PlainText);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setAccessibleName(text);
    return l;
}

} // namespace

OddsDialog::OddsDialog(rz::MainModel& model, QWidget* parent) : QDialog(parent) {
    using rz::Txt;
    setObjectName(QStringLiteral("OddsDialog"));
    const QString title = q(rz::txt(Txt::OddsTitle));
    setWindowTitle(title);
    setAccessibleName(title);

    const rz::TipOdds& o = model.tipOdds();
    const int language = model.sprache;
    auto* outer = new QVBoxLayout(this);

    table_ = new QTableWidget(rz::kPrizeTiers, 3, this);
    table_->setObjectName(QStringLiteral("OddsTable"));
    table_->setAccessibleName(title);
    table_->setHorizontalHeaderLabels({q(rz::txt(Txt::OddsTier)), q(rz::txt(Txt::OddsExpected)), QString()});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    for (int t = 0; t < rz::kPrizeTiers; ++t) {
        const double e = o.expected[static_cast<std::size_t>(t)];
        auto* tier = new QTableWidgetItem(QLatin1String(rz::kPrizeTierNames[static_cast<std::size_t>(t)]));
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.4g", e);
        std::string expected(buf);
        if (const std::size_t point = expected.find('.'); point != std::string::npos)
            expected.replace(point, 1, rz::decimalMark(language));
        auto* value = new QTableWidgetItem(q(expected));
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        const std::string every = e > 0 ? rz::txt(Txt::OddsEvery, {rz::oneInText(e, language)}) : rz::txt(Txt::OddsNever);
        table_->setItem(t, 0, tier);
        table_->setItem(t, 1, value);
        table_->setItem(t, 2, new QTableWidgetItem(q(every)));
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    int height = table_->horizontalHeader()->height() + 2 * table_->frameWidth();
    for (int t = 0; t < rz::kPrizeTiers; ++t)
        height += table_->rowHeight(t);
    table_->setMinimumHeight(height);
    int width = 2 * table_->frameWidth();
    for (int c = 0; c < 3; ++c)
        width += table_->columnWidth(c);
    table_->setMinimumWidth(width + 8);
    outer->addWidget(table_);

    const auto oneIn = [&](double p) { return p > 0 ? rz::oneInText(p, language) : rz::txt(Txt::OddsNever); };
    any_ = namedLabel(this, "OddsAny", q(rz::txt(Txt::OddsAnyPrize, {oneIn(o.pAny)})));
    jackpot_ = namedLabel(this, "OddsJackpot", q(rz::txt(Txt::OddsJackpot, {oneIn(o.pJackpot)})));
    range_ = namedLabel(this, "OddsRange",
                        q(rz::txt(Txt::OddsRange, {std::to_string(o.megaBallRange), std::to_string(o.rows),
                                                   std::to_string(o.skipped)})));
    outer->addWidget(any_);
    outer->addWidget(jackpot_);
    outer->addWidget(range_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("OddsButtons"));
    if (QPushButton* close = buttons->button(QDialogButtonBox::Close)) {
        close->setObjectName(QStringLiteral("OddsClose"));
        close->setAccessibleName(close->text());
    }
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    outer->addWidget(buttons);
}
