// The "Tipp-Übersicht" tab.
#include "TipPage.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "OddsDialog.h"
#include "PageFrame.h"
#include "app/MainModel.h"
#include "common/ProgramTexts.h"
#include "evaluation/TipCheck.h"

using rz::Colour;
using rz::Gs;
using rz::TipSet;

// ----------------------------------------------------------------- tip page

TipPage::TipPage(rz::MainModel& model, PageFrame& frame, QWidget* parent)
    : QWidget(parent), model_(model), frame_(frame) {
    // The window's registry; the page is made before it is placed in the
    // window, so the controls made below it find the registry through it.
    ControlRegistry& controls = frame.controls();
    controls.serve(this);
    QWidget* page = this;
    page->setObjectName(QStringLiteral("TabSheet1"));
    controls.add(page, ControlKind::TabSheet);
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(6);

    // Current-drawing bar.
    QFrame* panel4 = panel(page, "Panel4");
    {
        auto* h = new QHBoxLayout(panel4);
        h->setContentsMargins(4, 2, 4, 2);
        h->setSpacing(4);
        // Its hint names the source in use (syncFromModel).
        QToolButton* sb10 = speedButton(panel4, "SpeedButton10", {}, q(rz::downloadSourceHint(model_.ServerAddress)),
                                        QStyle::SP_BrowserReload);
        speedButton10_ = sb10;
        connect(sb10, &QToolButton::clicked, this, [this] { command([this] { model_.KalventoClick(); }); });
        QToolButton* sb6 = speedButton(panel4, "SpeedButton6", {}, QStringLiteral("vorhergehende Ziehung anzeigen"),
                                       QStyle::SP_ArrowLeft);
        QToolButton* sb7 = speedButton(panel4, "SpeedButton7", {}, QStringLiteral("nächste Ziehung anzeigen"),
                                       QStyle::SP_ArrowRight);
        label35_ = plainLabel(panel4, "Label35");
        label35_->setAlignment(Qt::AlignCenter);
        label35_->setMinimumWidth(10);
        frame_.setRelativeFont(label35_, 1.0, true);
        label13_ = plainLabel(panel4, "Label13");
        losnummer_ = plainLabel(panel4, "Losnummer");
        connect(sb6, &QToolButton::clicked, this, [this] { command([this] { model_.SpeedButton6Click(); }); });
        connect(sb7, &QToolButton::clicked, this, [this] { command([this] { model_.SpeedButton7Click(); }); });
        for (QToolButton* icon : {sb10, sb6, sb7})
            nameByHint(icon);
        drawingBar_ = {sb10, sb6, sb7};
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
        controls.add(w.label, ControlKind::Label);
        w.label->setTextFormat(Qt::PlainText);
        w.label->setCursor(Qt::PointingHandCursor);
        // Space on the focused label locks the row; a screen reader hears a check box.
        w.label->setKeyboardReachable(true);
        w.label->setToggleState(false);
        setHint(w.label, lockHint);
        connect(w.label, &ClickLabel::clicked, this, [this, r] { command([this, r] { model_.Label30Click(r); }); });
        grid->addWidget(w.label, r - 1, 0);

        for (int k = 1; k <= TipSet::kFields; ++k) {
            auto* e = new TipEdit(rowsBox);
            e->setObjectName(QLatin1String(TipSet::fieldName(r, k)));
            controls.add(e, ControlKind::Edit, kTipFieldTag);
            w.edits[static_cast<std::size_t>(k)] = e;
            if (k == 6)
                nameByText(e, rz::Txt::AccTipMegaBall, {std::to_string(r)});
            else
                nameByText(e, rz::Txt::AccTipNumber, {std::to_string(r), std::to_string(k)});
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
        nameByText(w.editButton, rz::Txt::AccTipEdit, {std::to_string(r)});
        connect(w.editButton, &QToolButton::clicked, this, [this, r] { command([this, r] { model_.TippEdit(r); }); });
        grid->addWidget(w.editButton, r - 1, 8);
    }
    grid->setColumnMinimumWidth(6, 6); // gap before the MegaBall field
    grid->setColumnStretch(11, 1);

    // The odds of the rows as they stand; a click on the line or the button
    // opens the table of the prize tiers. Texts from the program's own texts.
    {
        auto* bar = new QWidget(rowsBox);
        bar->setObjectName(QStringLiteral("OddsBar"));
        auto* h = new QHBoxLayout(bar);
        h->setContentsMargins(0, 4, 0, 0);
        h->setSpacing(6);
        oddsLine_ = new ClickLabel(bar);
        oddsLine_->setObjectName(QStringLiteral("OddsLine"));
        oddsLine_->setTextFormat(Qt::PlainText);
        oddsLine_->setCursor(Qt::PointingHandCursor);
        oddsButton_ = new QPushButton(bar);
        oddsButton_->setObjectName(QStringLiteral("OddsButton"));
        oddsButton_->setAutoDefault(false);
        // Their words are program texts (txt), not captions of the language files.
        oddsLine_->setProperty("programText", true);
        oddsButton_->setProperty("programText", true);
        connect(oddsLine_, &ClickLabel::clicked, this, [this] { openOddsDialog(); });
        connect(oddsButton_, &QPushButton::clicked, this, [this] { openOddsDialog(); });
        h->addWidget(oddsLine_);
        h->addWidget(oddsButton_);
        h->addStretch(1);
        grid->addWidget(bar, TipSet::kRows, 0, 1, 12);
    }
    grid->setRowStretch(TipSet::kRows + 1, 1);
    middle->addWidget(rowsBox, 1);

    // Calculation bar and tip commands.
    auto* side = new QVBoxLayout;
    side->setSpacing(4);
    QFrame* panel3 = panel(page, "Panel3");
    QToolButton* sb13 = nullptr;
    QPushButton* warenkorb = nullptr;
    {
        auto* v = new QVBoxLayout(panel3);
        v->setContentsMargins(4, 4, 4, 4);
        v->setSpacing(4);
        bitBtn4_ = pushButton(panel3, "BitBtn4", q(model_.BitBtn4Caption),
                              QStringLiteral("Starten Sie hier die Berechnung der Tippreihen."));
        frame_.setRelativeFont(bitBtn4_, 1.0, true);
        // The model owns this caption (it switches to "Stoppen" during a run).
        controls.find(QStringLiteral("Form1"), QStringLiteral("BitBtn4"))->captionSetter =
            [this](const QString& text) { model_.setRunButtonCaption(text.toStdString()); };
        connect(bitBtn4_, &QPushButton::clicked, this, [this] { command([this] { model_.Label28Click(); }); });
        v->addWidget(bitBtn4_);

        auto* countRow = new QHBoxLayout;
        countRow->setSpacing(4);
        QLabel* countLabel = plainLabel(panel3, "Label80", QStringLiteral("Tipps:"));
        tipCount_ = new QSpinBox(panel3);
        tipCount_->setObjectName(QStringLiteral("Edit80"));
        tipCount_->setProperty("upDown", QStringLiteral("UpDown8"));
        setHint(tipCount_, QStringLiteral("Anzahl der zu berechnenden Tipps"));
        controls.add(tipCount_, ControlKind::Edit);
        countLabel->setBuddy(tipCount_);
        connect(tipCount_, &QSpinBox::valueChanged, this, [this](int v) {
            if (!frame_.refreshing())
                command([this, v] { model_.Settings.set(Gs::TipCount, v); });
        });
        sb13 = speedButton(
            panel3, "SpeedButton13", QStringLiteral("Glückszahl"),
            QStringLiteral("Hier können Sie den Zufall etwas nachhelfen und wirklich Ihren Tipp generieren"));
        connect(sb13, &QToolButton::clicked, this, [this] { command([this] { model_.SpeedButton13Click(); }); });
        countRow->addWidget(countLabel);
        countRow->addWidget(tipCount_);
        countRow->addStretch(1);
        countRow->addWidget(sb13);
        v->addLayout(countRow);

        warenkorb = pushButton(panel3, "Warenkorb", QStringLiteral("Warenkorb"));
        connect(warenkorb, &QPushButton::clicked, this, [this] { command([this] { model_.WarenkorbClick(); }); });
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
    nameByHint(sb15);
    nameByHint(sb16);
    fileRow->addWidget(sb11, 1);
    fileRow->addWidget(sb15);
    fileRow->addWidget(sb16);
    side->addLayout(fileRow);

    QToolButton* sb4 = speedButton(page, "SpeedButton4", QStringLiteral("Tipps in DB suchen"),
                                   QStringLiteral("Hier können Sie suchen ob dieser Tipp schon einmal gezogen wurde"));
    sb4->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(sb4, &QToolButton::clicked, this, [this] { command([this] { model_.SpeedButton4Click(); }); });
    side->addWidget(sb4);
    QPushButton* button6 = pushButton(page, "Button6", QStringLiteral("Verteilung der Tipps"));
    connect(button6, &QPushButton::clicked, this, [this] { command([this] { model_.Button6Click(); }); });
    side->addWidget(button6);
    QPushButton* bitBtn7 = pushButton(page, "BitBtn7", QStringLiteral("Tipp ausdrucken"),
                                      QStringLiteral("Drucken SIe hier die berechneten Tipps aus"));
    connect(bitBtn7, &QPushButton::clicked, this, [this] { command([this] { model_.BitBtn7Click(); }); });
    side->addWidget(bitBtn7);
    QPushButton* wheelButton = pushButton(page, "WheelButton", QStringLiteral("Systemtipp…"),
                                          QStringLiteral("Mehr Zahlen spielen, als eine Reihe fasst, mit geprüfter Garantie"));
    connect(wheelButton, &QPushButton::clicked, this, [this] { frame_.openWheelDialog(); });
    side->addWidget(wheelButton);
    QPushButton* online = pushButton(page, "OnlineTipp", QStringLiteral("Online abgeben"),
                                     QStringLiteral("Hier können Sie den Tipp Online abgeben"));
    connect(online, &QPushButton::clicked, this, [this] { command([this] { model_.OnlineTippClick(); }); });
    side->addWidget(online);
    side->addStretch(1);
    middle->addLayout(side);

    // The maker's panels.
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(6);
    auto openMakerSite = [this] { command([this] { model_.openInShell(kMakerSite); }); };
    QFrame* panel2 = panel(page, "Panel2");
    ClickLabel* label43 = nullptr;
    {
        auto* h = new QHBoxLayout(panel2);
        h->setContentsMargins(6, 2, 6, 2);
        label43 = new ClickLabel(QLatin1String(kMakerAddress), panel2);
        label43->setObjectName(QStringLiteral("Label43"));
        controls.add(label43, ControlKind::Label, kMakerPanelTag);
        label43->setAlignment(Qt::AlignCenter);
        label43->setCursor(Qt::PointingHandCursor);
        label43->setKeyboardReachable(true);
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
        controls.add(label44, ControlKind::Label, kMakerPanelTag);
        label44->setTextFormat(Qt::PlainText);
        label44->setAlignment(Qt::AlignCenter);
        label44->setCursor(Qt::PointingHandCursor);
        frame_.setRelativeFont(label44, 1.25, true);
        setRole(label44, QPalette::WindowText, QColor(0, 0, 128));
        setHint(label44, QLatin1String(kMakerSite));
        // Spoken as the name and version it shows, not letter by letter.
        label44->setAccessibleName(unspaced(label44->text()));
        connect(label44, &ClickLabel::clicked, this, openMakerSite);
        h->addWidget(label44);
    }
    bottom->addWidget(panel2, 2);
    bottom->addWidget(panel5, 3);
    outer->addLayout(bottom);

    // Never shown: it carries the (translated) hint of a MegaBall field that the
    // checked drawing's game format no longer draws.
    labelMegaBall25_ = new QLabel(QString::fromUtf8(rz::kMegaBallNotDrawnHint), page);
    labelMegaBall25_->setObjectName(QStringLiteral("LabelMegaBall25"));
    controls.add(labelMegaBall25_, ControlKind::Label);
    labelMegaBall25_->hide();

    // Tab order: the drawing bar, the run and the tip commands, then the rows
    // (lock, five numbers, MegaBall, edit), the odds of the rows, then the
    // maker's address. The run
    // is the fourth stop from the tab bar.
    QList<QWidget*> order(drawingBar_.begin(), drawingBar_.end());
    order << bitBtn4_ << tipCount_ << sb13 << warenkorb << sb11 << sb15 << sb16 << sb4 << button6 << bitBtn7
          << wheelButton << online;
    for (int r = 1; r <= TipSet::kRows; ++r) {
        const RowWidgets& w = rows_[static_cast<std::size_t>(r)];
        order << w.label;
        for (int k = 1; k <= 6; ++k)
            order << w.edits[static_cast<std::size_t>(k)];
        order << w.editButton;
    }
    order << oddsLine_ << oddsButton_ << label43;
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}


// ------------------------------------------------------------------ editing

void TipPage::tipEdited(int r, int k, const QString& typed) {
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

void TipPage::applyMegaBallHint(RowWidgets& w) {
    TipEdit* mb = w.edits[6];
    if (w.shownMegaBallHint.empty()) {
        setHint(mb, mb->property("ownHint").toString());
        return;
    }
    const QString hint = w.shownMegaBallHint == rz::kMegaBallNotDrawnHint ? labelMegaBall25_->text()
                                                                           : q(w.shownMegaBallHint);
    mb->setProperty("markHint", hint);
    setHint(mb, hint);
}

void TipPage::retranslateMegaBallHints() {
    // A language file has just set the fields' own hints (over a marked
    // field's hint too) and the hidden label's text.
    for (int r = 1; r <= TipSet::kRows; ++r) {
        RowWidgets& w = rows_[static_cast<std::size_t>(r)];
        if (w.shownMegaBallHint.empty())
            continue;
        TipEdit* mb = w.edits[6];
        if (mb->toolTip() != mb->property("markHint").toString())
            mb->setProperty("ownHint", mb->toolTip());
        applyMegaBallHint(w);
    }
}

void TipPage::syncRows() {
    const QColor normalText = toQColour(Colour::WindowText);
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
                    setRole(e, QPalette::Base, toQColour(row.colour[ks]));
            }
        }
        if (w.shownMegaBallHint != row.megaBallHint) {
            // The tip check's hint stands in for the field's own while it applies.
            TipEdit* mb = w.edits[6];
            if (w.shownMegaBallHint.empty())
                mb->setProperty("ownHint", mb->toolTip());
            w.shownMegaBallHint = row.megaBallHint;
            applyMegaBallHint(w);
        }
        if (w.shownLocked != row.Locked) {
            w.shownLocked = row.Locked;
            w.label->setToggleState(row.Locked);
            setRole(w.label, QPalette::WindowText, row.Locked ? toQColour(Colour::Red) : normalText);
        }
        setLabelText(w.sum, row.sumCaption);
        setLabelText(w.hit, row.hitCaption);
        if (w.shownHitColour != row.hitColour) {
            w.shownHitColour = row.hitColour;
            setRole(w.hit, QPalette::WindowText, toQColour(row.hitColour));
        }
    }
}

