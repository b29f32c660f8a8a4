// LineScope: a monitor for the Corvane R62GX/R63 ADSL router.
#include "Main.h"

#include "Artwork.h"
#include "Dialogs.h"
#include "SingleInstance.h"
#include "app/tray/LogOff.h"
#include "app/tray/SessionEnd.h"
#include "core/HistoryStore.h"
#include "core/Seams.h"
#include "core/Usage.h"
#include "report/LineReport.h"
#ifdef LINESCOPE_SERVICE
#include "service/ServiceMain.h"
#endif

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <optional>
#ifdef __linux__
#include <sys/auxv.h>
#include <sys/prctl.h>
#endif

namespace {

int Fail(const QString& text) {
    fprintf(stderr, "linescope: %s\n", qPrintable(text.simplified()));
    return 1;
}

// Whether argv names `option`, alone or as `option=value`.
bool HasOption(int argc, char** argv, const char* option) {
    const std::size_t length = strlen(option);
    for (int i = 1; i < argc; ++i)
        if (strncmp(argv[i], option, length) == 0 &&
            (argv[i][length] == '\0' || argv[i][length] == '='))
            return true;
    return false;
}

// A headless mode's options, which take no other arguments; what is wrong with them, if anything.
std::optional<QString> ParseHeadless(QCommandLineParser& parser,
                                     const QList<QCommandLineOption>& options) {
    parser.addOptions(options);
    if (!parser.parse(QCoreApplication::arguments())) return parser.errorText();
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("unexpected argument ") + parser.positionalArguments().first();
    return std::nullopt;
}

// `linescope --export-history FILE [--since YYYY-MM-DD]`: the line history as CSV, with no
// display, window, settings, socket or other instance involved, beside a running LineScope;
// `--export-usage FILE` the same for the usage per day and month.
int ExportHistory(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption file(QStringLiteral("export-history"),
                                  QStringLiteral("Write the line history to FILE as CSV."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption usage(QStringLiteral("export-usage"),
                                   QStringLiteral("Write the usage per day and month to FILE."),
                                   QStringLiteral("FILE"));
    const QCommandLineOption since(QStringLiteral("since"),
                                   QStringLiteral("Export only from this day on."),
                                   QStringLiteral("YYYY-MM-DD"));
    if (const auto wrong = ParseHeadless(parser, {file, usage, since})) return Fail(*wrong);
    if (parser.isSet(file) == parser.isSet(usage))
        return Fail(QStringLiteral("give one of --export-history and --export-usage"));
    std::optional<QDate> from;
    if (parser.isSet(since)) {
        const QString text = parser.value(since);
        from = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        if (!from->isValid()) return Fail(QStringLiteral("--since wants a date as YYYY-MM-DD"));
    }
    core::history::HistoryStore store(core::history::HistoryStore::DefaultFileName(),
                                      core::history::HistoryStore::Mode::Read);
    if (!store.Open()) return Fail(store.Problem());
    QString error;
    const bool done = parser.isSet(file)
                          ? store.ExportCsv(parser.value(file), from, error)
                          : core::history::ExportUsageCsv(store, parser.value(usage), from, error);
    return done ? 0 : Fail(error);
}

// `linescope --line-report FILE.pdf [--days N]`: the line report, drawn without a display on
// the offscreen platform, from the history as the exports read it. No history yet is a report
// that says so.
int LineReport(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption file(QStringLiteral("line-report"),
                                  QStringLiteral("Write the line report to FILE as PDF."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption days(QStringLiteral("days"),
                                  QStringLiteral("Days the report covers (7)."),
                                  QStringLiteral("N"), QString::number(report::DefaultDays));
    if (const auto wrong = ParseHeadless(parser, {file, days})) return Fail(*wrong);
    bool number = false;
    const int n = parser.value(days).toInt(&number);
    if (!number || n < 1 || n > report::MaxDays)
        return Fail(
            QStringLiteral("--days wants a number of days from 1 to %1").arg(report::MaxDays));
    const QString name = core::history::HistoryStore::DefaultFileName();
    core::history::HistoryStore store(name, core::history::HistoryStore::Mode::Read);
    if (QFileInfo::exists(name) && !store.Open()) return Fail(store.Problem());
    QString error;
    return report::LineReport::Write(parser.value(file), store, n, QDateTime::currentDateTime(),
                                     error)
               ? 0
               : Fail(error);
}

// The port the syslog server listens on, from --syslog-port; 0 when the value is no port.
uint SysLogPort(const QCommandLineParser& parser, const QCommandLineOption& option) {
    bool ok = false;
    const uint port = parser.value(option).toUInt(&ok);
    return ok && port <= 65535 ? port : 0;
}

void NameApplication() {
    QCoreApplication::setOrganizationName(QStringLiteral("Corvane"));
    QCoreApplication::setApplicationName(QStringLiteral("LineScope"));
    // The application's title is its name (WM_CLASS, the desktop entry's Name); a display name
    // would be appended to every window's caption. The desktop file names its taskbar icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("linescope"));
    const QIcon icon = app::artwork::ProgramIcon();
    if (!icon.availableSizes().isEmpty()) QApplication::setWindowIcon(icon);
}

} // namespace

int main(int argc, char** argv) {
#ifdef __linux__
    // Started with the capability to bind port 514: the kernel ignores library-path variables,
    // but keeps the process dumpable when no user id changes. A core of a privileged process is
    // not to be left behind, nor its memory readable by others of the same user.
    if (getauxval(AT_SECURE) != 0) prctl(PR_SET_DUMPABLE, 0);
#endif
    if (HasOption(argc, argv, "--export-history") || HasOption(argc, argv, "--export-usage"))
        return ExportHistory(argc, argv);
    if (HasOption(argc, argv, "--line-report")) return LineReport(argc, argv);
#ifdef LINESCOPE_SERVICE
    // The service never loads the widgets, nor takes the window's single-instance lock.
    if (HasOption(argc, argv, "--service")) return service::RunService(argc, argv);
    if (HasOption(argc, argv, "--service-listen")) return service::SetServiceListen(argc, argv);
    if (HasOption(argc, argv, "--service-token")) return service::PrintServiceToken(argc, argv);
#endif
    // Help is read under ssh as often as at a desktop: printing it needs no display.
    for (const char* help : {"--help", "-h", "-?", "--help-all"})
        if (HasOption(argc, argv, help)) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    NameApplication();

    // Binding 514 needs privileges; the demo and users without them pick another port.
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A monitor for the Corvane R62GX/R63 ADSL router.\n\n"
                       "linescope --export-history FILE [--since YYYY-MM-DD] writes the line "
                       "history as CSV, without a window, beside a running LineScope;\n"
                       "linescope --export-usage FILE [--since YYYY-MM-DD] the volume down and "
                       "up per day and month;\n"
                       "linescope --line-report FILE.pdf [--days N] the line report over the last "
                       "N days (7; 1 to 366) as PDF, without a display;\n"
                       "linescope --service [--syslog-port N] records the line history, runs the "
                       "syslog server and serves the web page and metrics without a window;\n"
                       "linescope --service-listen ADDR:PORT sets where the service listens;\n"
                       "linescope --service-token prints the token beyond 127.0.0.1 and [::1]."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("syslog-port"),
                                        QStringLiteral("UDP port of the syslog server (514)."),
                                        QStringLiteral("N"), QStringLiteral("514"));
    parser.addOption(portOption);
    parser.process(application);
    const uint port = SysLogPort(parser, portOption);
    if (port == 0) {
        fputs("linescope: --syslog-port wants a port number from 1 to 65535\n", stderr);
        return 2;
    }

    // A start that opens a window (every one, so far) defers to a window already running.
    app::SingleInstance instance;
    if (!instance.Claim()) {
        if (instance.WakeRunning()) return 0;
        fputs("linescope: another LineScope is running but does not answer\n", stderr);
        return 1;
    }

    // Caught before the window starts its syslog server and fetches, so a signal never kills the
    // program unsaved. One that comes while the window is still being built (waiting in a
    // start-up message box, say) ends that box and keeps others from opening, and the program
    // ends once the window is built; a save request alone then waits for the window.
    app::SessionEnd session;
    TForm1* window = nullptr;
    bool endOnceBuilt = false;
    QObject::connect(&session, &app::SessionEnd::Ending, qApp, [&window, &endOnceBuilt](bool quit) {
        if (window != nullptr) return window->LogOff().End(quit);
        if (!quit) return;
        endOnceBuilt = true;
        app::Modal::EndAll();
    });
    session.Listen();

    core::SystemClock clock;
    core::SystemSounds sounds([](core::Sound) { QApplication::beep(); });
    app::OverrideCursor cursor;
    app::CriticalMessageBoxes messages;
    app::SaveDialog saveDialog;
    TForm1 form({clock, sounds, cursor, messages, saveDialog, static_cast<uint16_t>(port)});
    window = &form;
    if (endOnceBuilt) {
        form.LogOff().End(true);
        return 0;
    }
    QObject::connect(&form.LogOff(), &app::LogOff::Finished, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (form.ShowOnStart()) form.show(); // minimised already when asked to start so
    QObject::connect(&instance, &app::SingleInstance::Activated, &form, &TForm1::TrayIconCallBack);
    return QApplication::exec();
}
