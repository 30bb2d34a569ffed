#include <gtest/gtest.h>

#include "HostTest.h"
#include "MemorySettingsStore.h"
#include "TemporaryHome.h"
#include "host/QtFileSystem.h"

namespace fs = std::filesystem;
const std::string DrivesKey = "Software\\ZQ Technologies\\Utility\\Kelvane\\Drives";

struct QtFileSystemTest : ::testing::Test {
    TemporaryHome home;
    MemorySettingsStore settings;
    QtFileSystem files{settings};

    // A file below the temporary folder, with its folders.
    std::string make(const std::string& relative, const std::string& contents = "x") {
        const std::string path = home.file(relative);
        fs::create_directories(fs::path(path).parent_path());
        WriteFile(path, contents);
        return path;
    }
};

TEST_F(QtFileSystemTest, DriveCIsTheHomeFolderOtherDrivesMapOnlyWhenConfiguredAndBytesSurvive) {
    const std::string data("line\r\n\0\xAE\xFF end", 14);
    files.writeAll("c:\\Kelvane.txt", data);
    EXPECT_EQ(ReadFile(home.home() + "/Kelvane.txt"), data);
    EXPECT_EQ(files.readAll("\\Kelvane.txt"), data);  // the current drive is C:
    files.writeAll("C:/Kelvane.txt", "short");
    EXPECT_EQ(files.readAll("c:\\Kelvane.txt"), "short");

    // Other drives map only when configured, and the variable wins.
    make("maker/Development/Code/x.txt");
    make("other/Development/y.txt");
    EXPECT_EQ(errorOf([&] { files.readAll("M:\\Development\\Code\\x.txt"); }), ErrorNumber::PathNotFound);
    EXPECT_EQ(errorOf([&] { files.writeAll("m:\\new.txt", "x"); }), ErrorNumber::DeviceUnavailable);
    EXPECT_EQ(errorOf([&] { files.createFolder("m:\\new"); }), ErrorNumber::DeviceUnavailable);
    EXPECT_EQ(files.lookup("m:\\development"), "");

    settings.values[{DrivesKey, "M"}] = SettingValue::fromText(home.file("maker"));
    EXPECT_EQ(files.readAll("M:\\Development\\Code\\x.txt"), "x");
    EXPECT_TRUE(files.folderExists("m:\\Development\\Code") && !files.folderExists("m:\\Development\\Code\\x.txt"));
    home.set("KELVANE_DRIVE_M", home.file("other"));
    EXPECT_EQ(files.lookup("m:\\development\\y.txt"), "y.txt");
    EXPECT_EQ(files.lookup("m:\\development\\Code"), "");
}

TEST_F(QtFileSystemTest, DrivePathsIgnoreLetterCaseOtherPathsDoNot) {
    make("home/Development/Code/Tessin/Cpu/App/Image.TXT", "img");
    EXPECT_EQ(files.readAll("C:\\DEVELOPMENT\\code\\tessin\\CPU\\app\\image.txt"), "img");
    EXPECT_EQ(files.lookup("c:\\development\\code\\TESSIN\\CPU\\APP\\"), "App");
    EXPECT_EQ(files.lookup("c:\\development\\code\\tessin\\cpu\\app\\IMAGE.txt"), "Image.TXT");
    files.createFolder("c:\\development\\Logs");
    files.writeAll("c:\\DEVELOPMENT\\logs\\Run.TXT", "log");
    EXPECT_TRUE(fs::exists(home.home() + "/Development/Logs/Run.TXT"));

    // The exact name wins over one in other letters.
    make("home/Both/a.txt", "lower");
    make("home/Both/A.txt", "upper");
    EXPECT_EQ(files.readAll("c:\\both\\A.txt"), "upper");

    EXPECT_EQ(files.readAll(make("plain/File.txt", "abc")), "abc");
    EXPECT_EQ(errorOf([&] { files.readAll(home.file("plain/file.txt")); }), ErrorNumber::FileNotFound);
    const fs::path previous = fs::current_path();
    fs::current_path(home.root());
    EXPECT_EQ(files.readAll("plain\\File.txt"), "abc");
    fs::current_path(previous);
}

TEST_F(QtFileSystemTest, FailuresGetTheNumbersTheProgramReports) {
    make("home/folder/file.txt");
    EXPECT_EQ(errorOf([&] { files.readAll("c:\\folder\\none.txt"); }), ErrorNumber::FileNotFound);
    EXPECT_EQ(errorOf([&] { files.readAll("c:\\nowhere\\none.txt"); }), ErrorNumber::PathNotFound);
    EXPECT_EQ(errorOf([&] { files.readAll("c:\\folder\\file.txt\\below"); }), ErrorNumber::PathNotFound);
    EXPECT_EQ(errorOf([&] { files.readAll("c:\\folder"); }), ErrorNumber::PathFileAccess);
    EXPECT_EQ(errorOf([&] { files.readAll(std::string("c:\\fold\0er", 10)); }), ErrorNumber::BadFileName);
    // A device is no file: reading it must neither block nor run away.
    EXPECT_EQ(errorOf([&] { files.readAll("/dev/zero"); }), ErrorNumber::PathFileAccess);
    EXPECT_EQ(errorOf([&] { files.writeAll("c:\\nowhere\\run.txt", "x"); }), ErrorNumber::PathNotFound);
    EXPECT_EQ(errorOf([&] { files.writeAll("c:\\folder", "x"); }), ErrorNumber::PathFileAccess);
    EXPECT_EQ(errorOf([&] { files.createFolder("c:\\a\\b"); }), ErrorNumber::PathNotFound);
    EXPECT_EQ(errorOf([&] { files.createFolder("c:\\folder\\file.txt"); }), ErrorNumber::PathFileAccess);

    // Images of realistic sizes are read whole; only a file over the limit is refused, as
    // one that would exhaust the memory.
    for (const auto& [size, number] : {std::pair<uintmax_t, int>{256 << 10, 0}, {1 << 20, 0}, {4 << 20, 0},
                                       {256 << 20, 0}, {(256 << 20) + 1, ErrorNumber::OutOfMemory}}) {
        fs::resize_file(make("home/image.txt"), size);
        std::string read;
        EXPECT_EQ(errorOf([&] { read = files.readAll("c:\\image.txt"); }), number) << size;
        EXPECT_EQ(read.size(), number ? 0 : size);
    }

    const std::string longName = "c:\\" + std::string(300, 'n') + "\\" + std::string(100000, 'q');
    EXPECT_EQ(files.lookup(longName), "");
    EXPECT_NE(errorOf([&] { files.writeAll(longName, "x"); }), 0);

    fs::permissions(make("home/locked.txt"), fs::perms::none);
    Unprivileged nobody;
    EXPECT_EQ(errorOf([&] { files.readAll("c:\\locked.txt"); }), ErrorNumber::PathFileAccess);
    EXPECT_EQ(errorOf([&] { files.writeAll("c:\\locked.txt", "x"); }), ErrorNumber::PathFileAccess);
}
