#include "Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace {

using core::Settings;
using core::SettingsStore;

QString ConfigHome() {
    return qEnvironmentVariable("XDG_CONFIG_HOME");
}
QString StoreDir() {
    return ConfigHome() + "/Corvane";
}
QString StorePath() {
    return StoreDir() + "/LineScope.conf";
}

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

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(ConfigHome().isEmpty());
        TearDown();
    }
    void TearDown() override {
        QDir(StoreDir()).removeRecursively();
        QFile::remove(StoreDir());
    }
};

TEST_F(SettingsStoreTest, FirstStartWritesAll32Defaults) {
    std::string names;
    for (const core::SettingInfo& info : core::SettingsTable())
        names += std::string(names.empty() ? "" : " ") + info.name;
    EXPECT_EQ(names, "IPAddress Community SLFileName RawData CntText ConBeep SLActive SLBeep "
                     "SLRemError SLSender MinTray SLFileOut SLFileDate AutoRun StartTray "
                     "RefreshInt SLDocked SLFloatState SLFloatX SLFloatY SLFloatW SLFloatH WinX "
                     "WinY GraphRefreshInt Graph3D GraphStair GraphOutValue GraphOutPoint "
                     "GraphInValue GraphInPoint GraphScale");

    Settings settings;
    ASSERT_TRUE(SettingsStore().ReadOptionsFromReg(settings));
    const auto values = Values(settings);
    EXPECT_EQ(values, Values(Settings()));
    // Every default is 0 or off but these.
    const std::set<std::string> others = {"IPAddress=192.168.1.254",
                                          "Community=lanterns",
                                          "SLFileName=" + QDir::homePath().toStdString() +
                                              "/SysLog.txt",
                                          "CntText=1",
                                          "ConBeep=1",
                                          "SLRemError=1",
                                          "SLFileDate=1",
                                          "SLDocked=1",
                                          "SLFloatW=628",
                                          "SLFloatH=536",
                                          "WinX=-1",
                                          "WinY=-1"};
    std::size_t matched = 0;
    for (const std::string& v : values) {
        if (others.count(v))
            ++matched;
        else
            EXPECT_EQ(v.substr(v.find('=')), "=0") << v;
    }
    EXPECT_EQ(matched, others.size());

    // All 32 stored as plain numbers and text a person can read and edit, no @Variant blobs.
    EXPECT_EQ(QSettings(StorePath(), QSettings::IniFormat).allKeys().size(), 32);
    const std::string text = ReadAll(StorePath()).toStdString();
    for (const std::string& v : values)
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
    changed.SLFloatY = -300;
    changed.SLFloatW = std::numeric_limits<int32_t>::max();
    changed.SLFloatH = 1;
    changed.WinX = -1920;
    changed.WinY = 77;
    changed.GraphRefreshInt = 1800;
    changed.GraphScale = 1536;
    // Every value differs from its default, so a value that is not written cannot pass.
    const auto defaults = Values(Settings());
    const auto values = Values(changed);
    for (size_t i = 0; i < values.size(); ++i)
        ASSERT_NE(values[i], defaults[i]);

    SettingsStore store;
    ASSERT_TRUE(store.WriteOptionsToReg(changed));
    Settings loaded;
    ASSERT_TRUE(store.ReadOptionsFromReg(loaded));
    EXPECT_EQ(Values(loaded), values);
    // Written over an existing store, the defaults replace everything again.
    ASSERT_TRUE(store.WriteOptionsToReg(Settings()));
    Settings reloaded = changed;
    ASSERT_TRUE(store.ReadOptionsFromReg(reloaded));
    EXPECT_EQ(Values(reloaded), defaults);
}

TEST_F(SettingsStoreTest, DamagedFileKeepsGoodValuesAndIsPreserved) {
    const QByteArray damaged = "[General]\n"
                               "IPAddress=10.0.0.9\n"
                               "this line is not a setting\n"
                               "SLRemError=@Invalid()\n"
                               "RefreshInt=1000\n"
                               "GraphInP";
    WriteAll(StorePath(), damaged);
    Settings settings;
    ASSERT_TRUE(SettingsStore().ReadOptionsFromReg(settings));
    Settings expected;
    expected.IPAddress = "10.0.0.9";
    expected.RefreshInt = 1000;
    EXPECT_EQ(Values(settings), Values(expected));

    // The missing values were added, and what the user had is kept beside the store.
    QSettings file(StorePath(), QSettings::IniFormat);
    EXPECT_EQ(file.status(), QSettings::NoError);
    EXPECT_EQ(file.value("GraphInPoint").toString(), "0");
    EXPECT_EQ(file.value("IPAddress").toString(), "10.0.0.9");
    EXPECT_EQ(ReadAll(StorePath() + ".bad"), damaged);
}

