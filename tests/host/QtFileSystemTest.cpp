#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <unistd.h>

#include "MemorySettingsStore.h"
#include "TemporaryHome.h"
#include "app/HostError.h"
#include "host/QtFileSystem.h"
#include "host/QtSettingsStore.h"

namespace {

const std::string DrivesKey = "Software\\ZQ Technologies\\Utility\\Kelvane\\Drives";

struct QtFileSystemTest : ::testing::Test {
    TemporaryHome home;
    MemorySettingsStore settings;
    QtFileSystem files{settings};

    // A file below the temporary folder, with its folders.
    QString make(const QString& relative, const QByteArray& contents = "x") {
        const QString path = home.root() + "/" + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
        return path;
    }
    static std::string bytes(const QString& path) { return HostPathMapping::toEngine(path); }
    // The error number a call fails with, or 0.
    template <typename F>
    static int failure(F&& call) {
        try {
            call();
        } catch (const HostError& e) {
            return e.number();
        }
        return 0;
    }
};

TEST_F(QtFileSystemTest, DriveCIsTheHomeFolderAndBytesSurviveTheRoundTrip) {
    const std::string data("line\r\n\0\xAE\xFF end", 14);
    files.writeAll("c:\\Kelvane.txt", data);
    QFile written(home.home() + "/Kelvane.txt");
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray(data.data(), 14));
    EXPECT_EQ(files.readAll("\\Kelvane.txt"), data);  // the current drive is C:
    files.writeAll("C:/Kelvane.txt", "short");
    EXPECT_EQ(files.readAll("c:\\Kelvane.txt"), "short");
}

TEST_F(QtFileSystemTest, OtherDrivesMapOnlyWhenConfiguredAndTheVariableWins) {
    make("maker/Development/Code/x.txt");
    make("other/Development/y.txt");
    EXPECT_EQ(failure([&] { files.readAll("M:\\Development\\Code\\x.txt"); }), ErrorNumber::PathNotFound);
    EXPECT_EQ(failure([&] { files.writeAll("m:\\new.txt", "x"); }), ErrorNumber::DeviceUnavailable);
    EXPECT_EQ(failure([&] { files.createFolder("m:\\new"); }), ErrorNumber::DeviceUnavailable);
    EXPECT_EQ(files.lookup("m:\\development"), "");

    settings.values[{DrivesKey, "M"}] = SettingValue::fromText(bytes(home.root() + "/maker"));
    EXPECT_EQ(files.readAll("M:\\Development\\Code\\x.txt"), "x");
    home.set("KELVANE_DRIVE_M", home.root() + "/other");
    EXPECT_EQ(files.lookup("m:\\development\\y.txt"), "y.txt");
    EXPECT_EQ(files.lookup("m:\\development\\Code"), "");

    // The setting as the program stores it.
    QtSettingsStore store;
    store.write(DrivesKey, "D", SettingValue::fromText(bytes(home.root() + "/maker")));
    EXPECT_TRUE(QtFileSystem(store).folderExists("d:\\Development\\Code"));
}

TEST_F(QtFileSystemTest, DrivePathsIgnoreLetterCaseOtherPathsDoNot) {
    make("home/Development/Code/Tessin/Cpu/App/Image.TXT", "img");
    EXPECT_EQ(files.readAll("C:\\DEVELOPMENT\\code\\tessin\\CPU\\app\\image.txt"), "img");
    EXPECT_EQ(files.lookup("c:\\development\\code\\TESSIN\\CPU\\APP\\"), "App");
    EXPECT_EQ(files.lookup("c:\\development\\code\\tessin\\cpu\\app\\IMAGE.txt"), "Image.TXT");
    files.createFolder("c:\\development\\Logs");
    files.writeAll("c:\\DEVELOPMENT\\logs\\Run.TXT", "log");
    EXPECT_TRUE(QFile::exists(home.home() + "/Development/Logs/Run.TXT"));

    // The exact name wins over one in other letters.
    make("home/Both/a.txt", "lower");
    make("home/Both/A.txt", "upper");
    EXPECT_EQ(files.readAll("c:\\both\\A.txt"), "upper");

    const QString plain = make("plain/File.txt", "abc");
    EXPECT_EQ(files.readAll(bytes(plain)), "abc");
    EXPECT_EQ(failure([&] { files.readAll(bytes(home.root() + "/plain/file.txt")); }), ErrorNumber::FileNotFound);
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(home.root()));
    EXPECT_EQ(files.readAll("plain\\File.txt"), "abc");
    QDir::setCurrent(previous);
}

TEST_F(QtFileSystemTest, FailuresGetTheNumbersTheProgramReports) {
    make("home/folder/file.txt");
    EXPECT_EQ(failure([&] { files.readAll("c:\\folder\\none.txt"); }), ErrorNumber::FileNotFound);
    EXPECT_EQ(failure([&] { files.readAll("c:\\nowhere\\none.txt"); }), ErrorNumber::PathNotFound);
    EXPECT_EQ(failure([&] { files.readAll("c:\\folder\\file.txt\\below"); }), ErrorNumber::PathNotFound);
    EXPECT_EQ(failure([&] { files.readAll("c:\\folder"); }), ErrorNumber::PathFileAccess);
    EXPECT_EQ(failure([&] { files.readAll(std::string("c:\\fold\0er", 10)); }), ErrorNumber::BadFileName);
    // A device is no file: reading it must neither block nor run away.
    EXPECT_EQ(failure([&] { files.readAll("/dev/zero"); }), ErrorNumber::PathFileAccess);
    EXPECT_EQ(failure([&] { files.writeAll("c:\\nowhere\\run.txt", "x"); }), ErrorNumber::PathNotFound);
    EXPECT_EQ(failure([&] { files.writeAll("c:\\folder", "x"); }), ErrorNumber::PathFileAccess);
    EXPECT_EQ(failure([&] { files.createFolder("c:\\a\\b"); }), ErrorNumber::PathNotFound);
    EXPECT_EQ(failure([&] { files.createFolder("c:\\folder\\file.txt"); }), ErrorNumber::PathFileAccess);

    const std::string longName = "c:\\" + std::string(300, 'n') + "\\" + std::string(100000, 'q');
    EXPECT_EQ(files.lookup(longName), "");
    EXPECT_NE(failure([&] { files.writeAll(longName, "x"); }), 0);

    if (geteuid() != 0) {  // permissions do not bind the superuser
        QFile::setPermissions(make("home/locked.txt"), QFileDevice::Permissions());
        EXPECT_EQ(failure([&] { files.readAll("c:\\locked.txt"); }), ErrorNumber::PathFileAccess);
        EXPECT_EQ(failure([&] { files.writeAll("c:\\locked.txt", "x"); }), ErrorNumber::PathFileAccess);
    }
}

}  // namespace
