#include "Zahlenwahl.h"

#include "Controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedLayout>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <exception>

#include "app/MainModel.h"

namespace {

constexpr int kColumns = 7;
constexpr int kTimerMs = 25;

QString qs(const std::string& s) { return QString::fromStdString(s); }

} // namespace

Zahlenwahl::Zahlenwahl(rz::MainModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    // The registry of the window this is made in (made alone: one of its own).
    ControlRegistry& controls = ControlRegistry::of(this);
    const WindowScope scope(controls, QStringLiteral("Form6"));
    setObjectName(QStringLiteral("TForm6"));
    controls.add(this, ControlKind::Window);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    for (int n = 1; n <= rz::NumberList::kBoxes; ++n) {
        auto* box = new QCheckBox(QString::number(n), this);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(n));
        controls.add(box, ControlKind::CheckBox);
        box->setAutoFillBackground(true);
        box->setBackgroundRole(QPalette::Window); // a check box fills with Button otherwise
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00")) + 28);
        connect(box, &QCheckBox::clicked, this, [this, n](bool on) { boxClicked(n, on); });
        grid->addWidget(box, (n - 1) / kColumns, (n - 1) % kColumns);
        boxes_[static_cast<std::size_t>(n)] = box;
    }
    outer->addLayout(grid);

    auto* bar = new QHBoxLayout;
    saveButton_ = new QToolButton(this);
    saveButton_->setObjectName(QStringLiteral("SpeedButton1"));
    saveButton_->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    setHint(saveButton_, QStringLiteral("Speichern der Liste"));
    controls.add(saveButton_, ControlKind::SpeedButton);
    // Tab reaches the list's file buttons; a click leaves the focus where it is.
    saveButton_->setFocusPolicy(Qt::TabFocus);
    nameByHint(saveButton_);
    connect(saveButton_, &QToolButton::clicked, this, [this] { command(&rz::MainModel::numberListSave); });
    loadButton_ = new QToolButton(this);
    loadButton_->setObjectName(QStringLiteral("SpeedButton2"));
    loadButton_->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    setHint(loadButton_, QStringLiteral("Laden der Liste"));
    controls.add(loadButton_, ControlKind::SpeedButton);
    loadButton_->setFocusPolicy(Qt::TabFocus);
    nameByHint(loadButton_);
    connect(loadButton_, &QToolButton::clicked, this, [this] { command(&rz::MainModel::numberListLoad); });
    bar->addWidget(saveButton_);
    bar->addWidget(loadButton_);
    bar->addStretch(1);

    randomButton_ = new QPushButton(this);
    randomButton_->setObjectName(QStringLiteral("BitBtn4"));
    controls.add(randomButton_, ControlKind::BitBtn);
    connect(randomButton_, &QPushButton::clicked, this, [this] { randomClicked(); });
    bar->addWidget(randomButton_);

    // "&Rechnen" lies over "OK": both share one slot, the retry button on top.
    okButton_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"));
    okButton_->setObjectName(QStringLiteral("BitBtn1"));
    controls.add(okButton_, ControlKind::BitBtn);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, [this] { done(kOk); });
    retryButton_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogRetryButton), QStringLiteral("&Rechnen"));
    retryButton_->setObjectName(QStringLiteral("BitBtn3"));
    controls.add(retryButton_, ControlKind::BitBtn);
    connect(retryButton_, &QPushButton::clicked, this, [this] { done(kRetry); });
    auto* slot = new QWidget(this);
    okSlot_ = new QStackedLayout(slot);
    okSlot_->setStackingMode(QStackedLayout::StackAll);
    okSlot_->addWidget(okButton_);
    okSlot_->addWidget(retryButton_);
    bar->addWidget(slot);

    abortButton_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogAbortButton), QStringLiteral("Abort"));
    abortButton_->setObjectName(QStringLiteral("BitBtn2"));
    controls.add(abortButton_, ControlKind::BitBtn);
    connect(abortButton_, &QPushButton::clicked, this, [this] { done(kAbort); });
    bar->addWidget(abortButton_);
    outer->addLayout(bar);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(kTimerMs);
    connect(timer_, &QTimer::timeout, this, [this] { timerTick(); });

    syncFromModel();
}

