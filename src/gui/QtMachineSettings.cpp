#include "QtMachineSettings.h"

#include <QDir>
#include <QSettings>

#include <memory>

namespace {
#if defined(_WIN32)
// HKEY_LOCAL_MACHINE\SOFTWARE\Quendral\PROGRAM, where the installers record it.
constexpr QSettings::Format kFormat = QSettings::NativeFormat;
#else
constexpr QSettings::Format kFormat = QSettings::IniFormat;
#endif
} // namespace

std::optional<std::string> QtMachineSettings::readText(const std::string& program, const std::string& name) {
    const QString app = QString::fromStdString(program);
    const std::unique_ptr<QSettings> s =
        folder_.isEmpty()
            ? std::make_unique<QSettings>(kFormat, QSettings::SystemScope, QStringLiteral("Quendral"), app)
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
