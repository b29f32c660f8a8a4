#include "core/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using core::Settings;
using core::SettingsStore;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Every value as "Name=text" in table order, booleans as 0 and 1 as the store holds them.
std::vector<std::string> Values(const Settings& s) {
    std::vector<std::string> out;
    for (const core::SettingInfo& info : core::SettingsTable()) {
        std::string value;
        if (const auto* text = std::get_if<QString Settings::*>(&info.member))
            value = (s.*(*text)).toStdString();
        else if (const auto* flag = std::get_if<bool Settings::*>(&info.member))
            value = s.*(*flag) ? "1" : "0";
        else
            value = std::to_string(s.*std::get<int32_t Settings::*>(info.member));
        out.push_back(std::string(info.name) + "=" + value);
    }
    return out;
}

// A store in a directory of its own.
class SettingsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.path() + "/Corvane/LineScope.conf";
    SettingsStore store{path, dir.path() + "/autostart/corvane-linescope.desktop"};
};

TEST_F(SettingsStoreTest, FirstStartWritesAllDefaultsInOrderAsPlainText) {
    Settings settings;
    ASSERT_TRUE(store.ReadOptionsFromReg(settings));
    EXPECT_TRUE(store.Problem().isEmpty());
    std::string all;
    for (const std::string& v : Values(settings))
        all += v + " ";
    EXPECT_EQ(all, "IPAddress=192.168.1.254 Community=lanterns SLFileName=" +
                       QDir::homePath().toStdString() +
                       "/SysLog.txt RawData=0 CntText=1 ConBeep=1 SLActive=0 SLBeep=0 "
                       "SLRemError=1 SLSender=0 MinTray=0 SLFileOut=0 SLFileDate=1 AutoRun=0 "
                       "StartTray=0 RefreshInt=0 SLDocked=1 SLFloatState=0 SLFloatX=0 SLFloatY=0 "
                       "SLFloatW=628 SLFloatH=536 WinX=-1 WinY=-1 GraphRefreshInt=0 Graph3D=0 "
                       "GraphStair=0 GraphOutValue=0 GraphOutPoint=0 GraphInValue=0 "
                       "GraphInPoint=0 GraphScale=0 HistoryInt=60 HistorySnrMin=30 "
                       "HistoryEsBurst=10 HistoryNotify=1 GraphShow=0 GraphSpan=1 UsageCapGB=0 "
                       "UsageCapDay=1 ServiceListen=127.0.0.1:8514 ");
    // Numbers and text a person can read and edit, no @Variant blobs.
    const std::string text = ReadAll(path).toStdString();
    for (const std::string& v : Values(settings))
        EXPECT_NE(text.find("\n" + v + "\n"), std::string::npos) << v << " in\n" << text;
}

TEST_F(SettingsStoreTest, RoundTripKeepsEveryValue) {
    Settings changed;
    for (const core::SettingInfo& info : core::SettingsTable())
        if (const auto* flag = std::get_if<bool Settings::*>(&info.member))
            changed.*(*flag) = !(changed.*(*flag));
    changed.IPAddress = "127.0.0.1:16161";
    changed.Community = "com, with; odd=chars #";
    changed.SLFileName = QString::fromUtf8(" /tmp/L\xC3\xB6g \\ \"dir\"/@SysLog.txt ");
    changed.RefreshInt = 1000; // kept as stored; only the Options page limits it
    changed.SLFloatState = 2;
    changed.SLFloatX = std::numeric_limits<int32_t>::min();
    changed.SLFloatW = std::numeric_limits<int32_t>::max();
    changed.WinX = -1920;
    changed.GraphRefreshInt = 1800;
    changed.GraphScale = 1536;
    ASSERT_TRUE(store.WriteOptionsToReg(changed));
    Settings loaded;
    ASSERT_TRUE(store.ReadOptionsFromReg(loaded));
    EXPECT_EQ(Values(loaded), Values(changed));
}

// A value of the wrong type or outside what the program can use reads as the default.
TEST_F(SettingsStoreTest, ValuesOfTheWrongTypeOrRangeReadAsDefaults) {
    const std::string defaultLog = QDir::homePath().toStdString() + "/SysLog.txt";
    const std::vector<std::pair<std::string, std::string>> cases = {
        // stored line, value read
        {"SLFileName=a, b", defaultLog},
        {"IPAddress=", ""},
        {"RawData=-1", "1"},
        {"SLBeep=true", "1"},

        {"ConBeep=abc", "1"},

        {"SLFloatState=3", "0"},
        {"SLFloatY=1.5", "0"},
        {"SLFloatW=0", "628"},
        {"WinX=-2147483648", "-2147483648"},
        {"WinX=-2147483649", "-1"},
        {"WinY=2147483648", "-1"},
        {"WinY=12abc", "-1"},
        {"WinY= 12 ", "12"},
        {"RefreshInt=0x10", "0"},

        {"GraphRefreshInt=7", "7"},
        {"GraphRefreshInt=2147484", "0"},
        {"GraphScale=65", "65"},
        {"GraphScale=-64", "0"},
        {"UsageCapGB=-1", "0"},
        {"UsageCapDay=31", "31"},
        {"UsageCapDay=32", "1"},
        {"UsageCapDay=0", "1"},
    };
    for (const auto& [line, expected] : cases) {
        WriteAll(path, QByteArray::fromStdString("[General]\n" + line + "\n"));
        Settings settings;
        ASSERT_TRUE(store.ReadOptionsFromReg(settings));
        const std::string name = line.substr(0, line.find('=') + 1);
        for (const std::string& v : Values(settings))
            if (v.rfind(name, 0) == 0) {
                EXPECT_EQ(v.substr(name.size()), expected) << line;
            }
    }
}

