#include "Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>
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

// Every value as text, through the table, so two records compare in one readable line each.
std::vector<std::string> Values(const Settings& s) {
    std::vector<std::string> out;
    for (const core::SettingInfo& info : core::SettingsTable()) {
        std::string value;
        if (const auto* text = std::get_if<QString Settings::*>(&info.member))
            value = (s.*(*text)).toStdString();
        else if (const auto* flag = std::get_if<bool Settings::*>(&info.member))
            value = s.*(*flag) ? "true" : "false";
        else
            value = std::to_string(s.*std::get<int32_t Settings::*>(info.member));
        out.push_back(std::string(info.name) + "=" + value);
    }
    return out;
}

// The store as another program would read it: a fresh QSettings on the file itself.
QString Stored(const QString& key) {
    QSettings file(StorePath(), QSettings::IniFormat);
    return file.value(key).toString();
}

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(ConfigHome().isEmpty());
        QDir(StoreDir()).removeRecursively();
        QFile::remove(StoreDir());
    }
    void TearDown() override {
        QDir(StoreDir()).removeRecursively();
        QFile::remove(StoreDir());
    }
};

TEST_F(SettingsStoreTest, FirstStartCreatesAll32DefaultsInTableOrder) {
    Settings settings;
    ASSERT_TRUE(SettingsStore().ReadOptionsFromReg(settings));
    EXPECT_EQ(Values(settings), Values(Settings()));

    const QString home = QDir::homePath();
    const std::vector<std::pair<QString, QString>> expected = {
        {"IPAddress", "192.168.1.254"},
        {"Community", "lanterns"},
        {"SLFileName", home + "/SysLog.txt"},
        {"RawData", "0"},
        {"CntText", "1"},
        {"ConBeep", "1"},
        {"SLActive", "0"},
        {"SLBeep", "0"},
        {"SLRemError", "1"},
        {"SLSender", "0"},
        {"MinTray", "0"},
        {"SLFileOut", "0"},
        {"SLFileDate", "1"},
        {"AutoRun", "0"},
        {"StartTray", "0"},
        {"RefreshInt", "0"},
        {"SLDocked", "1"},
        {"SLFloatState", "0"},
        {"SLFloatX", "0"},
        {"SLFloatY", "0"},
        {"SLFloatW", "628"},
        {"SLFloatH", "536"},
        {"WinX", "-1"},
        {"WinY", "-1"},
        {"GraphRefreshInt", "0"},
        {"Graph3D", "0"},
        {"GraphStair", "0"},
        {"GraphOutValue", "0"},
        {"GraphOutPoint", "0"},
        {"GraphInValue", "0"},
        {"GraphInPoint", "0"},
        {"GraphScale", "0"},
    };
    const auto table = core::SettingsTable();
    ASSERT_EQ(table.size(), expected.size());
    QSettings file(StorePath(), QSettings::IniFormat);
    EXPECT_EQ(file.allKeys().size(), 32);
    const QString text = QString::fromUtf8(ReadAll(StorePath()));
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto& [name, value] = expected[i];
        EXPECT_EQ(QString::fromLatin1(table[i].name), name) << "row " << i;
        EXPECT_EQ(file.value(name).toString(), value) << name.toStdString();
        // Plain numbers and text a person can read and edit, no @Variant blobs.
        EXPECT_TRUE(text.contains("\n" + name + "=" + value + "\n"))
            << name.toStdString() << " in\n"
            << text.toStdString();
    }
}

TEST_F(SettingsStoreTest, RoundTripKeepsEveryValue) {
    Settings changed;
    changed.IPAddress = "127.0.0.1:16161";
    changed.Community = "com, with; odd=chars #";
    changed.SLFileName = QString::fromUtf8(" /tmp/L\xC3\xB6g \\ \"dir\"/@SysLog.txt ");
    changed.RawData = true;
    changed.CntText = false;
    changed.ConBeep = false;
    changed.SLActive = true;
    changed.SLBeep = true;
    changed.SLRemError = false;
    changed.SLSender = true;
    changed.MinTray = true;
    changed.SLFileOut = true;
    changed.SLFileDate = false;
    changed.AutoRun = true;
    changed.StartTray = true;
    changed.RefreshInt = 1000; // kept as stored; only the Options page limits it
    changed.SLDocked = false;
    changed.SLFloatState = 2;
    changed.SLFloatX = std::numeric_limits<int32_t>::min();
    changed.SLFloatY = -300;
    changed.SLFloatW = std::numeric_limits<int32_t>::max();
    changed.SLFloatH = 1;
    changed.WinX = -1920;
    changed.WinY = 77;
    changed.GraphRefreshInt = 1800;
    changed.Graph3D = true;
    changed.GraphStair = true;
    changed.GraphOutValue = true;
    changed.GraphOutPoint = true;
    changed.GraphInValue = true;
    changed.GraphInPoint = true;
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
    EXPECT_EQ(Stored("SLFloatW"), "628");
}

