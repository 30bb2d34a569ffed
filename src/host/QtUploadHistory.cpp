#include "host/QtUploadHistory.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>

#include "app/HostError.h"

namespace {

constexpr const char* LockName = "history.lock";
// Another run holds the lock only while it appends a line or prunes.
constexpr int LockWaitMs = 10000;

QString fromEngine(const std::string& s) { return QString::fromLocal8Bit(s.data(), qsizetype(s.size())); }
std::string toEngine(const QString& s) { return s.toLocal8Bit().toStdString(); }

[[noreturn]] void fail(const QString& what, const QString& why) {
    throw HostError(ErrorNumber::PathFileAccess, toEngine(QDir::toNativeSeparators(what) + QStringLiteral(": ") + why));
}

// As the user would type it: the home folder as "~".
QString shown(const QString& path) {
    const QString home = QDir::homePath();
    if (!home.isEmpty() && home != QLatin1String("/") && path.startsWith(home + QLatin1Char('/')))
        return QStringLiteral("~") + path.mid(home.size());
    return QDir::toNativeSeparators(path);
}

}  // namespace

QtUploadHistory::QtUploadHistory(QString folder) : folder_(std::move(folder)) {}

QString QtUploadHistory::defaultFolder() {
#ifdef Q_OS_WIN
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Kelvane");
#else
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state)) state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/kelvane");
#endif
}

std::string QtUploadHistory::record(const UploadRecord& r, const std::string& transcript) {
    if (!QDir().mkpath(folder_)) fail(folder_, QStringLiteral("cannot create the folder"));

    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString name = QStringLiteral("upload-%1-%2-%3.log")
                             .arg(now.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")))
                             .arg(QCoreApplication::applicationPid())
                             .arg(QRandomGenerator::global()->generate() & 0xFFFF, 4, 16, QLatin1Char('0'));
    const QString transcriptFile = folder_ + QLatin1Char('/') + name;
    QFile out(transcriptFile);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        out.write(transcript.data(), qint64(transcript.size())) != qint64(transcript.size()) || !out.flush()) {
        const QString why = out.errorString();
        out.close();
        QFile::remove(transcriptFile);
        fail(transcriptFile, why);
    }
    out.close();

    QJsonObject o;
    o[QStringLiteral("start")] = now.addMSecs(-r.durationMs).toString(Qt::ISODateWithMs);
    o[QStringLiteral("durationMs")] = double(r.durationMs);
    o[QStringLiteral("image")] = fromEngine(r.imagePath);
    o[QStringLiteral("size")] = double(r.imageSize);
    o[QStringLiteral("declaredChecksum")] = fromEngine(r.declaredChecksum);
    o[QStringLiteral("expectedChecksum")] = fromEngine(r.expectedChecksum);
    o[QStringLiteral("reportedChecksum")] = fromEngine(r.reportedChecksum);
    o[QStringLiteral("port")] = r.port;
    o[QStringLiteral("device")] = fromEngine(r.device);
    o[QStringLiteral("rate")] = fromEngine(r.rateFound);
    o[QStringLiteral("exitCode")] = r.exitCode;
    o[QStringLiteral("phase")] = fromEngine(r.phase);
    o[QStringLiteral("result")] = fromEngine(r.result);
    o[QStringLiteral("transcript")] = name;
    const QByteArray line = QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';

    QLockFile lock(folder_ + QLatin1Char('/') + QLatin1String(LockName));
    if (!lock.tryLock(LockWaitMs)) {
        QFile::remove(transcriptFile);
        fail(lock.fileName(), QStringLiteral("held by another run"));
    }
    QFile history(folder_ + QLatin1Char('/') + QLatin1String(FileName));
    // A line that was cut off (a full disk, a killed run) must not swallow this one.
    bool ended = true;
    if (history.size() > 0 && history.open(QIODevice::ReadOnly)) {
        history.seek(history.size() - 1);
        ended = history.read(1) == "\n";
        history.close();
    }
    const QByteArray bytes = ended ? line : '\n' + line;
    // One write of the whole line.
    if (!history.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered) ||
        history.write(bytes) != bytes.size()) {
        const QString why = history.errorString();
        QFile::remove(transcriptFile);
        fail(history.fileName(), why);
    }
    history.close();
    prune();
    return toEngine(shown(transcriptFile));
}

QList<QJsonObject> QtUploadHistory::records() const {
    QList<QJsonObject> list;
    QFile history(folder_ + QLatin1Char('/') + QLatin1String(FileName));
    if (!history.open(QIODevice::ReadOnly)) return list;
    while (!history.atEnd()) {
        const QJsonDocument doc = QJsonDocument::fromJson(history.readLine());
        if (doc.isObject() && doc.object().contains(QStringLiteral("transcript"))) list.append(doc.object());
    }
    return list;
}

QString QtUploadHistory::transcriptPath(const QJsonObject& record) const {
    // Only a name in the folder counts, whatever a damaged record says.
    return folder_ + QLatin1Char('/') + QFileInfo(record.value(QStringLiteral("transcript")).toString()).fileName();
}

void QtUploadHistory::prune() const {
    const QList<QJsonObject> all = records();
    qint64 bytes = 0;
    int keep = 0;
    // Newest first, as many as the limits allow.
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        const qint64 size = QFileInfo(transcriptPath(*it)).size();
        if (keep == MaxRecords || bytes + size > MaxTranscriptBytes) break;
        bytes += size;
        ++keep;
    }
    const qsizetype drop = all.size() - keep;
    if (drop == 0) return;
    QSaveFile rewritten(folder_ + QLatin1Char('/') + QLatin1String(FileName));
    if (!rewritten.open(QIODevice::WriteOnly)) return;
    for (qsizetype i = drop; i < all.size(); ++i)
        rewritten.write(QJsonDocument(all[i]).toJson(QJsonDocument::Compact) + '\n');
    if (!rewritten.commit()) return;
    for (qsizetype i = 0; i < drop; ++i) QFile::remove(transcriptPath(all[i]));
}
