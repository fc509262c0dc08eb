#include "QtComponentTree.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

#include <cstdio>
#include <stdexcept>

#include "DarovAduzez.h"
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

QByteArray componentListOfTheProgram() {
    // The built-in texts: no settings, no language applied.
    rz::MainModel model;
    TForm1 form(model);
    form.createSecondaryWindows();
    QtComponentTree tree;
    const std::string text = rz::encodeText(rz::joinLinesCrLf(rz::componentListLines(tree)), rz::TextEncoding::Utf8WithBom);
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

int writeComponentListCommand(const QString& file) {
    QByteArray bytes;
    try {
        bytes = componentListOfTheProgram();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "RuvuZevodare: %s\n", e.what());
        return 1;
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        std::fprintf(stderr, "RuvuZevodare: cannot write %s: %s\n", qPrintable(file), qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