void TipPage::command(const std::function<void()>& call) { frame_.command(call); }

void TipPage::openOddsDialog() {
    if (oddsDialog_)
        oddsDialog_->close();
    oddsDialog_ = new OddsDialog(model_, this);
    oddsDialog_->setAttribute(Qt::WA_DeleteOnClose);
    oddsDialog_->show();
    oddsDialog_->raise();
}

void TipPage::syncOdds() {
    // The model computes again only when the rows changed.
    const QString line = q(model_.oddsLine());
    if (oddsLine_->text() != line) {
        oddsLine_->setText(line);
        oddsLine_->setAccessibleName(line);
    }
    const QString button = q(rz::txt(rz::Txt::OddsButton));
    if (oddsButton_->text() != button) {
        oddsButton_->setText(button);
        oddsButton_->setAccessibleName(q(rz::txt(rz::Txt::OddsTitle)));
        oddsLine_->setToolTip(q(rz::txt(rz::Txt::OddsTitle)));
    }
}

void TipPage::syncFromModel() {
    syncRows();
    syncOdds();
    setLabelText(label35_, model_.Label35);
    setLabelText(label13_, model_.Label13);
    setLabelText(losnummer_, model_.Losnummer);
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
    if (const QString hint = q(rz::downloadSourceHint(model_.ServerAddress)); speedButton10_->toolTip() != hint)
        setHint(speedButton10_, hint);
    if (speedButton10_->isEnabled() != model_.SpeedButton10Enabled)
        speedButton10_->setEnabled(model_.SpeedButton10Enabled);
}

void TipPage::reserveRoomForChangingTexts() {
    label13_->setMinimumWidth(label13_->fontMetrics().horizontalAdvance(q(model_.msg(rz::Msg::Sum)) + QStringLiteral(": 000")));
    const QFontMetrics drawing(label35_->font());
    label35_->setMinimumWidth(drawing.horizontalAdvance(QStringLiteral("Www 00.00.00    00  00  00  00  00   MB: 00 MP: 00")));
    for (int r = 1; r <= TipSet::kRows; ++r) {
        RowWidgets& w = rows_[static_cast<std::size_t>(r)];
        w.sum->setMinimumWidth(w.sum->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
        w.hit->setMinimumWidth(w.hit->fontMetrics().horizontalAdvance(QStringLiteral("5 + MB ")) + w.hit->indent());
    }
}
