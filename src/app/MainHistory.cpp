// The line history in the window: the recorder's rhythm, what its samples are handed to, and
// the events told in the log and on the desktop.
#include "LineHistory.h"
#include "Main.h"
#include "app/pages/DataPages.h"
#include "app/tray/TrayControl.h"
#include "core/SysLog.h"

void TForm1::BuildHistory() {
    history_ = new app::LineHistory(query_, stats_, settings_, seams_.clock, {}, this);
    connect(history_, &app::LineHistory::Settled, this, [this](bool wasPresent) {
        // Like a refresh that lost the router; the read itself adds no messages.
        dataPages_->Settled(wasPresent);
    });
    connect(history_, &app::LineHistory::Sampled, this, &TForm1::HistorySampled);
    connect(history_, &app::LineHistory::Problem, this, &TForm1::HistoryProblem);
    connect(history_, &app::LineHistory::SampleWritten, this, &TForm1::HistoryChanged);
}

void TForm1::StartHistory() {
    history_->Start();
}

void TForm1::HistorySampled(const core::history::Sample& /*sample*/,
                            const std::vector<core::history::Event>& events) {
    for (const core::history::Event& event : events)
        TellLineEvent(event);
}

void TForm1::TellLineEvent(const core::history::Event& event) {
    if (sysLog_->Active()) AddSysLogEntry(core::history::EventLogLine(event), true, true);
    if (settings_.HistoryNotify && TrayIconPresent())
        tray_->Notify(core::history::EventName(event.kind), event.detail);
}

void TForm1::HistoryProblem(const QString& problem) {
    if (historyProblemShown_) return;
    historyProblemShown_ = true;
    seams_.messages.Error(this, problem);
}
