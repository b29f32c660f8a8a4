#include "Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

namespace core {

namespace {

constexpr auto kOrganization = "Corvane";
constexpr auto kApplication = "LineScope";
constexpr auto kRunValueName = "Corvane LineScope";

// Window state of the floating log window: normal, minimised or maximised.
constexpr bool WindowState(int32_t v) {
    return v >= 0 && v <= 2;
}
// A saved width or height of zero or less would make the window vanish.
constexpr bool Extent(int32_t v) {
    return v > 0;
}
// The graph's interval and scale: a value the menu does not offer ticks no item but is used all
// the same; what is kept out is a negative one, and an interval whose milliseconds would overflow
// the timer.
constexpr bool GraphInterval(int32_t v) {
    return v >= 0 && v <= std::numeric_limits<int32_t>::max() / 1000;
}
constexpr bool NotNegative(int32_t v) {
    return v >= 0;
}
// A burst of no errored seconds would be an event at every sample.
constexpr bool HistoryBurst(int32_t v) {
    return v > 0;
}
constexpr bool DayOfMonth(int32_t v) {
    return v >= 1 && v <= 31;
}
// The graph page's six views: the live traffic, four of the line and the usage.
constexpr bool GraphView(int32_t v) {
    return v >= 0 && v <= 5;
}
// The history's five spans.
constexpr bool HistoryView(int32_t v) {
    return v >= 0 && v <= 4;
}

constexpr SettingInfo kTable[] = {
    {"IPAddress", &Settings::IPAddress},
    {"Community", &Settings::Community},
    {"SLFileName", &Settings::SLFileName},
    {"RawData", &Settings::RawData},
    {"CntText", &Settings::CntText},
    {"ConBeep", &Settings::ConBeep},
    {"SLActive", &Settings::SLActive},
    {"SLBeep", &Settings::SLBeep},
    {"SLRemError", &Settings::SLRemError},
    {"SLSender", &Settings::SLSender},
    {"MinTray", &Settings::MinTray},
    {"SLFileOut", &Settings::SLFileOut},
    {"SLFileDate", &Settings::SLFileDate},
    {"AutoRun", &Settings::AutoRun},
    {"StartTray", &Settings::StartTray},
    // Used as stored: the Options page, not the store, limits what the user types.
    {"RefreshInt", &Settings::RefreshInt},
    {"SLDocked", &Settings::SLDocked},
    {"SLFloatState", &Settings::SLFloatState, WindowState},
    // Positions may be negative on a desktop whose screens lie left of or above the primary.
    {"SLFloatX", &Settings::SLFloatX},
    {"SLFloatY", &Settings::SLFloatY},
    {"SLFloatW", &Settings::SLFloatW, Extent},
    {"SLFloatH", &Settings::SLFloatH, Extent},
    {"WinX", &Settings::WinX},
    {"WinY", &Settings::WinY},
    {"GraphRefreshInt", &Settings::GraphRefreshInt, GraphInterval},
    {"Graph3D", &Settings::Graph3D},
    {"GraphStair", &Settings::GraphStair},
    {"GraphOutValue", &Settings::GraphOutValue},
    {"GraphOutPoint", &Settings::GraphOutPoint},
    {"GraphInValue", &Settings::GraphInValue},
    {"GraphInPoint", &Settings::GraphInPoint},
    {"GraphScale", &Settings::GraphScale, NotNegative},
    {"HistoryInt", &Settings::HistoryInt, GraphInterval},
    {"HistorySnrMin", &Settings::HistorySnrMin},
    {"HistoryEsBurst", &Settings::HistoryEsBurst, HistoryBurst},
    {"HistoryNotify", &Settings::HistoryNotify},
    {"GraphShow", &Settings::GraphShow, GraphView},
    {"GraphSpan", &Settings::GraphSpan, HistoryView},
    {"UsageCapGB", &Settings::UsageCapGB, NotNegative},
    {"UsageCapDay", &Settings::UsageCapDay, DayOfMonth},
    // Checked where it is used, which can say what is wrong with it.
    {"ServiceListen", &Settings::ServiceListen},
};
static_assert(std::size(kTable) == OriginalSettingsCount + 9);

// An integer as stored: a number (the registry's DWORD), or text holding only a decimal number
// (the Linux file, where everything is text).
std::optional<int64_t> StoredInteger(const QVariant& v) {
    bool ok = false;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return v.toLongLong();
    case QMetaType::UInt:
        // A DWORD holds a signed 32-bit number.
        return static_cast<int32_t>(v.toUInt());
    case QMetaType::ULongLong:
        if (v.toULongLong() > static_cast<qulonglong>(std::numeric_limits<int64_t>::max()))
            return std::nullopt;
        return v.toLongLong();
    case QMetaType::Bool:
        return v.toBool() ? 1 : 0;
    case QMetaType::QString: {
        const qlonglong n = v.toString().trimmed().toLongLong(&ok, 10);
        if (ok) return n;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

// Applies one stored value to the record; a value that does not fit leaves the record's value.
void Load(const SettingInfo& info, const QVariant& stored, Settings& settings) {
    if (const auto* text = std::get_if<QString Settings::*>(&info.member)) {
        if (stored.typeId() == QMetaType::QString) settings.*(*text) = stored.toString();
    } else if (const auto* flag = std::get_if<bool Settings::*>(&info.member)) {
        if (const auto n = StoredInteger(stored)) {
            settings.*(*flag) = *n != 0;
        } else if (stored.typeId() == QMetaType::QString) {
            // A hand-edited file may say so in words.
            const QString word = stored.toString().trimmed();
            if (word.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
                settings.*(*flag) = true;
            else if (word.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
                settings.*(*flag) = false;
        }
    } else {
        const auto number = std::get<int32_t Settings::*>(info.member);
        const auto n = StoredInteger(stored);
        if (!n || *n < std::numeric_limits<int32_t>::min() ||
            *n > std::numeric_limits<int32_t>::max())
            return;
        const auto value = static_cast<int32_t>(*n);
        if (info.accepts && !info.accepts(value)) return;
        settings.*number = value;
    }
}

void Save(const SettingInfo& info, const Settings& settings, QSettings& store) {
    const QString key = QLatin1String(info.name);
    if (const auto* text = std::get_if<QString Settings::*>(&info.member))
        store.setValue(key, settings.*(*text));
    else if (const auto* flag = std::get_if<bool Settings::*>(&info.member))
        store.setValue(key, settings.*(*flag) ? 1 : 0);
    else
        store.setValue(key, settings.*std::get<int32_t Settings::*>(info.member));
}

// The per-user store only: machine-wide fallbacks are not ours to read.
void Configure(QSettings& store) {
    store.setFallbacksEnabled(false);
    // A crash mid-write must leave the old file, not half of a new one.
    if (!store.isAtomicSyncRequired()) store.setAtomicSyncRequired(true);
}

QByteArray FileContents(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// Why the file at `path` cannot be read as the store; empty when it can, or is absent.
QString Unreadable(const QString& path, QByteArray& contents) {
    const QFileInfo info(path);
    if (!info.exists()) return {};
    if (info.isDir()) return QStringLiteral("a directory is in its place");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return file.errorString();
    contents = file.readAll();
    return {};
}

bool IsUtf8(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return !utf8.hasError();
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// Writes pending changes. The Linux file is plain text a person may edit; Qt skips lines it
// cannot parse and leaves them out when it rewrites the file, so the damaged original (read
// before the write) is kept beside the store as <name>.bad for the user to look at.
bool Commit(QSettings& store, const QByteArray& before) {
    store.sync();
    switch (store.status()) {
    case QSettings::NoError:
        return true;
    case QSettings::FormatError: {
        const QString path = store.fileName();
        // The first error hides a later one: check that the rewrite really happened.
        const QByteArray after = FileContents(path);
        if (after == before) return false;
        if (before.isEmpty()) return true;
        return WriteFile(path + QLatin1String(".bad"), before);
    }
    case QSettings::AccessError:
    default:
        return false;
    }
}

} // namespace

// Quoted, with the characters the quoting reserves escaped, '%' doubled (it starts field codes),
// then the general escapes of a string.
QString DesktopExecArgument(const QString& program) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        else if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    quoted += u'"';
    QString escaped;
    for (const QChar c : quoted) {
        if (c == u'\\')
            escaped += QLatin1String("\\\\");
        else if (c == u'\n')
            escaped += QLatin1String("\\n");
        else if (c == u'\r')
            escaped += QLatin1String("\\r");
        else if (c == u'\t')
            escaped += QLatin1String("\\t");
        else
            escaped += c;
    }
    return escaped;
}

Settings::Settings() : SLFileName(DefaultSysLogFileName()) {}

QString DefaultSysLogFileName() {
#ifdef Q_OS_WIN
    return QStringLiteral("c:\\SysLog.txt");
#else
    // A drive letter means nothing here; the home directory is always the user's to write.
    return QDir::homePath() + QStringLiteral("/SysLog.txt");
#endif
}

std::span<const SettingInfo> SettingsTable() {
    return kTable;
}

QString NonLatin1Characters(const QString& text) {
    QString found;
    for (const char32_t c : text.toUcs4()) {
        if (c <= 0xFF) continue;
        const QString character = QString::fromUcs4(&c, 1);
        if (!found.contains(character)) found += character;
    }
    return found;
}

QString NonLatin1Message(const QString& characters) {
    QStringList quoted;
    for (const char32_t c : characters.toUcs4())
        quoted += QLatin1Char('"') + QString::fromUcs4(&c, 1) + QLatin1Char('"');
    return QStringLiteral("The router stores Latin-1 text only and cannot take %1. Nothing was "
                          "sent.")
        .arg(quoted.join(QLatin1String(", ")));
}

SettingsStore::SettingsStore(QString fileName, QString autostartFile)
    : fileName_(std::move(fileName)), autostartFile_(std::move(autostartFile)) {}

QString SettingsStore::DefaultFileName() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QLatin1String(kOrganization),
                     QLatin1String(kApplication))
        .fileName();
}

bool SettingsStore::ReadOptionsFromReg(Settings& settings) {
    problem_.clear();
    blocked_ = false;
    const QString bad = fileName_ + QLatin1String(".bad");
    QByteArray contents;
    if (const QString why = Unreadable(fileName_, contents); !why.isEmpty()) {
        // QSettings would read it as empty and its atomic save would then replace it: move it
        // out of the way, or refuse to write over it at all.
        // A plain rename: QFile's falls back to copying, which needs the very read that failed.
        if (std::rename(QFile::encodeName(fileName_).constData(),
                        QFile::encodeName(bad).constData()) != 0) {
            blocked_ = true;
            problem_ = QStringLiteral("The settings file %1 could not be read (%2). It was left "
                                      "as it is; the defaults are used and will not be saved.")
                           .arg(fileName_, why);
            return false;
        }
        problem_ = QStringLiteral("The settings file %1 could not be read (%2). It was moved to "
                                  "%3 and the defaults are used.")
                       .arg(fileName_, why, bad);
    } else if (!IsUtf8(contents)) {
        // Another encoding, most likely the Windows code page: kept as found, read as Latin-1.
        if (!WriteFile(bad, contents) ||
            !WriteFile(fileName_, QString::fromLatin1(contents).toUtf8())) {
            blocked_ = true;
            problem_ = QStringLiteral("The settings file %1 is not UTF-8 text and could not be "
                                      "converted. It was left as it is; the defaults are used "
                                      "and will not be saved.")
                           .arg(fileName_);
            return false;
        }
        problem_ = QStringLiteral("The settings file %1 was not UTF-8 text. It was read as "
                                  "Latin-1; the original was kept as %2.")
                       .arg(fileName_, bad);
    }

    QSettings store{fileName_, QSettings::NativeFormat};
    Configure(store);
    const QString failed =
        QStringLiteral("The settings could not be read from or saved to %1.").arg(fileName_);
    // Unreadable: keep the defaults, and write nothing over a file we could not read.
    if (store.status() == QSettings::AccessError) {
        problem_ = failed;
        return false;
    }
    const QByteArray before = FileContents(store.fileName());

    Settings loaded = settings;
    bool missing = false;
    for (const SettingInfo& info : SettingsTable()) {
        const QString key = QLatin1String(info.name);
        if (store.contains(key)) {
            Load(info, store.value(key), loaded);
        } else {
            Save(info, loaded, store);
            missing = true;
        }
    }
    settings = loaded;
    // A wrong value stays in the store until the record is written at the end.
    const bool ok = missing ? Commit(store, before) : store.status() != QSettings::AccessError;
    if (!ok)
        problem_ = failed;
    else if (store.status() == QSettings::FormatError && problem_.isEmpty())
        problem_ = QStringLiteral("The settings file %1 held lines that could not be read. The "
                                  "original is kept as %2.")
                       .arg(fileName_, bad);
    return ok;
}

bool SettingsStore::WriteOptionsToReg(const Settings& settings) {
    if (blocked_) return false;
    QSettings store{fileName_, QSettings::NativeFormat};
    Configure(store);
    if (store.status() == QSettings::AccessError) return false;
    const QByteArray before = FileContents(store.fileName());
    for (const SettingInfo& info : SettingsTable())
        Save(info, settings, store);
    return Commit(store, before);
}

bool SettingsStore::ReadOptionsOnly(Settings& settings) {
    problem_.clear();
    QByteArray contents;
    if (const QString why = Unreadable(fileName_, contents); !why.isEmpty()) {
        problem_ =
            QStringLiteral("The settings file %1 could not be read (%2).").arg(fileName_, why);
        return false;
    }
    if (!QFileInfo::exists(fileName_)) return true;
    if (!IsUtf8(contents)) {
        problem_ = QStringLiteral("The settings file %1 is not UTF-8 text; the window converts "
                                  "it when it next starts.")
                       .arg(fileName_);
        return false;
    }
    QSettings store{fileName_, QSettings::NativeFormat};
    Configure(store);
    if (store.status() != QSettings::NoError) {
        problem_ = QStringLiteral("The settings file %1 could not be read.").arg(fileName_);
        return false;
    }
    Settings loaded = settings;
    for (const SettingInfo& info : SettingsTable())
        if (const QString key = QLatin1String(info.name); store.contains(key))
            Load(info, store.value(key), loaded);
    settings = loaded;
    return true;
}

bool SettingsStore::WriteOneOption(const Settings& settings, const char* name) {
    if (blocked_) return false;
    const auto table = SettingsTable();
    const auto row = std::find_if(table.begin(), table.end(), [name](const SettingInfo& info) {
        return std::strcmp(info.name, name) == 0;
    });
    if (row == table.end()) return false;
    QSettings store{fileName_, QSettings::NativeFormat};
    Configure(store);
    if (store.status() == QSettings::AccessError) return false;
    const QByteArray before = FileContents(store.fileName());
    Save(*row, settings, store);
    return Commit(store, before);
}

QString SettingsStore::AutostartPath() {
#ifdef Q_OS_WIN
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/corvane-linescope.desktop");
#endif
}

bool SettingsStore::ChangeRegRunKey(bool enable) {
    const QString program = QCoreApplication::applicationFilePath();
    if (enable && program.isEmpty()) return false;
#ifdef Q_OS_WIN
    QSettings run(autostartFile_, QSettings::NativeFormat);
    if (enable)
        // Quoted, so a path with blanks cannot be read as a shorter program plus arguments.
        run.setValue(QLatin1String(kRunValueName),
                     QLatin1Char('"') + QDir::toNativeSeparators(program) + QLatin1Char('"'));
    else
        run.remove(QLatin1String(kRunValueName));
    run.sync();
    return run.status() == QSettings::NoError;
#else
    const QString& path = autostartFile_;
    if (!enable) return !QFileInfo::exists(path) || QFile::remove(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=%1\n"
                                         "Exec=%2\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(QLatin1String(kRunValueName), DesktopExecArgument(program));
    return WriteFile(path, entry.toUtf8());
#endif
}

} // namespace core
