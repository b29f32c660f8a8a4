// The line history in the window: the recorder's rhythm, the read-only store the export and the
// event table read, and the events told in the log and on the desktop.
#include "Main.h"
#include "app/graph/GraphPage.h"
#include "app/pages/DataPages.h"
#include "app/tray/TrayControl.h"
#include "core/LineHistory.h"
#include "core/SysLog.h"
#include "core/Usage.h"

void TForm1::BuildHistory() {
    history_ = new core::history::LineHistory(query_, stats_, settings_, seams_.clock, {}, this);
    connect(history_, &core::history::LineHistory::Settled, this, [this](bool wasPresent) {
        // Like a refresh that lost the router; the read itself adds no messages.
        dataPages_->Settled(wasPresent);
    });
    connect(history_, &core::history::LineHistory::Sampled, this, &TForm1::HistorySampled);
    connect(history_, &core::history::LineHistory::Problem, this, &TForm1::HistoryProblem);
    connect(history_, &core::history::LineHistory::SampleWritten, this, &TForm1::HistoryChanged);
    connect(history_, &core::history::LineHistory::UsageNotices, this, &TForm1::TellUsageNotices);
}

void TForm1::BuildServiceLink() {
    serviceLink_ = std::make_unique<app::ServiceLink>(
        app::ServiceLink::Parts{settings_, store_, *history_, *sysLogViewer_},
        app::ServiceLink::Hooks{
            .historyChanged = [this] { HistoryChanged(); },
            .tellEvent = [this](const core::history::Event& event) { TellLineEvent(event); },
            .tellNotices = [this](const auto& notices) { TellUsageNotices(notices); },
        });
}

const core::history::HistoryStore* TForm1::History() {
    // Read-only: the recorder creates the file; until it has, every look tries again.
    if (!historyStore_) {
        auto store = std::make_unique<core::history::HistoryStore>(
            core::history::HistoryStore::DefaultFileName(),
            core::history::HistoryStore::Mode::Read);
        if (store->Open()) historyStore_ = std::move(store);
    }
    return historyStore_.get();
}

void TForm1::HistoryChanged() {
    graph_->HistoryChanged();
    dataPages_->Tables().HistoryChanged();
}

void TForm1::HistorySampled(const std::vector<core::history::Event>& events) {
    for (const core::history::Event& event : events)
        TellLineEvent(event);
}

void TForm1::TellLineEvent(const core::history::Event& event) {
    if (SysLogServer().Active()) AddSysLogEntry(core::history::EventLogLine(event), true, true);
    if (settings_.HistoryNotify && TrayIconPresent())
        tray_->Notify(core::history::EventName(event.kind), event.detail);
}

void TForm1::TellUsageNotices(const std::vector<core::history::UsageNotice>& notices) {
    // As the line events are told: in the log while the server runs, and on the desktop.
    for (const core::history::UsageNotice& notice : notices) {
        if (SysLogServer().Active())
            AddSysLogEntry(core::history::NoticeLogLine(notice), true, true);
        if (TrayIconPresent())
            tray_->Notify(QStringLiteral("Monthly allowance"),
                          QStringLiteral("%1% of the monthly allowance of %2 GB used")
                              .arg(notice.percent)
                              .arg(notice.capGB));
    }
}

void TForm1::HistoryProblem(const QString& problem) {
    if (historyProblemShown_) return;
    historyProblemShown_ = true;
    seams_.messages.Error(this, problem);
}
