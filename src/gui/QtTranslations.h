#pragma once
#include <QString>

#include <memory>

class QTranslator;

// Qt's own texts (the buttons of message boxes, the file and input dialogs)
// in the program's language: the built-in texts and "Deutsch" are German.
class QtTranslations {
public:
    QtTranslations();
    ~QtTranslations();

    // Installs the translation for sprache 0..8 in place of the previous
    // one, from bundledFolder (Qt's translations shipped with the program,
    // AppPaths::qtTranslationsFolder) or else the system's. Returns false
    // when Qt has no translation for it (Qt's English texts stand then).
    bool apply(int sprache, const QString& bundledFolder = QString());

    // "de", "en", "fr", "es", "it", "ru", "pt_BR", "zh_CN".
    static QString qtLanguage(int sprache);

private:
    std::unique_ptr<QTranslator> translator_;
    QString installed_;
};
