#include "service/ServiceMain.h"

#include "core/Seams.h"
#include "core/Settings.h"
#include "service/Service.h"
#include "service/ServiceSignals.h"
#include "service/WebAccess.h"
#include "service/WindowLink.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <cstdio>

namespace service {

namespace {

// `code` 2 for a usage error, 1 for one the run met.
int Fail(const QString& text, int code = 1) {
    fprintf(stderr, "linescope: %s\n", qPrintable(text.simplified()));
    return code;
}

// Parses the arguments for one mode; false, with the message printed, for anything else.
bool Parse(QCommandLineParser& parser, const QList<QCommandLineOption>& options) {
    parser.addOptions(options);
    if (!parser.parse(QCoreApplication::arguments())) {
        Fail(parser.errorText());
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        Fail(QStringLiteral("unexpected argument ") + parser.positionalArguments().first());
        return false;
    }
    return true;
}

} // namespace

int RunService(int argc, char** argv) {
    // Started by systemd there is no display: the charts and the report draw offscreen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption run(QStringLiteral("service"),
                                 QStringLiteral("Record and serve without a window."));
    const QCommandLineOption port(QStringLiteral("syslog-port"),
                                  QStringLiteral("UDP port of the syslog server (514)."),
                                  QStringLiteral("N"), QStringLiteral("514"));
    if (!Parse(parser, {run, port})) return 2;
    bool number = false;
    const uint syslogPort = parser.value(port).toUInt(&number);
    if (!number || syslogPort == 0 || syslogPort > 65535)
        return Fail(QStringLiteral("--syslog-port wants a port number from 1 to 65535"), 2);

    ServiceSignals caught;
    core::SystemClock clock;
    Service service({{}, {}, static_cast<uint16_t>(syslogPort)}, clock);
    WindowLink window(service);
    QObject::connect(&caught, &ServiceSignals::Hangup, &service, &Service::Reload);
    QObject::connect(&caught, &ServiceSignals::Terminate, &service, [&service, &window] {
        service.Stop();
        window.SayGoodbye(); // after the jobs let go, so an open window can take them
        QCoreApplication::quit();
    });
    QString error;
    // Listening first: a window already open hears of the service and hands over at once.
    if (!window.Listen(error))
        Fail(error + QStringLiteral("; the service runs without its window"));
    if (!service.Start(error)) return Fail(error);
    return QGuiApplication::exec();
}

int SetServiceListen(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption listen(
        QStringLiteral("service-listen"),
        QStringLiteral("Where the service's web page and metrics listen."),
        QStringLiteral("ADDR:PORT"));
    if (!Parse(parser, {listen})) return 2;
    QString error;
    if (!ParseListen(parser.value(listen), error))
        return Fail(QStringLiteral("--service-listen %1: %2").arg(parser.value(listen), error), 2);
    core::SettingsStore store;
    core::Settings settings;
    settings.ServiceListen = parser.value(listen);
    if (!store.WriteOneOption(settings, "ServiceListen"))
        return Fail(QStringLiteral("could not write %1").arg(store.FileName()));
    return 0;
}

int PrintServiceToken(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption token(QStringLiteral("service-token"),
                                   QStringLiteral("Print the service's token."));
    if (!Parse(parser, {token})) return 2;
    QString error;
    const auto made =
        LoadOrCreateToken(TokenFileName(core::SettingsStore::DefaultFileName()), error);
    if (!made) return Fail(error);
    printf("%s\n", made->constData());
    return 0;
}

} // namespace service
