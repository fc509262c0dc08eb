#include "Controls.h"

#include <QApplication>

#include <QAbstractButton>
#include <QAction>
#include <QDateEdit>
#include <QFocusEvent>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>

#include <cmath>

namespace {

const QDate kDayZero(1899, 12, 30);

// The page control holding a tab sheet, and the sheet's index in it.
std::pair<QTabWidget*, int> tabOf(QObject* page) {
    auto* w = qobject_cast<QWidget*>(page);
    for (QWidget* p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(p)) {
            const int i = tabs->indexOf(w);
            if (i >= 0)
                return {tabs, i};
        }
    }
    return {nullptr, -1};
}

} // namespace

QDate dateFromDay(rz::DayNumber d) { return kDayZero.addDays(static_cast<qint64>(std::floor(d))); }
rz::DayNumber dayFromDate(const QDate& d) { return static_cast<rz::DayNumber>(kDayZero.daysTo(d)); }

// ---------------------------------------------------------------- registry

ControlRegistry& ControlRegistry::instance() {
    static ControlRegistry registry;
    return registry;
}

ControlEntry& ControlRegistry::add(QObject* object, ControlKind kind, int tag) {
    ControlEntry e;
    e.window = window_;
    // A window is listed under its own name ("Form1"), whatever its objectName.
    e.name = kind == ControlKind::Window ? window_ : object->objectName();
    e.kind = kind;
    e.tag = tag;
    e.object = object;
    object->setProperty("tag", tag);
    entries_.push_back(std::move(e));
    return entries_.back();
}

ControlEntry* ControlRegistry::find(const QString& window, const QString& name) {
    for (auto& e : entries_)
        if (e.window == window && e.name == name && e.object)
            return &e;
    return nullptr;
}

QString ControlRegistry::caption(const ControlEntry& e) {
    QObject* o = e.object;
    if (!o)
        return {};
    switch (e.kind) {
    case ControlKind::Window:
        return qobject_cast<QWidget*>(o) ? static_cast<QWidget*>(o)->windowTitle() : QString();
    case ControlKind::MenuItem:
        return qobject_cast<QAction*>(o) ? static_cast<QAction*>(o)->text() : QString();
    case ControlKind::TabSheet: {
        const auto [tabs, i] = tabOf(o);
        return tabs ? tabs->tabText(i) : QString();
    }
    case ControlKind::RadioGroup:
        return qobject_cast<QGroupBox*>(o) ? static_cast<QGroupBox*>(o)->title() : QString();
    case ControlKind::Edit:
        return hint(e);
    default:
        if (auto* l = qobject_cast<QLabel*>(o))
            return l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(o))
            return b->text();
        return o->property("caption").toString();
    }
}

QString ControlRegistry::hint(const ControlEntry& e) {
    QObject* o = e.object;
    if (!o)
        return {};
    if (auto* a = qobject_cast<QAction*>(o))
        return a->statusTip();
    if (e.kind == ControlKind::TabSheet) {
        const auto [tabs, i] = tabOf(o);
        return tabs ? tabs->tabToolTip(i) : QString();
    }
    if (auto* w = qobject_cast<QWidget*>(o))
        return w->toolTip();
    return {};
}

void ControlRegistry::setCaption(const ControlEntry& e, const QString& text) {
    QObject* o = e.object;
    if (!o)
        return;
    if (e.captionSetter) {
        e.captionSetter(text);
        return;
    }
    switch (e.kind) {
    case ControlKind::Window: // the main window keeps its title (the product's name) in every language
        if (auto* w = qobject_cast<QWidget*>(o); w && e.window != QStringLiteral("Form1"))
            w->setWindowTitle(text);
        return;
    case ControlKind::Edit: // an edit field's text is data, never a caption
        return;
    case ControlKind::MenuItem:
        if (auto* a = qobject_cast<QAction*>(o))
            a->setText(text);
        return;
    case ControlKind::TabSheet: {
        const auto [tabs, i] = tabOf(o);
        if (tabs)
            tabs->setTabText(i, text);
        return;
    }
    case ControlKind::RadioGroup:
        if (auto* g = qobject_cast<QGroupBox*>(o))
            g->setTitle(text);
        return;
    default:
        if (auto* l = qobject_cast<QLabel*>(o))
            l->setText(text);
        else if (auto* b = qobject_cast<QAbstractButton*>(o))
            b->setText(text);
        else
            o->setProperty("caption", text);
    }
}

