#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include "app/UploadHistory.h"

// The upload history in the user's state folder: history.jsonl, one JSON record a line,
// and each upload's transcript in a file of its own beside it. Runs in parallel take
// turns through a lock file, so no record is lost or torn; a damaged line is passed
// over. The oldest uploads go once there are more than MaxRecords of them or their
// transcripts pass MaxTranscriptBytes.
class QtUploadHistory : public UploadHistory {
public:
    static constexpr int MaxRecords = 500;
    static constexpr qint64 MaxTranscriptBytes = qint64(64) << 20;
    static constexpr const char* FileName = "history.jsonl";

    // $XDG_STATE_HOME/kelvane (by default ~/.local/state/kelvane); on Windows the
    // user's application data folder.
    explicit QtUploadHistory(QString folder = defaultFolder());

    std::string record(const UploadRecord& record, const std::string& transcript) override;

    // The records that can be read, oldest first.
    QList<QJsonObject> records() const;
    // The file a record's transcript is in.
    QString transcriptPath(const QJsonObject& record) const;
    const QString& folder() const { return folder_; }

    static QString defaultFolder();

private:
    void prune() const;
    QString folder_;
};
