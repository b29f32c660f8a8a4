// The settings record: its values with their store names, types and defaults, kept in one table so
// that reading, writing and defaults are loops, never copies per value. The first 32 are the
// original ones; the line history's, the usage allowance's and the service's keys follow them,
// in store order.
#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <variant>

class QSettings;

namespace core {

struct Settings {
    QString IPAddress = QStringLiteral("192.168.1.254");
    QString Community = QStringLiteral("lanterns");
    QString SLFileName; // default: DefaultSysLogFileName()
    bool RawData = false;
    bool CntText = true;
    bool ConBeep = true;
    bool SLActive = false;
    bool SLBeep = false;
    bool SLRemError = true;
    bool SLSender = false;
    bool MinTray = false;
    bool SLFileOut = false;
    bool SLFileDate = true;
    bool AutoRun = false;
    bool StartTray = false;
    int32_t RefreshInt = 0;
    bool SLDocked = true;
    int32_t SLFloatState = 0;
    int32_t SLFloatX = 0;
    int32_t SLFloatY = 0;
    int32_t SLFloatW = 628;
    int32_t SLFloatH = 536;
    int32_t WinX = -1;
    int32_t WinY = -1;
    int32_t GraphRefreshInt = 0;
    bool Graph3D = false;
    bool GraphStair = false;
    bool GraphOutValue = false;
    bool GraphOutPoint = false;
    bool GraphInValue = false;
    bool GraphInPoint = false;
    int32_t GraphScale = 0;
    // Line history: seconds between samples (0: not recorded), the SNR margin in tenths of a dB
    // below which an event is noted, the rise in errored seconds between two samples that counts
    // as a burst, desktop notifications of events, and what the graph page shows (0 the live
    // traffic, 1..4 a history view) over which span (0..4: 1 h, 24 h, 7 d, 30 d, 1 y).
    int32_t HistoryInt = 60;
    int32_t HistorySnrMin = 30;
    int32_t HistoryEsBurst = 10;
    bool HistoryNotify = true;
    int32_t GraphShow = 0;
    int32_t GraphSpan = 1;
    // The usage allowance in GB (10^9 octets; 0: none) and the day of the month it starts again
    // (1 to 31; in a shorter month its last day).
    int32_t UsageCapGB = 0;
    int32_t UsageCapDay = 1;
    // Where the service's web page and metrics listen: ADDRESS:PORT, IPv6 in brackets. Any
    // address but 127.0.0.1 and [::1] needs the token kept in a file of its own.
    QString ServiceListen = QStringLiteral("127.0.0.1:8514");

    Settings();
};

// "c:\SysLog.txt" on Windows; SysLog.txt in the home directory elsewhere.
QString DefaultSysLogFileName();

// One row of the settings table: the store's value name, the member it maps to and, for some
// integers, the values that make sense (a stored value outside them reads as the default).
struct SettingInfo {
    const char* name;
    std::variant<QString Settings::*, bool Settings::*, int32_t Settings::*> member;
    bool (*accepts)(int32_t) = nullptr; // integers only; null: any 32-bit value
};
std::span<const SettingInfo> SettingsTable();            // all of them, in store order
inline constexpr std::size_t OriginalSettingsCount = 32; // the first ones, as they always were

// One argument of a desktop entry's Exec line, as a launcher splits and expands it back into
// `program` whatever blanks, quotes, '$', '%' or backslashes it holds.
QString DesktopExecArgument(const QString& program);

// The distinct characters of `text` that Latin-1 cannot carry, in order of first appearance;
// empty when all fit. Router strings travel as Latin-1 and anything else would arrive as '?'.
QString NonLatin1Characters(const QString& text);
// What the user is told when a text holds such characters (`characters` as returned above).
QString NonLatin1Message(const QString& characters);

// Per-user store: the settings file (QSettings native format: the registry key on Windows,
// ~/.config/Corvane/LineScope.conf on Linux) and the autostart entry. Both locations can be given,
// so a test or a demo never touches the user's own.
class SettingsStore {
public:
    explicit SettingsStore(QString fileName = DefaultFileName(),
                           QString autostartFile = AutostartPath());
    virtual ~SettingsStore() = default;

    // Loads every value into `settings` (a fresh record: its values are the defaults). A missing
    // value, or one of the wrong type or out of range, keeps the default; a missing one is
    // written back so a first start creates them all. False when the store cannot be read (the
    // record is left as it was) or the write-back failed. A file that cannot be read or parsed
    // is kept beside the store as <file>.bad and Problem() says so.
    bool ReadOptionsFromReg(Settings& settings);
    // Writes all values atomically; false when they did not reach the store or when the
    // file found at start-up could neither be read nor moved aside (it is never overwritten).
    bool WriteOptionsToReg(const Settings& settings);
    // Loads the values as ReadOptionsFromReg does but writes nothing, for a reader beside the
    // window: no default is filled in and a bad file is neither moved nor converted. A missing
    // file leaves the defaults. False, with the reason in Problem(), when the file is there but
    // cannot be read as it is; the record is then left as it was.
    bool ReadOptionsOnly(Settings& settings);
    // Writes the one value stored as `name` and leaves every other one as the file has it.
    // False when the name is not in the table or the value did not reach the store.
    bool WriteOneOption(const Settings& settings, const char* name);
    // Adds ("Corvane LineScope", the running program's full path) or removes the autostart entry.
    virtual bool ChangeRegRunKey(bool enable);
    // For the user: what went wrong with the store at the last read; empty when nothing did.
    [[nodiscard]] const QString& Problem() const { return problem_; }
    [[nodiscard]] const QString& FileName() const { return fileName_; }

    // The real per-user locations.
    static QString DefaultFileName();
    static QString AutostartPath(); // $XDG_CONFIG_HOME/autostart/corvane-linescope.desktop

private:
    QString fileName_;
    QString autostartFile_;
    QString problem_;
    bool blocked_ = false; // an unreadable file is in the way: never write over it
};

} // namespace core
