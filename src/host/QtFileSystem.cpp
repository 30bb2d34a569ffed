#include "host/QtFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "app/HostError.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace {

// Image files and checksum references are small; a file beyond this is not one of
// them, and reading it whole would only exhaust the memory.
constexpr qint64 MaxFileBytes = qint64(256) * 1024 * 1024;

[[noreturn]] void fail(int number, const QString& path, const QString& why) {
    throw HostError(number, HostPathMapping::toEngine(path + QStringLiteral(": ") + why));
}

bool parentIsFolder(const QString& path) { return QFileInfo(QFileInfo(path).absolutePath()).isDir(); }

#ifdef Q_OS_UNIX
// The type bits of what the path names, links followed; 0 when there is nothing.
mode_t typeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}
#endif

}  // namespace

QtFileSystem::QtFileSystem(SettingsStore& settings) : mapping_(settings) {}

bool QtFileSystem::posixPaths() const {
#ifdef Q_OS_WIN
    return false;
#else
    return true;
#endif
}

QString QtFileSystem::hostPath(const std::string& path, Use use) const {
    const QString asGiven = HostPathMapping::fromEngine(path);
    if (path.empty() || path.find('\0') != std::string::npos)
        fail(ErrorNumber::BadFileName, asGiven, QStringLiteral("bad file name"));
    const HostPathMapping::HostPath mapped = mapping_.toHost(path);
    if (!mapped.unmappedDrive.isNull()) {
        const QString letter = mapped.unmappedDrive;
        fail(use == Use::Reading ? ErrorNumber::PathNotFound : ErrorNumber::DeviceUnavailable, asGiven,
             QStringLiteral("drive %1: is not mapped to a folder (set KELVANE_DRIVE_%1 or the setting Drives/%1)")
                 .arg(letter));
    }
    return mapped.path;
}

QString QtFileSystem::readablePath(const std::string& path) const {
    const QString p = hostPath(path, Use::Reading);
    const QFileInfo info(p);
    if (!info.exists()) {
        if (!parentIsFolder(p)) fail(ErrorNumber::PathNotFound, p, QStringLiteral("path not found"));
        fail(ErrorNumber::FileNotFound, p, QStringLiteral("file not found"));
    }
    if (info.isDir()) fail(ErrorNumber::PathFileAccess, p, QStringLiteral("is a folder"));
    // A device or a pipe could block the reader for ever.
    if (!info.isFile()) fail(ErrorNumber::PathFileAccess, p, QStringLiteral("is not a regular file"));
    return p;
}

FileSystem::Head QtFileSystem::readHead(const std::string& path, size_t bytes) {
    const QString p = readablePath(path);
    QFile file(p);
    if (!file.open(QIODevice::ReadOnly)) fail(ErrorNumber::PathFileAccess, p, file.errorString());
    const QByteArray data = file.read(static_cast<qint64>(bytes));
    if (file.error() != QFileDevice::NoError) fail(ErrorNumber::DeviceIoError, p, file.errorString());
    return {static_cast<uint64_t>(file.size()), data.toStdString()};
}

std::string QtFileSystem::readAll(const std::string& path) {
    const QString p = readablePath(path);
    const QFileInfo info(p);
    if (info.size() > MaxFileBytes) fail(ErrorNumber::OutOfMemory, p, QStringLiteral("file too large"));

    QFile file(p);
    if (!file.open(QIODevice::ReadOnly)) fail(ErrorNumber::PathFileAccess, p, file.errorString());
    const QByteArray data = file.read(MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) fail(ErrorNumber::DeviceIoError, p, file.errorString());
    if (data.size() > MaxFileBytes) fail(ErrorNumber::OutOfMemory, p, QStringLiteral("file too large"));
    return data.toStdString();
}

