// The "Datenbank" tab: the drawing for a chosen date, the database commands
// and the statistics buttons.
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "Controls.h"
#include "DatabasePage.h"
#include "PageFrame.h"
#include "app/MainModel.h"


// ------------------------------------------------------------ database page

DatabasePage::DatabasePage(rz::MainModel& model, PageFrame& frame, QWidget* parent)
    : QWidget(parent), model_(model), frame_(frame) {
    // The window's registry; the page is made before it is placed in the
    // window, so the controls made below it find the registry through it.
    ControlRegistry& controls = frame.controls();
    controls.serve(this);
    QWidget* page = this;
    page->setObjectName(QStringLiteral("TabSheet4"));
    controls.add(page, ControlKind::TabSheet);
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(8, 8, 8, 8);
    v->setSpacing(6);

    auto* dateRow = new QHBoxLayout;
    dateTimePicker1_ = datePicker(page, "DateTimePicker1");
    connect(dateTimePicker1_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (!frame_.refreshing())
            model_.DateTimePicker1.setDate(dayFromDate(d));
    });
    // Leaving the field shows the date the model took.
    connect(dateTimePicker1_, &QDateEdit::editingFinished, this, [this] { frame_.refreshFromModel(); });
    QToolButton* sb5 =
        speedButton(page, "SpeedButton5", QStringLiteral("Anzeigen"),
                    QStringLiteral("Bewertung des Tipps für die Ziehung des gewählten Datums"), QStyle::SP_DialogApplyButton);
    connect(sb5, &QToolButton::clicked, this, [this] { frame_.command([this] { model_.SpeedButton5Click(); }); });
    QLabel* drawingOf = plainLabel(page, "Label74", QStringLiteral("Ziehung vom"));
    drawingOf->setBuddy(dateTimePicker1_);
    dateRow->addWidget(drawingOf);
    dateRow->addWidget(dateTimePicker1_);
    dateRow->addWidget(sb5);
    dateRow->addStretch(1);
    v->addLayout(dateRow);

    QFrame* captionPanel = panel(page, "Panel7");
    {
        auto* h = new QHBoxLayout(captionPanel);
        h->setContentsMargins(6, 4, 6, 4);
        label29_ = plainLabel(captionPanel, "Label29");
        frame_.setRelativeFont(label29_, 1.0, true);
        h->addWidget(label29_);
    }
    v->addWidget(captionPanel);

    auto* data = new QGridLayout;
    data->setHorizontalSpacing(6);
    data->setVerticalSpacing(4);
    QPushButton* bitBtn1 = pushButton(page, "BitBtn1", QStringLiteral("&Datenbank aktualisieren"));
    bitBtn1_ = bitBtn1;
    connect(bitBtn1, &QPushButton::clicked, this, [this] { frame_.command([this] { model_.KalventoClick(); }); });
    QToolButton* sb8 =
        speedButton(page, "SpeedButton8", {}, QStringLiteral("Stoppt das Einlesen"), QStyle::SP_BrowserStop);
    sb8->hide(); // shown only while a download runs
    nameByHint(sb8);
    speedButton8_ = sb8;
    connect(sb8, &QToolButton::clicked, this, [this] { frame_.command([this] { model_.SpeedButton8Click(); }); });
    QPushButton* import = pushButton(page, "ImportButton", QStringLiteral("Importieren…"),
                                     QStringLiteral("Ziehungsdaten aus einer CSV-Datei übernehmen"));
    connect(import, &QPushButton::clicked, this, [this] { frame_.command([this] { model_.importCommand(); }); });
    QPushButton* bitBtn8 =
        pushButton(page, "BitBtn8", QStringLiteral("Eingeben"), QStringLiteral("manuelle eingaben der Ziehungsdaten."));
    connect(bitBtn8, &QPushButton::clicked, this, [this] { frame_.command([this] { model_.BitBtn8Click(); }); });
    QPushButton* bitBtn6 =
        pushButton(page, "BitBtn6", QStringLiteral("Löschen"), QStringLiteral("Löschen der aktuell angezeigten Ziehung"));
    connect(bitBtn6, &QPushButton::clicked, this, [this] { frame_.command([this] { model_.deleteShownDrawing(); }); });
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
        // The command holds the model, not this (see Zahlenwahl::command).
        const auto handler = b.handler;
        connect(pb, &QPushButton::clicked, this,
                [this, handler] { frame_.command([&model = model_, handler] { (model.*handler)(); }); });
        stats->addWidget(pb, b.row, b.col);
    }
    v->addWidget(statsFrame);

    QPushButton* bitBtn9 = pushButton(page, "BitBtn9",
                                      QStringLiteral("Historische Analyse der Parameter beginnenden mit oben gewähltem Datum"));
    QPushButton* bitBtn19 =
        pushButton(page, "BitBtn19", QStringLiteral("Historische Analyse beginnend mit dem oben gewähltem Datum"));
    // A second click on the running analysis's button stops it.
    connect(bitBtn9, &QPushButton::clicked, this, [this] { frame_.command([this] { model_.BitBtn9Click(); }); });
    connect(bitBtn19, &QPushButton::clicked, this, [this] { frame_.command([this] { model_.BitBtn19Click(); }); });
    v->addWidget(bitBtn9);
    v->addWidget(bitBtn19);
    v->addStretch(1);
}

void DatabasePage::syncFromModel() {
    const rz::DatePicker& p = model_.DateTimePicker1;
    dateTimePicker1_->showAs(QString::fromStdString(rz::shortDatePattern(model_.sprache)));
    dateTimePicker1_->follow(dateFromDay(p.minDate), dateFromDay(std::max(p.date, p.minDate)));
    setLabelText(label29_, model_.Label29);
    if (bitBtn1_->isEnabled() != model_.BitBtn1Enabled)
        bitBtn1_->setEnabled(model_.BitBtn1Enabled);
    if (speedButton8_->isVisibleTo(speedButton8_->parentWidget()) != model_.SpeedButton8Visible)
        speedButton8_->setVisible(model_.SpeedButton8Visible);
}
