#include <gtest/gtest.h>

#include <QFile>

#include "HostTest.h"
#include "TemporaryHome.h"
#include "host/QtUploadHistory.h"

namespace {

UploadRecord recordOf(int exitCode) { return {0, {}, 0, {}, {}, {}, 1, {}, {}, exitCode, {}, "result"}; }

TEST(QtUploadHistory, LivesInTheStateFolderAndKeepsRecordsWholeBesideTheirTranscripts) {
    testApplication();
    TemporaryHome home;
    EXPECT_EQ(QtUploadHistory::defaultFolder().toStdString(), home.home() + "/.local/state/kelvane");
    home.set("XDG_STATE_HOME", home.home() + "/st");
    QtUploadHistory history;

    const std::string bytes("OS> \xAE\xFF\0.", 8);
    const std::string named = history.record(recordOf(0), bytes);
    const std::string historyFile = home.home() + "/st/kelvane/history.jsonl";
    // A damaged line and a last line cut off in mid-record are passed over; what follows is whole.
    WriteFile(historyFile, ReadFile(historyFile) + "not json\n{\"exitCode\": 2, \"transcript\": \"upl");
    history.record(recordOf(6), "");
    const QList<QJsonObject> records = history.records();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].value("exitCode").toInt() * 10 + records[1].value("exitCode").toInt(), 6);
    EXPECT_TRUE(ReadFile(history.transcriptPath(records[0]).toStdString()) == bytes);
    // Named for the user as from the home folder.
    EXPECT_EQ(home.home() + named.substr(1), history.transcriptPath(records[0]).toStdString());

    // The oldest go, transcripts and all, once there are too many.
    for (int i = 0; i < QtUploadHistory::MaxRecords; ++i) history.record(recordOf(7), "x");
    const QList<QJsonObject> kept = history.records();
    EXPECT_EQ(kept.size() + kept.front().value("exitCode").toInt(), QtUploadHistory::MaxRecords + 7);
    EXPECT_FALSE(QFile::exists(history.transcriptPath(records[0])));
    EXPECT_TRUE(QFile::exists(history.transcriptPath(kept.front())));
}

}  // namespace
