#include "host/HostPathMapping.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "app/Settings.h"
#include "app/SettingsStore.h"

namespace {

constexpr const char* DriveVariablePrefix = "KELVANE_DRIVE_";
constexpr const char* DrivesKeyTail = "\\Drives";

#ifndef Q_OS_WIN
QString joined(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

// Walks the components below root, taking the stored name of each that exists only
// in another letter case.
QString resolvedBelow(const QString& root, const QString& rest) {
    QString current = root;
    bool resolving = true;
    for (const QString& component : rest.split(u'/', Qt::SkipEmptyParts)) {
        QString name = component;
        if (resolving && !QFileInfo::exists(joined(current, name))) {
            const QString stored = HostPathMapping::matchingEntry(current, name);
            if (stored.isEmpty())
                resolving = false;  // nothing below a missing folder can exist either
            else
                name = stored;
        }
        current = joined(current, name);
    }
    return current;
}
#endif

}  // namespace

QString HostPathMapping::fromEngine(const std::string& bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string HostPathMapping::toEngine(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString HostPathMapping::matchingEntry(const QString& folder, const QString& name) {
    const QDir dir(folder);
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return entry;
    return {};
}

QString HostPathMapping::driveFolder(QChar letter) const {
    const QChar drive = letter.toUpper();
    const QString variable = qEnvironmentVariable((QLatin1String(DriveVariablePrefix) + drive).toLatin1().constData());
    if (!variable.isEmpty()) return variable;
    const auto setting =
        settings_.read(std::string(Settings::ProgramKey) + DrivesKeyTail, std::string(1, drive.toLatin1()));
    if (setting && setting->type == SettingValue::Type::Text && !setting->text.empty())
        return fromEngine(setting->text);
    return drive == u'C' ? QDir::homePath() : QString();
}

HostPathMapping::HostPath HostPathMapping::toHost(const std::string& enginePath) const {
    QString path = fromEngine(enginePath);
#ifdef Q_OS_WIN
    return {QDir::fromNativeSeparators(path), QChar()};
#else
    const bool hasDrive = path.size() >= 2 && path[1] == u':' && path[0].isLetter() && path[0].unicode() < 128;
    if (!hasDrive && path.startsWith(u'/')) return {path, QChar()};
    path.replace(u'\\', u'/');
    if (!hasDrive && !path.startsWith(u'/')) return {path, QChar()};

    const QChar drive = hasDrive ? path[0].toUpper() : QChar(u'C');
    const QString root = driveFolder(drive);
    if (root.isEmpty()) return {QString(), drive};
    return {resolvedBelow(root, hasDrive ? path.mid(2) : path), QChar()};
#endif
}
