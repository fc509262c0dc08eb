#pragma once
// Checks that the texts of a window fit their widgets: every visible button,
// label, tab and menu entry shows its whole text.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QScrollArea>
#include <QStatusBar>
#include <QStringList>
#include <QTabBar>
#include <QWidget>

inline QString describe(const QWidget* w) {
    return (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName());
}

// The widgets of `window` whose text does not fit, with what they show.
inline QStringList textMisfits(QWidget* window) {
    QStringList out;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->width() <= 0)
            continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            if (b->text().isEmpty())
                continue;
            const QSize need = b->sizeHint();
            if (b->width() < need.width() || b->height() < b->minimumSizeHint().height())
                out << QStringLiteral("%1 \"%2\": %3x%4 < %5x%6")
                           .arg(describe(b), b->text())
                           .arg(b->width())
                           .arg(b->height())
                           .arg(need.width())
                           .arg(b->minimumSizeHint().height());
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            // Status panels end long texts in an ellipsis by design.
            if (l->text().isEmpty() || qobject_cast<QStatusBar*>(l->parentWidget()))
                continue;
            const QRect r = l->contentsRect();
            if (l->wordWrap()) {
                const int need = l->heightForWidth(l->width());
                if (need > l->height())
                    out << QStringLiteral("%1 \"%2\": height %3 < %4").arg(describe(l), l->text()).arg(l->height()).arg(need);
            } else {
                const int indent = l->indent() > 0 ? l->indent() : 0;
                const int need = l->fontMetrics().horizontalAdvance(QString(l->text()).remove(QLatin1Char('&'))) + indent;
                if (need > r.width())
                    out << QStringLiteral("%1 \"%2\": width %3 < %4").arg(describe(l), l->text()).arg(r.width()).arg(need);
            }
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            const int need = g->fontMetrics().horizontalAdvance(g->title()) + 16;
            if (need > g->width())
                out << QStringLiteral("%1 \"%2\": width %3 < %4").arg(describe(g), g->title()).arg(g->width()).arg(need);
        } else if (auto* bar = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < bar->count(); ++i) {
                if (!bar->isTabVisible(i))
                    continue;
                const QRect r = bar->tabRect(i);
                const int need = bar->fontMetrics().horizontalAdvance(QString(bar->tabText(i)).remove(QLatin1Char('&')));
                if (r.width() < need || !bar->rect().contains(r))
                    out << QStringLiteral("%1 tab \"%2\": %3 < %4").arg(describe(bar), bar->tabText(i)).arg(r.width()).arg(need);
            }
        } else if (auto* area = qobject_cast<QScrollArea*>(w)) {
            // A page that has to be scrolled hides part of its texts.
            if (QWidget* content = area->widget()) {
                const QSize need = content->minimumSizeHint();
                const QSize room = area->viewport()->size();
                if (need.width() > room.width() || need.height() > room.height())
                    out << QStringLiteral("%1 needs %2x%3, has %4x%5")
                               .arg(describe(area))
                               .arg(need.width())
                               .arg(need.height())
                               .arg(room.width())
                               .arg(room.height());
            }
        } else if (auto* menu = qobject_cast<QMenuBar*>(w)) {
            for (QAction* a : menu->actions()) {
                if (!a->isVisible())
                    continue;
                const QRect r = menu->actionGeometry(a);
                if (r.isEmpty() || !menu->rect().contains(r))
                    out << QStringLiteral("menu \"%1\" does not fit the menu bar").arg(a->text());
            }
        }
    }
    return out;
}
