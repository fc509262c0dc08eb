#include "Controls.h"

#include <QApplication>

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QDateEdit>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyleOptionFocusRect>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>
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

// A clickable label as a screen reader sees it: a link that can be pressed,
// or a check box when it toggles a state.
class ClickLabelAccessible : public QAccessibleWidget {
public:
    explicit ClickLabelAccessible(ClickLabel* l) : QAccessibleWidget(l, QAccessible::Link) {}

    QAccessible::Role role() const override { return label()->toggles() ? QAccessible::CheckBox : QAccessible::Link; }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            const QString own = widget()->accessibleName();
            return own.isEmpty() ? label()->text() : own;
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (label()->toggles()) {
            s.checkable = true;
            s.checked = label()->toggleState();
        }
        return s;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction())
            emit label()->clicked();
    }

private:
    ClickLabel* label() const { return static_cast<ClickLabel*>(widget()); }
};

QAccessibleInterface* clickLabelAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("ClickLabel") && object && object->isWidgetType())
        return new ClickLabelAccessible(static_cast<ClickLabel*>(object));
    return nullptr;
}

} // namespace

QDate dateFromDay(rz::DayNumber d) { return kDayZero.addDays(static_cast<qint64>(std::floor(d))); }
rz::DayNumber dayFromDate(const QDate& d) { return static_cast<rz::DayNumber>(kDayZero.daysTo(d)); }

// ---------------------------------------------------------------- registry

namespace {
// The property naming the registry that serves an object made outside its
// window (ControlRegistry::serve).
constexpr const char* kServedBy = "rzControlRegistry";
} // namespace

ControlRegistry::~ControlRegistry() {
    for (const QPointer<QObject>& root : served_)
        if (root)
            root->setProperty(kServedBy, QVariant());
}

ControlRegistry& ControlRegistry::of(QObject* object) {
    QObject* top = object;
    for (QObject* o = object; o; o = o->parent()) {
        if (auto* own = qobject_cast<ControlRegistry*>(o))
            return *own;
        if (auto* r = o->findChild<ControlRegistry*>(QString(), Qt::FindDirectChildrenOnly))
            return *r;
        if (auto* r = qobject_cast<ControlRegistry*>(o->property(kServedBy).value<QObject*>()))
            return *r;
        top = o;
    }
    return *new ControlRegistry(top);
}

