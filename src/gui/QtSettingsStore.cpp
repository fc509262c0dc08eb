#include "QtSettingsStore.h"

#include <QSettings>

#include <charconv>
#include <cmath>

using rz::SettingsStoreError;
using rz::StoredKind;
using rz::StoredValue;

namespace {

const QString kInt = QStringLiteral("int:");
const QString kText = QStringLiteral("text:");
const QString kDate = QStringLiteral("date:");

QString lowerKey(const QString& name) {
    return QString::fromStdString(rz::settingsKey(name.toStdString()));
}

} // namespace

QtSettingsStore::QtSettingsStore() = default;

QtSettingsStore::QtSettingsStore(const QString& iniFile) : file_(iniFile) {}

QtSettingsStore::~QtSettingsStore() = default;

QSettings& QtSettingsStore::settings() {
    if (!settings_) {
        if (file_.isEmpty())
            settings_ = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                    QStringLiteral("Quendral"), QStringLiteral("RuvuZevodare"));
        else
            settings_ = std::make_unique<QSettings>(file_, QSettings::IniFormat);
        indexKeys();
    }
    return *settings_;
}

QString QtSettingsStore::fileName() const {
    if (settings_)
        return settings_->fileName();
    if (!file_.isEmpty())
        return file_;
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quendral"),
                     QStringLiteral("RuvuZevodare"))
        .fileName();
}

void QtSettingsStore::indexKeys() {
    keys_.clear();
    for (const QString& k : settings_->allKeys())
        keys_[lowerKey(k)].append(k);
}

void QtSettingsStore::open() {
    // Reads the file as it is now; a damaged file gives what could be parsed.
    settings_.reset();
    settings();
}

void QtSettingsStore::close() {
    QSettings& s = settings();
    s.sync();
    // A parse error of the file read at open() is no write failure.
    if (s.status() == QSettings::AccessError)
        throw SettingsStoreError("cannot write the settings file " + s.fileName().toStdString());
}

std::optional<StoredValue> QtSettingsStore::get(const std::string& name) {
    QSettings& s = settings();
    const auto it = keys_.constFind(lowerKey(QString::fromStdString(name)));
    if (it == keys_.constEnd() || it->isEmpty())
        return std::nullopt;
    const QVariant v = s.value(it->first());
    if (v.typeId() != QMetaType::QString)
        throw SettingsStoreError("setting \"" + name + "\" is damaged");
    return decode(v.toString());
}

void QtSettingsStore::put(const std::string& name, const StoredValue& value) {
    QSettings& s = settings();
    const QString qname = QString::fromStdString(name);
    QStringList& spellings = keys_[lowerKey(qname)];
    const QString key = spellings.isEmpty() ? qname : spellings.first();
    // Other spellings of the same name (a hand-edited file) go.
    for (int i = 1; i < spellings.size(); ++i)
        s.remove(spellings[i]);
    spellings = QStringList{key};
    s.setValue(key, encode(value));
}

QString QtSettingsStore::encode(const StoredValue& value) {
    switch (value.kind) {
    case StoredKind::Integer:
        return kInt + QString::number(value.integer);
    case StoredKind::Text:
        return kText + QString::fromStdString(value.text);
    case StoredKind::Date: {
        // The shortest form that reads back to the same double.
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, value.date);
        return kDate + QString::fromLatin1(buf, static_cast<int>(r.ptr - buf));
    }
    }
    return QString();
}

StoredValue QtSettingsStore::decode(const QString& stored) {
    if (stored.startsWith(kText))
        return StoredValue::ofText(stored.mid(kText.size()).toStdString());
    if (stored.startsWith(kInt)) {
        const std::string digits = stored.mid(kInt.size()).toStdString();
        std::int32_t v = 0;
        const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v);
        if (r.ec == std::errc() && r.ptr == digits.data() + digits.size() && !digits.empty())
            return StoredValue::ofInteger(v);
    } else if (stored.startsWith(kDate)) {
        const std::string number = stored.mid(kDate.size()).toStdString();
        double d = 0.0;
        const auto r = std::from_chars(number.data(), number.data() + number.size(), d);
        if (r.ec == std::errc() && r.ptr == number.data() + number.size() && !number.empty())
            return StoredValue::ofDate(d);
    }
    throw SettingsStoreError("unreadable setting value \"" + stored.left(40).toStdString() + "\"");
}
