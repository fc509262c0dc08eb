#include "MessagePage.h"

#include <QPlainTextEdit>
#include <QStringList>
#include <QVBoxLayout>

#include "Controls.h"
#include "app/MainModel.h"

MessagePage::MessagePage(rz::MainModel& model, ControlRegistry* controlsOfWindow, QWidget* parent)
    : QWidget(parent), model_(model) {
    // The window's registry (made alone: one of its own).
    ControlRegistry& controls = controlsOfWindow ? *controlsOfWindow : ControlRegistry::of(this);
    controls.serve(this);
    setObjectName(QStringLiteral("TabSheet2"));
    controls.add(this, ControlKind::TabSheet);
    auto* v = new QVBoxLayout(this);
    memo2_ = new QPlainTextEdit(this);
    memo2_->setObjectName(QStringLiteral("Memo2"));
    memo2_->setReadOnly(true);
    memo2_->setLineWrapMode(QPlainTextEdit::NoWrap);
    v->addWidget(memo2_);
}

void MessagePage::syncFromModel() {
    if (model_.Memo2.lines() == shownMemo_)
        return;
    shownMemo_ = model_.Memo2.lines();
    QStringList lines;
    for (const auto& l : shownMemo_)
        lines << q(l);
    memo2_->setPlainText(lines.join(QLatin1Char('\n')));
}
