#include "QtComponentTree.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

#include <cstdio>
#include <stdexcept>

#include "app/MainModel.h"
#include "i18n/LanguageFiles.h"
#include "common/TextCodec.h"

std::vector<std::string> QtComponentTree::windowNames() const {
    std::vector<std::string> names;
    for (const ControlEntry& e : registry_.entries()) {
        if (!e.object)
            continue;
        const std::string w = e.window.toStdString();
        if (std::find(names.begin(), names.end(), w) == names.end())
            names.push_back(w);
    }
    return names;
}

std::vector<rz::ComponentInfo> QtComponentTree::components(const std::string& window) const {
    const QString w = QString::fromStdString(window);
    std::vector<rz::ComponentInfo> out;
    for (const ControlEntry& e : registry_.entries()) {
        if (!e.object || e.window != w)
            continue;
        rz::ComponentInfo c;
        c.name = e.name.toStdString();
        c.kind = e.kind;
        c.tag = e.tag;
        c.caption = e.kind == ControlKind::Edit ? std::string() : ControlRegistry::caption(e).toStdString();
        c.hint = ControlRegistry::hint(e).toStdString();
        out.push_back(std::move(c));
    }
    return out;
}

void QtComponentTree::setTexts(const std::string& window, const std::string& component, bool setCaption,
                               const std::string& caption, const std::string& hint) {
    ControlEntry* e = registry_.find(QString::fromStdString(window), QString::fromStdString(component));
    if (!e)
        throw std::runtime_error("no control " + window + "." + component);
    if (setCaption)
        ControlRegistry::setCaption(*e, QString::fromStdString(caption));
    ControlRegistry::setHint(*e, QString::fromStdString(hint));
}

