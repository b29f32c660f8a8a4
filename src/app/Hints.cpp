// The program's hints: every control's text from the dictionary, and how long a hint stays up.
#include "app/Hints.h"

#include "mib/MIBConstants.h"

#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>
#include <QWidget>

namespace app {

bool HintFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    const QString hint = widget->toolTip();
    if (hint.isEmpty()) return QObject::eventFilter(watched, event);
    // Hints are plain text; one such as "<???> process ID" must not be taken for markup.
    const QString shown = Qt::mightBeRichText(hint)
                              ? QStringLiteral("<p style='white-space:pre'>") +
                                    hint.toHtmlEscaped() + QStringLiteral("</p>")
                              : hint;
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), shown, widget, QRect(),
                       HintHidePause);
    return true;
}

void SetHint(QWidget* control, std::string_view hint) {
    if (control != nullptr) control->setToolTip(QString::fromLatin1(hint.data(), hint.size()));
}

void SetAllHints(QWidget& window) {
    // By name, so controls that later parts of the window add (the syslog page's buttons, the
    // floating syslog window's) are found as well; a control that does not exist is skipped.
    auto hint = [&window](const char* name, std::string_view text) {
        SetHint(window.findChild<QWidget*>(QString::fromLatin1(name)), text);
    };
    for (const char* name :
         {"SystemBtnRefresh", "IntfBtnRefresh", "ADSLBtnRefresh", "IPBtnRefresh", "ICMPBtnRefresh",
          "TCPBtnRefresh", "UDPBtnRefresh", "SNMPBtnRefresh", "TableBtnRefresh"})
        hint(name, mib::RefreshHint);
    for (const char* name : {"SystemBtnSet1", "SystemBtnSet2", "SystemBtnSet3"})
        hint(name, mib::SetHint);
    const char* intf[] = {"IntfBtnLAN", "IntfBtnWAN", "IntfBtnLANX", "IntfBtnWANX"};
    for (std::size_t i = 0; i < std::size(intf); ++i)
        hint(intf[i], mib::IntfHints[i]);
    const char* adsl[] = {"ADSLBtnUpStream", "ADSLBtnDownStream"};
    for (std::size_t i = 0; i < std::size(adsl); ++i)
        hint(adsl[i], mib::AdslHints[i]);
    const char* tables[] = {"TableBtnAddr", "TableBtnRoute", "TableBtnMedia",
                            "TableBtnConn", "TableBtnUDP",   "TableBtnSave"};
    for (std::size_t i = 0; i < std::size(tables); ++i)
        hint(tables[i], mib::TableHints[i]);
    SetHint(window.findChild<QWidget*>(QStringLiteral("TableBtnEvents")),
            "Show the line's events from its history: resyncs, line down, router restarts, low SNR "
            "margin and bursts of errored seconds");
    SetHint(window.findChild<QWidget*>(QStringLiteral("TableBtnUsage")),
            "Show the volume used per month and per day from the line's history, newest first");
    const char* syslog[] = {"SysLogBtnClear", "SysLogBtnSave", "SysLogBtnUnDock"};
    for (std::size_t i = 0; i < std::size(syslog); ++i)
        hint(syslog[i], mib::SysLogHints[i]);
    // The floating syslog window's buttons: its dock button gets the "dock" text.
    const std::pair<const char*, std::size_t> floating[] = {
        {"tRollOverBtn1", 0}, {"tRollOverBtn2", 1}, {"tRollOverBtn3", 3}};
    for (const auto& [name, entry] : floating)
        hint(name, mib::SysLogHints[entry]);
    // The Options page: the label cells beside the toggles carry the hints, not the toggles.
    const char* options[] = {
        "tRazCell130",          "tRazCell131", "OptionsBtnConnect", "tRazCell133", "tRazCell134",
        "tRazCell138",          "tRazCell125", "tRazCell141",       "tRazCell142", "tRazCell132",
        "tRazCell137",          "tRazCell136", "tRazCell135",       "tRazCell139", "tRazCell140",
        "OptionsBtnSysLogFile", "tRazCell161"};
    for (std::size_t i = 0; i < std::size(options); ++i)
        hint(options[i], mib::OptionsHints[i]);
}

} // namespace app