void QtFileSystem::writeAll(const std::string& path, const std::string& bytes) {
    const QString p = hostPath(path, Use::Writing);
    const QFileInfo info(p);
    if (info.isDir()) fail(ErrorNumber::PathFileAccess, p, QStringLiteral("is a folder"));
    if (!parentIsFolder(p)) fail(ErrorNumber::PathNotFound, p, QStringLiteral("path not found"));
    const QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));

    // A device or a pipe is written in place; a file is replaced whole only once the new
    // contents are safely written, so a failed write keeps the earlier file.
    if (info.exists() && !info.isFile()) {
        // Unbuffered, so that a device that takes nothing (a full disk behind a pipe,
        // /dev/full) fails the write itself; the close is checked too.
        QFile device(p);
        const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Unbuffered;
#ifdef Q_OS_UNIX
        // A pipe that nobody reads would hold the run for ever at its opening.
        if (S_ISFIFO(typeOf(p))) {
            const int fd = ::open(QFile::encodeName(p).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0)
                fail(ErrorNumber::DeviceIoError, p,
                     errno == ENXIO ? QStringLiteral("nobody reads the pipe")
                                    : QString::fromLocal8Bit(std::strerror(errno)));
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            if (!device.open(fd, mode, QFileDevice::AutoCloseHandle)) {
                ::close(fd);
                fail(ErrorNumber::DeviceIoError, p, device.errorString());
            }
        }
#endif
        if (!device.isOpen() && !device.open(mode)) fail(ErrorNumber::PathFileAccess, p, device.errorString());
        if (device.write(data) != data.size()) fail(ErrorNumber::DeviceIoError, p, device.errorString());
        device.close();
        if (device.error() != QFileDevice::NoError) fail(ErrorNumber::DeviceIoError, p, device.errorString());
        return;
    }
    QSaveFile file(p);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) fail(ErrorNumber::PathFileAccess, p, file.errorString());
    if (file.write(data) != data.size() || !file.commit()) fail(ErrorNumber::DeviceIoError, p, file.errorString());
}

std::string QtFileSystem::lookup(const std::string& path) {
    QString p;
    try {
        p = hostPath(path, Use::Reading);
    } catch (const HostError&) {
        return {};
    }
    // A path ending in a separator names the folder itself.
    while (p.size() > 1 && p.endsWith(u'/') && !(p.size() == 3 && p[1] == u':')) p.chop(1);
    const QFileInfo info(p);
    if (!info.exists()) return {};
    const QString name = info.fileName();
    if (name.isEmpty()) return HostPathMapping::toEngine(p);  // a root folder
#ifdef Q_OS_WIN
    // The name as stored, where the file system ignores letter case.
    const QString stored = HostPathMapping::matchingEntry(info.absolutePath(), name);
    if (!stored.isEmpty()) return HostPathMapping::toEngine(stored);
#endif
    return HostPathMapping::toEngine(name);
}

bool QtFileSystem::folderExists(const std::string& path) {
    try {
        return QFileInfo(hostPath(path, Use::Reading)).isDir();
    } catch (const HostError&) {
        return false;
    }
}

bool QtFileSystem::isStream(const std::string& path) {
#ifdef Q_OS_UNIX
    try {
        const mode_t type = typeOf(hostPath(path, Use::Writing));
        return S_ISCHR(type) || S_ISFIFO(type);
    } catch (const HostError&) {
        return false;
    }
#else
    Q_UNUSED(path);
    return false;
#endif
}

bool QtFileSystem::sameFile(const std::string& a, const std::string& b) {
    try {
        const QString first = hostPath(a, Use::Reading), second = hostPath(b, Use::Reading);
#ifdef Q_OS_UNIX
        // Hard links too: one file is one device and inode.
        struct stat sa {}, sb {};
        return ::stat(QFile::encodeName(first).constData(), &sa) == 0 &&
               ::stat(QFile::encodeName(second).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
               sa.st_ino == sb.st_ino;
#else
        const QString canonical = QFileInfo(first).canonicalFilePath();
        return !canonical.isEmpty() &&
               canonical.compare(QFileInfo(second).canonicalFilePath(), Qt::CaseInsensitive) == 0;
#endif
    } catch (const HostError&) {
        return false;
    }
}

void QtFileSystem::createFolder(const std::string& path) {
    const QString p = hostPath(path, Use::Writing);
    const QFileInfo info(p);
    if (info.isDir()) return;
    if (info.exists()) fail(ErrorNumber::PathFileAccess, p, QStringLiteral("a file of that name exists"));
    if (!parentIsFolder(p)) fail(ErrorNumber::PathNotFound, p, QStringLiteral("path not found"));
    if (!QDir().mkdir(p)) fail(ErrorNumber::PathFileAccess, p, QStringLiteral("the folder could not be created"));
}