QColor Zahlenwahl::colourOf(rz::Colour c) const {
    switch (c) {
    case rz::Colour::Yellow:
        return QColor(255, 255, 0);
    case rz::Colour::HitGreen:
        return QColor(0, 255, 0);
    case rz::Colour::Red:
        return QColor(255, 0, 0);
    case rz::Colour::Black:
        return QColor(0, 0, 0);
    case rz::Colour::BarGreen:
        return QColor(0, 128, 0);
    case rz::Colour::WindowBackground:
        return QApplication::palette().color(QPalette::Window);
    case rz::Colour::WindowText:
        return QApplication::palette().color(QPalette::WindowText);
    case rz::Colour::TooltipBackground:
        break;
    }
    return QApplication::palette().color(QPalette::ToolTipBase);
}

void Zahlenwahl::syncFromModel() {
    const rz::NumberList& nl = model_.numberList;
    const QString title = qs(nl.caption);
    if (windowTitle() != title)
        setWindowTitle(title);

    for (int n = 1; n <= rz::NumberList::kBoxes; ++n) {
        const auto i = static_cast<std::size_t>(n);
        QCheckBox* box = boxes_[i];
        const rz::NumberList::Box& b = nl.box(n);
        if (box->isChecked() != b.checked) {
            const QSignalBlocker block(box);
            box->setChecked(b.checked);
        }
        const QString tip = qs(b.weight);
        if (box->toolTip() != tip)
            box->setToolTip(tip);
        if (!colourKnown_[i] || shownColour_[i] != b.colour) {
            QPalette pal = box->palette();
            pal.setColor(QPalette::Window, colourOf(b.colour));
            box->setPalette(pal);
            shownColour_[i] = b.colour;
            colourKnown_[i] = true;
        }
    }

    const QString randomCaption = qs(nl.randomButtonCaption);
    if (randomButton_->text() != randomCaption)
        randomButton_->setText(randomCaption);
    randomButton_->setVisible(nl.randomVisible);
    if (nl.retryVisible) {
        retryButton_->setVisible(true);
        okSlot_->setCurrentWidget(retryButton_);
    } else {
        okSlot_->setCurrentWidget(okButton_);
        retryButton_->setVisible(false);
    }
    okButton_->setVisible(true);

    if (nl.timerRunning && !timer_->isActive())
        timer_->start();
    else if (!nl.timerRunning && timer_->isActive())
        timer_->stop();
}

rz::ModalResult Zahlenwahl::showModalList() {
    syncFromModel();
    adjustSize();
    if (QWidget* p = parentWidget()) {
        const QRect frame = p->window()->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    switch (exec()) {
    case kOk:
        return rz::ModalResult::Ok;
    case kRetry:
        return rz::ModalResult::Retry;
    default:
        return rz::ModalResult::Abort;
    }
}

void Zahlenwahl::timerTick() {
    model_.numberList.randomDrawTick(model_.rng);
    syncFromModel();
}

void Zahlenwahl::done(int result) {
    timer_->stop();
    model_.numberList.windowClosed();
    syncFromModel();
    QDialog::done(result == kOk || result == kRetry ? result : kAbort);
}

void Zahlenwahl::boxClicked(int n, bool checked) {
    model_.numberList.box(n).checked = checked;
}

void Zahlenwahl::randomClicked() {
    model_.numberList.randomButtonClick();
    syncFromModel();
}

void Zahlenwahl::command(void (rz::MainModel::*call)()) {
    // The closure holds the model, not this: GCC 12's vptr check in the sanitizer
    // build takes a closure that captures this and calls through a member
    // pointer for the object itself and reports a false error.
    model_.run([&model = model_, call] { (model.*call)(); });
    syncFromModel();
}