// A value of the wrong type or outside what the program can use reads as the default.
TEST_F(SettingsStoreTest, ValuesOfTheWrongTypeOrRangeReadAsDefaults) {
    const std::string defaultLog = QDir::homePath().toStdString() + "/SysLog.txt";
    const std::vector<std::pair<std::string, std::string>> cases = {
        // stored line, value read
        {"SLFileName=a, b", defaultLog},
        {"IPAddress=", ""},
        {"RawData=-1", "1"}, // any number but 0 is on
        {"SLBeep=true", "1"},
        {"CntText=FALSE", "0"},
        {"ConBeep=abc", "1"},
        {"RawData=yes", "0"},
        {"Graph3D=", "0"},
        {"SLFloatState=2", "2"},
        {"SLFloatState=3", "0"},
        {"SLFloatState=-1", "0"},
        {"SLFloatY=1.5", "0"},
        {"SLFloatW=1", "1"},
        {"SLFloatW=0", "628"},
        {"WinX=-2147483648", "-2147483648"},
        {"WinX=-2147483649", "-1"},
        {"WinY=2147483648", "-1"},
        {"WinY=12abc", "-1"},
        {"WinY= 12 ", "12"},
        {"RefreshInt=0x10", "0"},
        {"GraphRefreshInt=300", "300"},
        {"GraphRefreshInt=7", "0"},
        {"GraphScale=64", "64"},
        {"GraphScale=65", "0"},
    };
    SettingsStore store;
    for (const auto& [line, expected] : cases) {
        WriteAll(StorePath(), QByteArray::fromStdString("[General]\n" + line + "\n"));
        Settings settings;
        ASSERT_TRUE(store.ReadOptionsFromReg(settings));
        const std::string name = line.substr(0, line.find('=') + 1);
        for (const std::string& v : Values(settings)) {
            if (v.rfind(name, 0) == 0) {
                EXPECT_EQ(v.substr(name.size()), expected) << line;
            }
        }
        QFile::remove(StorePath());
    }
}

TEST_F(SettingsStoreTest, UnusableStoreKeepsDefaultsAndReportsFailure) {
    // A file where the store's directory belongs: nothing can be created there, even by root.
    WriteAll(StoreDir(), "not a directory");
    Settings settings;
    SettingsStore store;
    EXPECT_FALSE(store.ReadOptionsFromReg(settings));
    EXPECT_EQ(Values(settings), Values(Settings()));
    Settings changed;
    changed.WinX = 10;
    EXPECT_FALSE(store.WriteOptionsToReg(changed));
    EXPECT_EQ(ReadAll(StoreDir()), "not a directory");
}

// Autostart ------------------------------------------------------------------------------------

TEST(Autostart, EntryAppearsForThisProgramAndDisappears) {
    const QString path = SettingsStore::AutostartPath();
    EXPECT_EQ(path, ConfigHome() + "/autostart/corvane-linescope.desktop");
    QFile::remove(path);
    SettingsStore store;
    ASSERT_TRUE(store.ChangeRegRunKey(true));
    ASSERT_TRUE(store.ChangeRegRunKey(true)); // twice is the same entry
    // Set by ExecQuotesAnOddProgramPath when it runs this test from an oddly named copy.
    const QByteArray fromParent = qgetenv("LINESCOPE_EXPECTED_EXEC");
    const QString exec = fromParent.isEmpty()
                             ? "\"" + QCoreApplication::applicationFilePath() + "\""
                             : QString::fromUtf8(fromParent);
    const QStringList lines = QString::fromUtf8(ReadAll(path)).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines, (QStringList{"[Desktop Entry]", "Type=Application", "Name=Corvane LineScope",
                                  "Exec=" + exec, "X-GNOME-Autostart-enabled=true"}));
    ASSERT_TRUE(store.ChangeRegRunKey(false));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(store.ChangeRegRunKey(false)); // nothing left to remove is no failure
}

// A launcher splits Exec into arguments and expands field codes: a program path with blanks,
// quotes, '$', '%' and backslashes must come back as one literal argument.
TEST(Autostart, ExecQuotesAnOddProgramPath) {
    if (!qEnvironmentVariableIsEmpty("LINESCOPE_EXPECTED_EXEC")) GTEST_SKIP() << "in the copy";
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString dir = tmp.path() + "/odd \"q\" $HOME %u back\\slash `x`";
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString copy = dir + "/settings test";
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(
        "LINESCOPE_EXPECTED_EXEC",
        "\"" + tmp.path() +
            "/odd \\\\\"q\\\\\" \\\\$HOME %%u back\\\\\\\\slash \\\\`x\\\\`/settings test\"");
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(copy, {"--gtest_filter=Autostart.EntryAppearsForThisProgramAndDisappears"});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
}

} // namespace
