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

#include "common/Dates.h"
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

class ControlRegistry {
public:
    static ControlRegistry& instance();

    // The window whose controls are being created now.
    void beginWindow(const QString& window) { window_ = window; }
    const QString& currentWindow() const { return window_; }

    // Records a control of the current window under its objectName.
    ControlEntry& add(QObject* object, ControlKind kind, int tag = 0);
    // The entries in creation order (entries whose object is gone are kept
    // but have a null object).
    const std::vector<ControlEntry>& entries() const { return entries_; }
    ControlEntry* find(const QString& window, const QString& name);
    void clear() { entries_.clear(); }

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
};

// Scope of a window's construction: controls made inside belong to it.
class WindowScope {
public:
    explicit WindowScope(const QString& window) : previous_(ControlRegistry::instance().currentWindow()) {
        ControlRegistry::instance().beginWindow(window);
    }
    ~WindowScope() { ControlRegistry::instance().beginWindow(previous_); }

private:
    QString previous_;
};

// ---------------------------------------------------------------- helpers

void setHint(QWidget* w, const QString& hint);
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
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    bool pressed_ = false;
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

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
};
