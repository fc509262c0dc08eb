#pragma once
// The widget factory of the view and the registry of its controls.
//
// Every control that carries a caption or hint is created through one of the
// factory helpers below (or registered right after it is made), so that the
// registry knows, in creation order, each control's window, name, kind and
// Tag. The language loader and the component list walk the registry; GUI
// tests find controls by their names.
#include <QDate>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPointer>
#include <QStyle>

#include <functional>
#include <string>
#include <vector>

#include "common/Colour.h"
#include "common/Dates.h"
#include "common/ProgramTexts.h"
#include "i18n/ComponentTree.h"

class QAction;
class QPushButton;
class QToolButton;

// ------------------------------------------------------------ conversions

inline QString q(const std::string& s) { return QString::fromStdString(s); }
QDate dateFromDay(rz::DayNumber d);
rz::DayNumber dayFromDate(const QDate& d);

// --------------------------------------------------------------- registry

// The kinds of controls that have texts a language can replace: the kinds of
// the language loader (Edit: edit fields and spin/date fields, only their hint).
using ControlKind = rz::ComponentKind;

struct ControlEntry {
    QString window; // "Form1", "Form3", "Form6", "QCSForm"
    QString name;   // the control's name, also its objectName
    ControlKind kind = ControlKind::Label;
    int tag = 0;    // non-zero: the control keeps its texts in every language
    QPointer<QObject> object;
    // A caption that the model owns (a button caption the model switches,
    // say) is written through the model so that a refresh keeps it.
    std::function<void(const QString&)> captionSetter;
};

// The controls of one main window and of the dialogs it owns. The window
// makes it as a child of its own; every control finds it through its parents
// (ControlRegistry::of), so that two windows in one process keep their
// controls apart. A tab page, built before the tab control takes it, is
// served the registry by its window first; a page or dialog made alone keeps
// its controls in a registry of its own.
class ControlRegistry : public QObject {
    Q_OBJECT
public:
    explicit ControlRegistry(QObject* owner) : QObject(owner) { setObjectName(QStringLiteral("ControlRegistry")); }
    ~ControlRegistry() override;

    // The registry of the window that `object` belongs to: the nearest one
    // that `object` or one of its parents has as a child or is served by;
    // without one, a new one on the topmost of them.
    static ControlRegistry& of(QObject* object);
    // Controls made below `root` before it is placed in the window (a tab
    // page built before the tab control takes it) find this registry.
    void serve(QObject* root);

    // The window whose controls are being created now.
    void beginWindow(const QString& window) { window_ = window; }
    const QString& currentWindow() const { return window_; }

    // Records a control of the current window under its objectName.
    ControlEntry& add(QObject* object, ControlKind kind, int tag = 0);
    // The entries in creation order (entries whose object is gone are kept
    // but have a null object).
    const std::vector<ControlEntry>& entries() const { return entries_; }
    ControlEntry* find(const QString& window, const QString& name);

    // Accessible names that are no caption of the control's own (a program
    // text, the sentence of the check box beside a number field): the
    // function is asked now and again after every change of language.
    void nameBy(QWidget* w, std::function<QString()> name);
    void retranslateNames();

    // Texts as the language files see them.
    static QString caption(const ControlEntry& e);
    static QString hint(const ControlEntry& e);
    // Window titles and edit-field texts never change; an edit field gets
    // only its hint.
    static void setCaption(const ControlEntry& e, const QString& text);
    static void setHint(const ControlEntry& e, const QString& text);

private:
    QString window_ = QStringLiteral("Form1");
    std::vector<ControlEntry> entries_;
    std::vector<std::pair<QPointer<QWidget>, std::function<QString()>>> names_;
    std::vector<QPointer<QObject>> served_;
};

// Scope of a window's construction: controls made inside belong to it.
class WindowScope {
public:
    WindowScope(ControlRegistry& registry, const QString& window)
        : registry_(registry), previous_(registry.currentWindow()) {
        registry_.beginWindow(window);
    }
    ~WindowScope() { registry_.beginWindow(previous_); }
    WindowScope(const WindowScope&) = delete;
    WindowScope& operator=(const WindowScope&) = delete;

private:
    ControlRegistry& registry_;
    QString previous_;
};

