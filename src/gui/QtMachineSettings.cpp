#include "QtMachineSettings.h"

#include <QDir>
#include <QSettings>

#include <memory>

std::optional<std::string> QtMachineSettings::readText(const std::string& program, const std::string& name) {
    const QString app = QString::fromStdString(program);
    const std::unique_ptr<QSettings> s =
        folder_.isEmpty()
            ? std::make_unique<QSettings>(QSettings::IniFormat, QSettings::SystemScope, QStringLiteral("Quendral"), app)
            : std::make_unique<QSettings>(QDir(folder_).filePath(QStringLiteral("Quendral/") + app + QStringLiteral(".ini")),
                                          QSettings::IniFormat);
    const QString key = QString::fromStdString(name);
    if (!s->contains(key))
        return std::nullopt;
    const QVariant v = s->value(key);
    if (v.typeId() != QMetaType::QString)
        return std::nullopt;
    return v.toString().toStdString();
}