void ControlRegistry::setHint(const ControlEntry& e, const QString& text) {
    QObject* o = e.object;
    if (!o)
        return;
    if (auto* a = qobject_cast<QAction*>(o)) {
        a->setStatusTip(text);
        a->setToolTip(text);
        return;
    }
    if (e.kind == ControlKind::TabSheet) {
        const auto [tabs, i] = tabOf(o);
        if (tabs)
            tabs->setTabToolTip(i, text);
        return;
    }
    if (auto* w = qobject_cast<QWidget*>(o))
        ::setHint(w, text);
}

// ----------------------------------------------------------------- helpers

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

QLabel* plainLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setTextFormat(Qt::PlainText);
    ControlRegistry::instance().add(l, ControlKind::Label);
    return l;
}

QToolButton* speedButton(QWidget* parent, const char* name, const QString& text, const QString& hint,
                         QStyle::StandardPixmap icon) {
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
    ControlRegistry::instance().add(b, ControlKind::SpeedButton);
    return b;
}

QPushButton* pushButton(QWidget* parent, const char* name, const QString& text, const QString& hint) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    if (!hint.isEmpty())
        setHint(b, hint);
    const bool bitmapButton = QLatin1String(name).startsWith(QLatin1String("BitBtn"));
    ControlRegistry::instance().add(b, bitmapButton ? ControlKind::BitBtn : ControlKind::Button);
    return b;
}

QFrame* panel(QWidget* parent, const char* name) {
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameShape(QFrame::StyledPanel);
    f->setFrameShadow(QFrame::Raised);
    ControlRegistry::instance().add(f, ControlKind::Panel);
    return f;
}

namespace {
bool waitCursorShown = false;
}

void setWaitCursor(bool busy) {
    if (busy == waitCursorShown)
        return;
    waitCursorShown = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

QColor toQColour(rz::Colour c) {
    using rz::Colour;
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

DateEdit* datePicker(QWidget* parent, const char* name) {
    auto* d = new DateEdit(parent);
    d->setObjectName(QLatin1String(name));
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    d->setMinimumDate(dateFromDay(rz::kEarliestPickerDate));
    d->setMaximumDate(QDate(2099, 12, 31));
    return d;
}

QAction* registeredAction(QAction* action, const char* name, int tag) {
    action->setObjectName(QLatin1String(name));
    ControlRegistry::instance().add(action, ControlKind::MenuItem, tag);
    return action;
}

// -------------------------------------------------------------- ClickLabel

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

// ----------------------------------------------------------------- TipEdit

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

// ---------------------------------------------------------------- DateEdit

DateEdit::DateEdit(QWidget* parent) : QDateEdit(parent) { lineEdit()->installEventFilter(this); }

void DateEdit::follow(const QDate& minimum, const QDate& date) {
    const QSignalBlocker block(this);
    const bool editing = hasFocus() && shown_ == date;
    shown_ = date;
    if (editing)
        return;
    if (minimumDate() != minimum)
        setMinimumDate(minimum);
    if (this->date() != date)
        setDate(date);
}

void DateEdit::showAs(const QString& pattern) {
    if (displayFormat() == pattern || hasFocus())
        return;
    const QSignalBlocker block(this);
    const QDate keep = date();
    setDisplayFormat(pattern);
    setDate(keep);
}

bool DateEdit::eventFilter(QObject* watched, QEvent* e) {
    const bool handled = QDateEdit::eventFilter(watched, e);
    if (watched == lineEdit() && e->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton && !lineEdit()->hasSelectedText()) {
        // The press has put the cursor under the mouse; the section it lies
        // in is taken whole.
        setSelectedSection(currentSection());
    }
    return handled;
}
