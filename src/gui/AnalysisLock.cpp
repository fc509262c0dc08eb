#include "AnalysisLock.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>

#include "Controls.h"

void AnalysisLock::apply(QMainWindow* window, QWidget* keep, bool running) {
    if (!running && !active_)
        return;
    active_ = running;
    // While running, every refresh disables again what the refresh itself may
    // have enabled from the model.
    if (running) {
        QWidget* central = window->centralWidget();
        if (!central)
            return;
        QList<QWidget*> controls;
        for (QAbstractButton* b : central->findChildren<QAbstractButton*>())
            controls.append(b);
        for (QLineEdit* e : central->findChildren<QLineEdit*>())
            controls.append(e);
        for (QAbstractSpinBox* s : central->findChildren<QAbstractSpinBox*>())
            controls.append(s);
        for (ClickLabel* l : central->findChildren<ClickLabel*>()) // row locks, links, chart shortcuts
            controls.append(l);
        for (QWidget* w : controls) {
            if (w == keep || !w->isEnabled() || qobject_cast<QLineEdit*>(w->parentWidget()))
                continue;
            w->setEnabled(false);
            widgets_.emplace_back(w);
        }
        if (QMenuBar* bar = window->menuBar()) {
            for (QAction* a : bar->findChildren<QAction*>()) {
                if (!a->isEnabled() || a->menu())
                    continue;
                a->setEnabled(false);
                actions_.emplace_back(a);
            }
        }
        return;
    }
    for (const QPointer<QWidget>& w : widgets_)
        if (w)
            w->setEnabled(true);
    for (const QPointer<QAction>& a : actions_)
        if (a)
            a->setEnabled(true);
    widgets_.clear();
    actions_.clear();
}