TEST_F(SettingsStoreTest, DamagedFileKeepsGoodValuesAndIsPreserved) {
    const QByteArray damaged = "[General]\n"
                               "IPAddress=10.0.0.9\n"
                               "Community=public\n"
                               "this line is not a setting\n"
                               "SLFileName=a, b\n"
                               "CntText=0\n"
                               "ConBeep=abc\n"
                               "SLActive=7\n"
                               "SLBeep=true\n"
                               "SLRemError=@Invalid()\n"
                               "RefreshInt=1000\n"
                               "SLFloatState=5\n"
                               "SLFloatX=-200\n"
                               "SLFloatY=1.5\n"
                               "SLFloatW=-3\n"
                               "SLFloatH=0\n"
                               "WinX=99999999999\n"
                               "WinY=12abc\n"
                               "GraphRefreshInt=60\n"
                               "Graph3D=\n"
                               "GraphScale=100\n"
                               "GraphInP";
    WriteAll(StorePath(), damaged);

    Settings settings;
    SettingsStore store;
    ASSERT_TRUE(store.ReadOptionsFromReg(settings));
    Settings expected;
    expected.IPAddress = "10.0.0.9";
    expected.Community = "public";
    expected.CntText = false;
    expected.SLActive = true; // any number but 0 is on
    expected.SLBeep = true;
    expected.RefreshInt = 1000;
    expected.SLFloatX = -200;
    expected.GraphRefreshInt = 60;
    EXPECT_EQ(Values(settings), Values(expected));

    // The missing values were added, and what the user had is kept beside the store.
    QSettings file(StorePath(), QSettings::IniFormat);
    EXPECT_EQ(file.status(), QSettings::NoError);
    EXPECT_EQ(file.value("GraphInPoint").toString(), "0");
    EXPECT_EQ(file.value("IPAddress").toString(), "10.0.0.9");
    EXPECT_EQ(ReadAll(StorePath() + ".bad"), damaged);

    // Reading again gives the same record, and writing it leaves no bad value behind.
    Settings again;
    ASSERT_TRUE(store.ReadOptionsFromReg(again));
    EXPECT_EQ(Values(again), Values(expected));
    ASSERT_TRUE(store.WriteOptionsToReg(again));
    EXPECT_EQ(Stored("ConBeep"), "1");
    EXPECT_EQ(Stored("WinX"), "-1");
    EXPECT_EQ(Stored("SLFloatW"), "628");
    EXPECT_EQ(Stored("SLFileName"), QDir::homePath() + "/SysLog.txt");
}

TEST_F(SettingsStoreTest, ValuesOutsideTheirRangeReadAsDefaults) {
    struct Case {
        const char* name;
        const char* stored;
        std::string expected; // as Values() prints it
    };
    const std::vector<Case> cases = {
        {"SLFloatState", "2", "2"},
        {"SLFloatState", "3", "0"},
        {"SLFloatState", "-1", "0"},
        {"SLFloatW", "1", "1"},
        {"SLFloatW", "0", "628"},
        {"SLFloatH", "-536", "536"},
        {"WinX", "-2147483648", "-2147483648"},
        {"WinX", "-2147483649", "-1"},
        {"WinY", "2147483648", "-1"},
        {"WinY", " 12 ", "12"},
        {"RefreshInt", "-5", "-5"},
        {"RefreshInt", "0x10", "0"},
        {"GraphRefreshInt", "300", "300"},
        {"GraphRefreshInt", "7", "0"},
        {"GraphScale", "64", "64"},
        {"GraphScale", "65", "0"},
        {"RawData", "-1", "true"},
        {"RawData", "0", "false"},
        {"CntText", "FALSE", "false"},
        {"RawData", "yes", "false"},
        {"IPAddress", "", ""},
    };
    SettingsStore store;
    for (const auto& c : cases) {
        WriteAll(StorePath(), QByteArray("[General]\n") + c.name + "=" + c.stored + "\n");
        Settings settings;
        ASSERT_TRUE(store.ReadOptionsFromReg(settings));
        std::string got;
        for (const std::string& v : Values(settings))
            if (v.rfind(std::string(c.name) + "=", 0) == 0)
                got = v.substr(std::string(c.name).size() + 1);
        EXPECT_EQ(got, c.expected) << c.name << "=" << c.stored;
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

QString ExpectedExec() {
    const QByteArray fromParent = qgetenv("LINESCOPE_EXPECTED_EXEC");
    if (!fromParent.isEmpty()) return QString::fromUtf8(fromParent);
    return "\"" + QCoreApplication::applicationFilePath() + "\"";
}

TEST(Autostart, EntryAppearsForThisProgramAndDisappears) {
    const QString path = SettingsStore::AutostartPath();
    EXPECT_EQ(path, ConfigHome() + "/autostart/corvane-linescope.desktop");
    QFile::remove(path);
    SettingsStore store;
    ASSERT_TRUE(store.ChangeRegRunKey(true));
    ASSERT_TRUE(store.ChangeRegRunKey(true)); // twice is the same entry
    const QStringList lines = QString::fromUtf8(ReadAll(path)).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines, (QStringList{"[Desktop Entry]", "Type=Application", "Name=Corvane LineScope",
                                  "Exec=" + ExpectedExec(), "X-GNOME-Autostart-enabled=true"}));
    ASSERT_TRUE(store.ChangeRegRunKey(false));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(store.ChangeRegRunKey(false)); // nothing left to remove is no failure
    EXPECT_TRUE(QDir(QFileInfo(path).absolutePath()).isEmpty());
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
    QString expected =
        "\"" + tmp.path() +
        "/odd \\\\\"q\\\\\" \\\\$HOME %%u back\\\\\\\\slash \\\\`x\\\\`/settings test\"";
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LINESCOPE_EXPECTED_EXEC", expected);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(copy, {"--gtest_filter=Autostart.EntryAppearsForThisProgramAndDisappears"});
    ASSERT_TRUE(child.waitForFinished(120000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
}

} // namespace
