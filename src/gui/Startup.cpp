// The start-up sequence of the window program.
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

#include "DarovAduzez.h"
#include "QtComponentTree.h"
#include "QtPlatform.h"
#include "Zahlenwahl.h"
#include "common/TextCodec.h"
#include "i18n/LanguageFiles.h"

std::unique_ptr<TForm1> startProgram(rz::MainModel& model, const rz::AppPaths& paths, QtPlatform* platform) {
    try {
        model.FormCreate(paths);
    } catch (const std::exception& e) {
        model.dialogs().message(e.what());
    }
    auto form = std::make_unique<TForm1>(model);
    if (paths.installed()) {
        // Not beside the program: say where the drawing file is.
        const QString folder = QDir::toNativeSeparators(QFileInfo(QString::fromStdString(model.DatabasePath())).absolutePath());
        form->setWindowTitle(form->windowTitle() + QStringLiteral(" – ") + folder);
    }
    form->createSecondaryWindows();
    form->applyStoredSize();
    if (platform)
        platform->attachWindows(form.get(), form->form6());
    form->command([&model] { model.SpracheSetzen(); });
    return form;
}

QByteArray componentListOfTheProgram() {
    // The built-in texts: no settings, no language applied.
    rz::MainModel model;
    TForm1 form(model);
    form.createSecondaryWindows();
    QtComponentTree tree(form.controls());
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
