#include "host/QtSettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>
#include <limits>
#include <memory>

#include "app/Settings.h"
#include "host/HostPathMapping.h"

namespace {

QString fromBytes(const std::string& bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string toBytes(const QString& text) { return text.toLocal8Bit().toStdString(); }

#ifndef Q_OS_WIN
constexpr const char* IniFile = "/ZQ Technologies/Utility/Kelvane.ini";
constexpr const char* DamagedSuffix = ".damaged";

// The group of a key path in the INI file: the path below the program's own key.
QString groupOf(const std::string& keyPath) {
    QString path = fromBytes(keyPath);
    const QString programKey = QString::fromLatin1(Settings::ProgramKey);
    // Registry key paths compare without regard to letter case.
    if (path.compare(programKey, Qt::CaseInsensitive) == 0) return {};
    if (path.startsWith(programKey + u'\\', Qt::CaseInsensitive)) path = path.mid(programKey.size() + 1);
    return path.replace(u'\\', u'/');
}
#endif

std::unique_ptr<QSettings> open(const QString& location, const std::string& keyPath) {
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(location + u'\\' + fromBytes(keyPath), QSettings::NativeFormat);
#else
    auto settings = std::make_unique<QSettings>(location, QSettings::IniFormat);
    const QString group = groupOf(keyPath);
    if (!group.isEmpty()) settings->beginGroup(group);
    return settings;
#endif
}

// A stored value as the engine sees it. The INI file has no types, so its values come
// back as text; hand-edited ones may come back as lists or other variants.
std::optional<SettingValue> fromVariant(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QString:
        return SettingValue::fromText(toBytes(value.toString()));
    case QMetaType::QStringList:
        // An unquoted comma splits an INI value; the user meant one text.
        return SettingValue::fromText(toBytes(value.toStringList().join(QStringLiteral(", "))));
    case QMetaType::QByteArray:
        return SettingValue::fromText(value.toByteArray().toStdString());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        if (ok && n >= std::numeric_limits<int32_t>::min() && n <= std::numeric_limits<int32_t>::max())
            return SettingValue::fromNumber(static_cast<int32_t>(n));
        return SettingValue::fromText(toBytes(value.toString()));
    }
    default:
        if (value.canConvert<QString>()) {
            const QString text = value.toString();
            if (!text.isEmpty()) return SettingValue::fromText(toBytes(text));
        }
        return std::nullopt;
    }
}

}  // namespace

QtSettingsStore::QtSettingsStore() {
#ifdef Q_OS_WIN
    location_ = QStringLiteral("HKEY_CURRENT_USER");
#else
    location_ = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1String(IniFile);
#endif
}

std::optional<SettingValue> QtSettingsStore::read(const std::string& keyPath, const std::string& name) {
    const auto settings = open(location_, keyPath);
    damaged_ = damaged_ || settings->status() == QSettings::FormatError;
    const QVariant value = settings->value(fromBytes(name));
    if (!value.isValid()) return std::nullopt;
    return fromVariant(value);
}

void QtSettingsStore::write(const std::string& keyPath, const std::string& name, const SettingValue& value) {
    const auto settings = open(location_, keyPath);
    QVariant stored = fromBytes(value.text);
#ifdef Q_OS_WIN
    if (value.type == SettingValue::Type::Number) stored = value.number;  // a 32-bit registry number
#else
    // The INI file has no types: a number is written as its digits, and reads back as
    // text in this process as in the next.
    if (value.type == SettingValue::Type::Number) stored = QString::number(value.number);
    // Writing rewrites the whole file, dropping what could not be read; the damaged
    // file is kept beside it first.
    if (damaged_ || settings->status() == QSettings::FormatError) {
        const QString kept = location_ + QLatin1String(DamagedSuffix);
        QFile::remove(kept);
        QFile::copy(location_, kept);
        damaged_ = false;
    }
#endif
    settings->setValue(fromBytes(name), stored);
    // Every change is on disk at once, as the registry would have it.
    settings->sync();
}

void QtSettingsStore::remove(const std::string& keyPath, const std::string& name) {
    const auto settings = open(location_, keyPath);
    settings->remove(fromBytes(name));
    settings->sync();
}

std::string QtSettingsStore::fileName() const {
#ifdef Q_OS_WIN
    return {};
#else
    return HostPathMapping::toEngine(location_);
#endif
}