// What the user had is never lost: a damaged or unreadable file is kept as <file>.bad, what can
// be read is used, and the user is told.
TEST_F(SettingsStoreTest, DamagedOrUnreadableFileIsKeptAsideAndReported) {
    const QByteArray damaged = "[General]\nIPAddress=10.0.0.9\nthis line is not a setting\n"
                               "SLRemError=@Invalid()\nRefreshInt=1000\nGraphInP";
    const QByteArray latin1 = "[General]\nCommunity=gr\xFCn\n";
    struct Case {
        const char* name;
        std::function<void()> plant;
        QByteArray kept;       // the .bad file afterwards
        std::string community; // as read
        bool unreadableAsRoot; // permissions do not stop root
    };
    const std::vector<Case> cases = {
        {"damaged", [&] { WriteAll(path, damaged); }, damaged, "lanterns", true},
        {"other encoding", [&] { WriteAll(path, latin1); }, latin1, "gr\xC3\xBCn", true},
        {"directory", [&] { QDir().mkpath(path + "/x"); }, {}, "lanterns", true},
        {"no permission",
         [&] {
             WriteAll(path, latin1);
             QFile::setPermissions(path, {});
         },
         latin1, "lanterns", false},
    };
    Settings good;
    WriteAll(path, damaged); // the good values of a damaged file are used
    ASSERT_TRUE(store.ReadOptionsFromReg(good));
    EXPECT_EQ(good.IPAddress, "10.0.0.9");
    EXPECT_EQ(good.RefreshInt, 1000);
    for (const Case& c : cases) {
        if (!c.unreadableAsRoot && geteuid() == 0) continue;
        SCOPED_TRACE(c.name);
        QDir(dir.path() + "/Corvane").removeRecursively();
        c.plant();
        Settings settings;
        ASSERT_TRUE(store.ReadOptionsFromReg(settings));
        EXPECT_EQ(settings.Community.toStdString(), c.community);
        EXPECT_TRUE(store.Problem().contains(path + ".bad")) << store.Problem().toStdString();
        ASSERT_TRUE(store.WriteOptionsToReg(settings));
        if (QFileInfo(path + ".bad").isFile())
            QFile::setPermissions(path + ".bad", QFile::ReadOwner | QFile::WriteOwner);
        EXPECT_EQ(ReadAll(path + ".bad"), c.kept);
        EXPECT_EQ(QSettings(path, QSettings::IniFormat).allKeys().size(),
                  static_cast<qsizetype>(core::SettingsTable().size()));
    }
}

TEST_F(SettingsStoreTest, StoreThatCannotBeWrittenKeepsDefaultsAndReportsFailure) {
    // A file where the store's directory belongs: nothing can be created there, even by root.
    WriteAll(dir.path() + "/Corvane", "not a directory");
    Settings settings;
    EXPECT_FALSE(store.ReadOptionsFromReg(settings));
    EXPECT_FALSE(store.Problem().isEmpty());
    EXPECT_EQ(Values(settings), Values(Settings()));
    EXPECT_FALSE(store.WriteOptionsToReg(settings));
    EXPECT_EQ(ReadAll(dir.path() + "/Corvane"), "not a directory");
}

TEST(NonLatin1, NamesEachCharacterThatDoesNotFitOnce) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"plain ASCII", ""},
        {QString::fromUtf8("Gr\xC3\xBC\xC3\x9F \xC3\xBF"), ""}, // up to U+00FF fits
        {QString::fromUtf8("5 \xE2\x82\xAC, 6 \xE2\x82\xAC"), QString::fromUtf8("\xE2\x82\xAC")},
        {QString::fromUtf8("\xE6\x9D\xB1\xE4\xBA\xAC\xC4\x80\xF0\x9F\x93\xA1"),
         QString::fromUtf8("\xE6\x9D\xB1\xE4\xBA\xAC\xC4\x80\xF0\x9F\x93\xA1")},
    };
    for (const auto& [text, bad] : cases)
        EXPECT_EQ(core::NonLatin1Characters(text), bad) << text.toStdString();
    EXPECT_EQ(core::NonLatin1Message(QString::fromUtf8("\xE2\x82\xAC\xF0\x9F\x93\xA1")),
              QString::fromUtf8("The router stores Latin-1 text only and cannot take "
                                "\"\xE2\x82\xAC\", \"\xF0\x9F\x93\xA1\". Nothing was sent."));
}

// Autostart: the entry names this program, and goes again.
TEST_F(SettingsStoreTest, AutostartEntryAppearsForThisProgramAndDisappears) {
    const QString entry = dir.path() + "/autostart/corvane-linescope.desktop";
    ASSERT_TRUE(store.ChangeRegRunKey(true));
    ASSERT_TRUE(store.ChangeRegRunKey(true)); // twice is the same entry
    EXPECT_EQ(QString::fromUtf8(ReadAll(entry)).split('\n', Qt::SkipEmptyParts),
              (QStringList{"[Desktop Entry]", "Type=Application", "Name=Corvane LineScope",
                           "Exec=\"" + QCoreApplication::applicationFilePath() + "\"",
                           "X-GNOME-Autostart-enabled=true"}));
    ASSERT_TRUE(store.ChangeRegRunKey(false));
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_TRUE(store.ChangeRegRunKey(false)); // nothing left to remove is no failure
    // A launcher splits Exec into arguments and expands field codes: an odd program path must
    // come back as one literal argument.
    EXPECT_EQ(core::DesktopExecArgument("/odd \"q\" $HOME %u back\\slash `x`/a b"),
              "\"/odd \\\\\"q\\\\\" \\\\$HOME %%u back\\\\\\\\slash \\\\`x\\\\`/a b\"");
}

} // namespace

// The autostart entry names the running program, which needs an application object.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
