#include "QtTranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

QtTranslations::QtTranslations() = default;

QtTranslations::~QtTranslations() {
    if (translator_)
        QCoreApplication::removeTranslator(translator_.get());
}

QString QtTranslations::qtLanguage(int sprache) {
    switch (sprache) {
    case 2:
        return QStringLiteral("en");
    case 3:
        return QStringLiteral("fr");
    case 4:
        return QStringLiteral("es");
    case 5:
        return QStringLiteral("it");
    case 6:
        return QStringLiteral("ru");
    case 7:
        return QStringLiteral("pt_BR");
    case 8:
        return QStringLiteral("zh_CN");
    default:
        return QStringLiteral("de"); // the built-in texts are German
    }
}

bool QtTranslations::apply(int sprache, const QString& bundledFolder) {
    const QString lang = qtLanguage(sprache);
    if (translator_ && installed_ == lang)
        return true;
    if (translator_) {
        QCoreApplication::removeTranslator(translator_.get());
        translator_.reset();
        installed_.clear();
    }
    // Qt's translations shipped with the program (a bundled install) first,
    // then the system's.
    auto t = std::make_unique<QTranslator>();
    const QString file = QStringLiteral("qtbase_") + lang;
    const QStringList dirs = {bundledFolder,
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    for (const QString& dir : dirs) {
        if (!dir.isEmpty() && t->load(file, dir)) {
            QCoreApplication::installTranslator(t.get());
            translator_ = std::move(t);
            installed_ = lang;
            return true;
        }
    }
    return false;
}