void ControlRegistry::serve(QObject* root) {
    if (root->property(kServedBy).value<QObject*>() == this)
        return;
    root->setProperty(kServedBy, QVariant::fromValue(static_cast<QObject*>(this)));
    served_.emplace_back(root);
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
        return hintOf(w);
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

void ControlRegistry::nameBy(QWidget* w, std::function<QString()> name) {
    w->setAccessibleName(name());
    names_.emplace_back(w, std::move(name));
}

void ControlRegistry::retranslateNames() {
    for (auto& [w, name] : names_)
        if (w && w->accessibleName() != name())
            w->setAccessibleName(name());
}

// ----------------------------------------------------------------- helpers

void setHint(QWidget* w, const QString& hint) {
    w->setStatusTip(hint);
    const QString keys = w->property("shortcutKeys").toString();
    w->setToolTip(keys.isEmpty() || hint.isEmpty() ? hint : QStringLiteral("%1 (%2)").arg(hint, keys));
    if (w->property("nameByHint").toBool())
        w->setAccessibleName(hint);
}

QString hintOf(const QWidget* w) { return w->statusTip().isEmpty() ? w->toolTip() : w->statusTip(); }

void nameByHint(QWidget* w) {
    w->setProperty("nameByHint", true);
    w->setAccessibleName(hintOf(w));
}

void nameByCurrentPage(QTabWidget* pages) {
    auto name = [pages] { return pages->currentIndex() < 0 ? QString() : spokenCaption(pages->tabText(pages->currentIndex())); };
    ControlRegistry::of(pages).nameBy(pages, name);
    QObject::connect(pages, &QTabWidget::currentChanged, pages, [pages, name] { pages->setAccessibleName(name()); });
}

void nameByText(QWidget* w, rz::Txt id, std::vector<std::string> args) {
    ControlRegistry::of(w).nameBy(w, [id, args = std::move(args)] { return q(rz::txt(id, args)); });
}

QString spokenCaption(const QString& caption) {
    static const QRegularExpression gaps(QStringLiteral("\\s{2,}"));
    QString s = caption;
    // "&&" is a shown "&"; a single "&" marks the accelerator.
    s.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    s.remove(QLatin1Char('&'));
    s.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return s.replace(gaps, QStringLiteral(" ")).trimmed();
}

QString unspaced(const QString& text) {
    // Two blanks part the words, one blank the letters.
    QStringList words = text.trimmed().split(QStringLiteral("  "), Qt::SkipEmptyParts);
    for (QString& w : words)
        w = w.trimmed().remove(QLatin1Char(' '));
    return words.join(QLatin1Char(' '));
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
    ControlRegistry::of(l).add(l, ControlKind::Label);
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
    ControlRegistry::of(b).add(b, ControlKind::SpeedButton);
    return b;
}

QPushButton* pushButton(QWidget* parent, const char* name, const QString& text, const QString& hint) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    if (!hint.isEmpty())
        setHint(b, hint);
    const bool bitmapButton = QLatin1String(name).startsWith(QLatin1String("BitBtn"));
    ControlRegistry::of(b).add(b, bitmapButton ? ControlKind::BitBtn : ControlKind::Button);
    return b;
}

QFrame* panel(QWidget* parent, const char* name) {
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameShape(QFrame::StyledPanel);
    f->setFrameShadow(QFrame::Raised);
    ControlRegistry::of(f).add(f, ControlKind::Panel);
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

QRect placeInside(const QRect& available, const QRect& client, const QMargins& frame, bool keepInside) {
    const QRect room = available.marginsRemoved(frame);
    const QSize size = client.size().boundedTo(room.size()).expandedTo(QSize(1, 1));
    QRect r(client.topLeft(), size);
    if (keepInside) {
        r.moveLeft(std::max(room.left(), std::min(r.left(), room.right() + 1 - r.width())));
        r.moveTop(std::max(room.top(), std::min(r.top(), room.bottom() + 1 - r.height())));
    }
    return r;
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
    ControlRegistry::of(action).add(action, ControlKind::MenuItem, tag);
    return action;
}

// -------------------------------------------------------------- ClickLabel

void ClickLabel::setKeyboardReachable(bool on) {
    static const bool installed = [] {
        QAccessible::installFactory(clickLabelAccessible);
        return true;
    }();
    (void)installed;
    // Tab reaches it; a click does not take the focus from the field being edited.
    setFocusPolicy(on ? Qt::TabFocus : Qt::NoFocus);
}

void ClickLabel::setToggleState(bool on) {
    const bool changed = !toggles_ || state_ != on;
    toggles_ = true;
    state_ = on;
    if (changed && QAccessible::isActive()) {
        QAccessible::State s;
        s.checked = true;
        QAccessibleStateChangeEvent event(this, s);
        QAccessible::updateAccessibility(&event);
    }
}

void ClickLabel::keyPressEvent(QKeyEvent* e) {
    if (focusPolicy() != Qt::NoFocus && !e->isAutoRepeat() &&
        (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
        e->modifiers() == Qt::NoModifier) {
        e->accept();
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(e);
}

void ClickLabel::paintEvent(QPaintEvent* e) {
    QLabel::paintEvent(e);
    if (!hasFocus())
        return;
    QPainter p(this);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    const QRect text = fontMetrics().boundingRect(contentsRect(), static_cast<int>(alignment()), this->text());
    focus.rect = text.adjusted(-2, 0, 2, 0).intersected(rect());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
}

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