// Tags of controls that keep their texts in every language.
inline constexpr int kTipFieldTag = 8;
inline constexpr int kMakerPanelTag = 8;

// The maker's web site, opened by the maker's panels on the tip page.
inline constexpr const char* kMakerSite = "https://www.quendral.example/";
inline constexpr const char* kMakerAddress = "www.quendral.example";

QColor toQColour(rz::Colour c);

// Room for a window manager's title bar and border before a window is
// framed.
inline const QMargins kFrameAllowance(8, 32, 8, 8);
// The client area of a window inside the available area of a screen, with
// `frame` around it: no larger than fits, and, when `keepInside`, moved so
// that the frame lies inside too.
QRect placeInside(const QRect& available, const QRect& client, const QMargins& frame, bool keepInside);

// Shows or clears the wait cursor. Balanced: repeated calls with the same
// state do nothing, so every "busy" is undone by exactly one "not busy".
void setWaitCursor(bool busy);

// ---------------------------------------------------------------- helpers

// Sets a control's hint (status text and tool tip). A control named by its
// hint (nameByHint) takes it as its accessible name too; one with the
// property "shortcutKeys" shows its keys in the tool tip.
void setHint(QWidget* w, const QString& hint);
// The hint of a control: its status text, else its tool tip.
QString hintOf(const QWidget* w);
// An icon button or a field without a label: its hint, which every language
// file carries, is its accessible name.
void nameByHint(QWidget* w);
// A page control is named by the page on view.
void nameByCurrentPage(class QTabWidget* pages);
// Named by a program text in the user's language.
void nameByText(QWidget* w, rz::Txt id, std::vector<std::string> args = {});
// A caption as a screen reader should say it: without the accelerator mark
// "&" and with the runs of blanks that hold spin fields made one blank.
QString spokenCaption(const QString& caption);
// A text spaced out letter by letter ("R u v u  2 . 6") as a word ("Ruvu 2.6").
QString unspaced(const QString& text);
void setLabelText(QLabel* l, const std::string& s);
void setRole(QWidget* w, QPalette::ColorRole role, const QColor& c);

QLabel* plainLabel(QWidget* parent, const char* name, const QString& text = {});
QToolButton* speedButton(QWidget* parent, const char* name, const QString& text, const QString& hint,
                         QStyle::StandardPixmap icon = QStyle::SP_CustomBase);
QPushButton* pushButton(QWidget* parent, const char* name, const QString& text, const QString& hint = {});
QFrame* panel(QWidget* parent, const char* name);
class DateEdit;
DateEdit* datePicker(QWidget* parent, const char* name);
QAction* registeredAction(QAction* action, const char* name, int tag = 0);

// A label that reports a click (row labels, link labels, the maker's panels).
// Made reachable by Tab (setKeyboardReachable), Space or Enter click it, and
// a screen reader finds it as a link, or as a check box when it toggles a
// state (setToggleState).
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    void setKeyboardReachable(bool on);
    // The label toggles a state (a row's lock): its role is a check box.
    void setToggleState(bool on);
    bool toggles() const { return toggles_; }
    bool toggleState() const { return state_; }
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    bool pressed_ = false;
    bool toggles_ = false;
    bool state_ = false;
};

// One tip field: three digits wide, and it reports leaving the field (not
// when another window takes the focus, and not for popups).
class TipEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TipEdit(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
signals:
    void exited();

protected:
    void focusOutEvent(QFocusEvent* e) override;
};

// A date field ("dd.MM.yyyy") as desktop date fields behave: a single click
// selects the section under the mouse (day, month or year), so that the
// digits typed next replace it instead of being refused by a full section.
// A selection the user drags stays as it is.
class DateEdit : public QDateEdit {
    Q_OBJECT
public:
    explicit DateEdit(QWidget* parent = nullptr);

    // Shows the model's date and earliest date. A date the user is typing
    // stays as typed (the model takes each complete, valid date from it);
    // only a date the model itself changed since the last call (a lookup, a
    // step) is written into the field being edited. Signals are blocked.
    void follow(const QDate& minimum, const QDate& date);
    // Shows dates in the given pattern (rz::shortDatePattern of the user's
    // language); a field being edited keeps its pattern until it is left.
    void showAs(const QString& pattern);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QDate shown_; // the model's date at the last follow()
};
