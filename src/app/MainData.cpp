// Binds the core's value arrays to the cells of the data pages, and the data pages' handlers.
#include "app/graph/HistoryView.h"
#include "Main.h"
#include "widgets/RazCell.h"
#include "widgets/RollOverBtn.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <limits>
#include <type_traits>

using widgets::tRazCell;

namespace {

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), text.size());
}

// What the router holds is octets; the edits show them one character per octet and send
// them back the same way.
std::string Octets(const QString& text) {
    return text.toLatin1().toStdString();
}

} // namespace

void TForm1::BindControls() {
    const auto bind = [this](auto*& control, const char* name) {
        control = findChild<std::remove_reference_t<decltype(control)>>(QString::fromLatin1(name));
        Q_ASSERT(control != nullptr);
    };
    bind(ui_.StaticText5, "StaticText5");
    bind(ui_.StaticText6, "StaticText6");
    bind(ui_.StaticText7, "StaticText7");
    bind(ui_.StaticText8, "StaticText8");
    bind(ui_.Label11, "Label11");
    bind(ui_.Label12, "Label12");
    bind(ui_.Label13, "Label13");
    bind(ui_.Label15, "Label15");
    bind(ui_.Label22, "Label22");
    bind(ui_.Label23, "Label23");
    bind(ui_.Edit1, "Edit1");
    bind(ui_.Edit2, "Edit2");
    bind(ui_.Edit3, "Edit3");
    bind(ui_.Edit4, "Edit4");
    bind(ui_.Edit5, "Edit5");
    bind(ui_.Edit6, "Edit6");

    // The edits lie over the value half of a cell whose label names them; assistive
    // technology gets that name too.
    const std::pair<QLineEdit*, int> editCells[] = {{ui_.Edit3, 126}, {ui_.Edit4, 127},
                                                    {ui_.Edit5, 128}, {ui_.Edit1, 130},
                                                    {ui_.Edit2, 131}, {ui_.Edit6, 161}};
    for (const auto& [edit, cell] : editCells)
        edit->setAccessibleName(Cell(cell)->String1());
}

void TForm1::AlignCell(tRazCell* cell) {
    if (settings_.CntText) {
        cell->SetAlignment1(widgets::Alignment::Centre);
        cell->SetAlignment2(widgets::Alignment::Centre);
    } else {
        cell->SetAlignment1(widgets::Alignment::Right);
        cell->SetAlignment2(widgets::Alignment::Left);
    }
}

void TForm1::UpdateCell(tRazCell* cell, const mib::TMIBEntry& entry, const std::string& value) {
    AlignCell(cell);
    cell->SetString1(Latin1(entry.Label));
    SetHint(cell, entry.Hint);
    // Values fetched before a failed identity check stay in memory but are not shown.
    cell->SetString2(query_.RouterPresent ? Latin1(value) : QString());
}

void TForm1::UpdateAllCells() {
    SystemUpdateCells();
    ipUpdateCells();
    icmpUpdateCells();
    tcpUpdateCells();
    udpUpdateCells();
    snmpUpdateCells();
    interfacesUpdateCells();
    ADSLUpdateCells();
}

void TForm1::GetAllData() {
    // Identity check, then every group under the busy cursor. A router that fails the check, or
    // is lost half-way, leaves nothing of a previous router on the pages.
    stats_.GetAllData();
    ui_.StaticText5->setText(query_.StatusText);
    // The full fetch walked the selected table again; the view follows it.
    ShowTableLines();
    lastTimerReport_.clear();
    ReportErrors();
}

void TForm1::ShowRouterAbsent() {
    // What a failed identity check shows: labels only, nothing of the router that was there.
    stats_.ForgetRouter();
    ui_.StaticText5->setText(query_.StatusText);
    UpdateAllCells();
    ShowTableLines();
}

void TForm1::Settled(bool wasPresent, bool fromTimer) {
    if (wasPresent && !query_.RouterPresent) ShowRouterAbsent();
    ReportErrors(fromTimer);
}

void TForm1::ReportErrors(bool fromTimer) {
    if (stats_.Errors.empty()) {
        if (fromTimer) lastTimerReport_.clear(); // a clean tick: the next failure is news
        return;
    }
    // One box per fetch, each distinct message once.
    QStringList messages;
    for (const std::string& error : stats_.Errors) {
        const QString message = Latin1(error);
        if (!messages.contains(message)) messages.append(message);
    }
    stats_.Errors.clear();
    const QString report = messages.join(QLatin1Char('\n'));
    // The refresh timer repeats the same fetch every few seconds: a value that cannot be read
    // is reported once, not on every tick, and never while its box is still open.
    if (fromTimer && report == lastTimerReport_) return;
    if (fromTimer) lastTimerReport_ = report;
    if (reporting_) return;
    reporting_ = true;
    seams_.messages.Error(this, report);
    reporting_ = false;
}

// ---- General Info ------------------------------------------------------------------------------

namespace {

// Cells whose value follows one SystemValues entry; 151 and 152 are chosen by UseHCCounters.
struct SystemCell {
    int cell;
    int entry;
};
constexpr SystemCell SystemCells[] = {
    {129, 4},  {145, 5},  {150, 6},  {146, 7},  {147, 8},  {153, 11}, {154, 12},
    {155, 13}, {156, 14}, {157, 15}, {158, 16}, {159, 17}, {160, 18},
};

} // namespace

void TForm1::SystemUpdateCells() {
    const auto& values = stats_.SystemValues;
    const std::pair<int, QLineEdit*> strings[] = {
        {126, ui_.Edit3}, {127, ui_.Edit4}, {128, ui_.Edit5}};
    for (std::size_t i = 0; i < 3; ++i) {
        const mib::TMIBEntry& entry = mib::SystemMIB[i + 1];
        tRazCell* cell = Cell(strings[i].first);
        cell->SetString1(Latin1(entry.Label));
        SetHint(cell, entry.Hint);
        strings[i].second->setText(Latin1(values[i + 1]));
        AlignCell(cell);
    }
    for (const SystemCell& c : SystemCells)
        UpdateCell(Cell(c.cell), mib::SystemMIB[c.entry],
                   values[static_cast<std::size_t>(c.entry)]);
    const std::size_t in = stats_.UseHCCounters ? 9 : 21;
    const std::size_t out = stats_.UseHCCounters ? 10 : 22;
    UpdateCell(Cell(151), mib::SystemMIB[in], values[in]);
    UpdateCell(Cell(152), mib::SystemMIB[out], values[out]);
    SystemHeadlines();
    for (int number : {143, 144, 148, 149})
        AlignCell(Cell(number));
}

void TForm1::SystemUpdateCellValues() {
    // Like UpdateCell, a tick shows no values while the router is known to be absent: values
    // from before a failed identity check would otherwise pass for current ones.
    const auto& values = stats_.SystemValues;
    auto shown = [this, &values](std::size_t entry) {
        return query_.RouterPresent ? Latin1(values[entry]) : QString();
    };
    for (const SystemCell& c : SystemCells)
        Cell(c.cell)->SetString2(shown(static_cast<std::size_t>(c.entry)));
    Cell(151)->SetString2(shown(stats_.UseHCCounters ? 9 : 21));
    Cell(152)->SetString2(shown(stats_.UseHCCounters ? 10 : 22));
    SystemHeadlines();
}

void TForm1::SystemHeadlines() {
    Cell(143)->SetString2(Latin1(stats_.LanIpAddress));
    Cell(144)->SetString2(Latin1(stats_.LanNetMask));
    Cell(148)->SetString2(Latin1(stats_.WanIpAddress));
    Cell(149)->SetString2(Latin1(stats_.WanNetMask));
    // The headlines the last fetch wrote.
    ui_.StaticText6->setText(stats_.StaticText6);
    ui_.StaticText7->setText(stats_.StaticText7);
    ui_.StaticText8->setText(stats_.StaticText8);
    ui_.Label22->setText(stats_.Label22);
    ui_.Label23->setText(stats_.Label23);
}

void TForm1::SetSystemString(QLineEdit* edit, std::size_t entry) {
    // Router strings are Latin-1 octets; anything else would arrive as "?".
    if (const QString bad = core::NonLatin1Characters(edit->text()); !bad.isEmpty()) {
        seams_.messages.Error(this, core::NonLatin1Message(bad));
        return;
    }
    const bool wasPresent = query_.RouterPresent;
    std::string result;
    using Result = core::RouterQuery::SetResult;
    switch (query_.SetSNMPString(mib::SystemMIB[entry].OID, Octets(edit->text()), result)) {
    case Result::Done:
        stats_.SystemValues[entry] = result;
        edit->setText(Latin1(result));
        break;
    case Result::NotSent:
        break;
    case Result::NoAnswer:
        // Never left looking accepted: the edit goes back to what the router held.
        edit->setText(Latin1(stats_.SystemValues[entry]));
        stats_.Errors.push_back(std::string(mib::SystemMIB[entry].Label) +
                                " was not set: the router did not answer.");
        break;
    }
    Settled(wasPresent);
}

void TForm1::SystemBtnSet1Click() {
    SetSystemString(ui_.Edit3, 1);
}
void TForm1::SystemBtnSet2Click() {
    SetSystemString(ui_.Edit4, 2);
}
void TForm1::SystemBtnSet3Click() {
    SetSystemString(ui_.Edit5, 3);
}

void TForm1::SystemBtnRefreshClick() {
    const bool wasPresent = query_.RouterPresent;
    if (wasPresent) stats_.SystemGetData();
    SystemUpdateCells();
    Settled(wasPresent);
}

// ---- Interfaces ---------------------------------------------------------------------------------

void TForm1::interfacesUpdateCells() {
    if (stats_.IntfView <= 2)
        intfUpdateCells();
    else
        ifxUpdateCells();
}

void TForm1::intfUpdateCells() {
    for (int number : {110, 111, 112})
        Cell(number)->setVisible(true);
    for (std::size_t i = 0; i < mib::IfMIBLength; ++i)
        UpdateCell(Cell(93 + static_cast<int>(i)), mib::IfMIB[i], stats_.IntfValues[i]);
}

void TForm1::ifxUpdateCells() {
    // The ifX view has three entries fewer.
    for (int number : {110, 111, 112})
        Cell(number)->setVisible(false);
    for (std::size_t i = 0; i < mib::IfXMIBLength; ++i)
        UpdateCell(Cell(93 + static_cast<int>(i)), mib::IfXMIB[i], stats_.IfxValues[i]);
}

void TForm1::IntfSelect(int view) {
    const bool wasPresent = query_.RouterPresent;
    if (!stats_.SelectIntfView(view)) return; // already shown: no fetch, no repaint
    ToggleIntButtons(view);
    static const char* const headings[] = {"Ethernet", "WAN Uplink", "Ethernet (ifX)",
                                           "WAN Uplink (ifX)"};
    ui_.Label11->setText(QString::fromLatin1(headings[view - 1]));
    interfacesUpdateCells();
    Settled(wasPresent);
}

void TForm1::IntfBtnLANClick() {
    IntfSelect(1);
}
void TForm1::IntfBtnWANClick() {
    IntfSelect(2);
}
void TForm1::IntfBtnLANXClick() {
    IntfSelect(3);
}
void TForm1::IntfBtnWANXClick() {
    IntfSelect(4);
}

void TForm1::IntfBtnRefreshClick() {
    const bool wasPresent = query_.RouterPresent;
    if (wasPresent) stats_.interfacesGetData();
    interfacesUpdateCells();
    Settled(wasPresent);
}

// ---- ADSL-Line ----------------------------------------------------------------------------------

void TForm1::ADSLUpdateCells() {
    tRazCell* status = Cell(118);
    status->resize(stats_.ADSLStatusWidth, status->height());
    for (std::size_t i = 0; i < mib::AtucMIBLength; ++i)
        UpdateCell(Cell(113 + static_cast<int>(i)), mib::AtucMIB[i], stats_.ADSLValues[i]);
}

void TForm1::ADSLSelect(int view) {
    const bool wasPresent = query_.RouterPresent;
    if (!stats_.SelectADSLView(view)) return;
    ToggleADSLButtons(view);
    ui_.Label15->setText(view == 1 ? QStringLiteral("UpStream(ATU-R)")
                                   : QStringLiteral("DownStream(ATU-C)"));
    ADSLUpdateCells();
    Settled(wasPresent);
}

void TForm1::ADSLBtnUpStreamClick() {
    ADSLSelect(1);
}
void TForm1::ADSLBtnDownStreamClick() {
    ADSLSelect(2);
}

void TForm1::ADSLBtnRefreshClick() {
    const bool wasPresent = query_.RouterPresent;
    if (wasPresent) stats_.ADSLGetData();
    ADSLUpdateCells();
    Settled(wasPresent);
}

// ---- Protocol counters --------------------------------------------------------------------------

void TForm1::UpdateGroupCells(int group, std::span<const std::string> values) {
    const app::CounterPage& page = app::CounterPages[group];
    for (std::size_t i = 0; i < page.entries.size(); ++i)
        UpdateCell(Cell(page.firstCell + static_cast<int>(i)), page.entries[i], values[i]);
}

void TForm1::ipUpdateCells() {
    UpdateGroupCells(0, stats_.IpValues);
}
void TForm1::icmpUpdateCells() {
    UpdateGroupCells(1, stats_.IcmpValues);
}
void TForm1::tcpUpdateCells() {
    UpdateGroupCells(2, stats_.TcpValues);
}
void TForm1::udpUpdateCells() {
    UpdateGroupCells(3, stats_.UdpValues);
}
void TForm1::snmpUpdateCells() {
    UpdateGroupCells(4, stats_.SnmpValues);
}

void TForm1::GroupRefresh(int group) {
    const bool wasPresent = query_.RouterPresent;
    const bool fetch = wasPresent;
    switch (group) {
    case 0:
        if (fetch) stats_.ipGetData();
        ipUpdateCells();
        break;
    case 1:
        if (fetch) stats_.icmpGetData();
        icmpUpdateCells();
        break;
    case 2:
        if (fetch) stats_.tcpGetData();
        tcpUpdateCells();
        break;
    case 3:
        if (fetch) stats_.udpGetData();
        udpUpdateCells();
        break;
    default:
        if (fetch) stats_.snmpGetData();
        snmpUpdateCells();
        break;
    }
    Settled(wasPresent);
}

void TForm1::IPBtnRefreshClick() {
    GroupRefresh(0);
}
void TForm1::ICMPBtnRefreshClick() {
    GroupRefresh(1);
}
void TForm1::TCPBtnRefreshClick() {
    GroupRefresh(2);
}
void TForm1::UDPBtnRefreshClick() {
    GroupRefresh(3);
}
void TForm1::SNMPBtnRefreshClick() {
    GroupRefresh(4);
}

// ---- Tables -------------------------------------------------------------------------------------

void TForm1::ShowTableLines() {
    if (eventsShown_) return; // the event list stays in view until a table is picked
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(stats_.TableLines.size()));
    for (const std::string& line : stats_.TableLines)
        lines.append(Latin1(line));
    memo2_->setPlainText(lines.join(QLatin1Char('\n')));
    memo2_->verticalScrollBar()->setValue(0); // first line in sight
}

void TForm1::TableSelect(int view) {
    const bool wasPresent = query_.RouterPresent;
    const bool fromEvents = std::exchange(eventsShown_, false);
    if (!stats_.SelectTable(view)) { // already walked: nothing is sent
        if (fromEvents) {
            ToggleTabButtons(view);
            ui_.Label12->setText(Latin1(mib::TableNames[view]));
            ShowTableLines();
        }
        return;
    }
    ToggleTabButtons(view);
    ui_.Label12->setText(Latin1(mib::TableNames[view]));
    // While the router is absent nothing was fetched and the view keeps what it showed, unless
    // that was the event list.
    if (query_.RouterPresent || fromEvents) ShowTableLines();
    Settled(wasPresent);
}

void TForm1::TableBtnAddrClick() {
    TableSelect(1);
}
void TForm1::TableBtnRouteClick() {
    TableSelect(2);
}
void TForm1::TableBtnMediaClick() {
    TableSelect(3);
}
void TForm1::TableBtnConnClick() {
    TableSelect(4);
}
void TForm1::TableBtnUDPClick() {
    TableSelect(5);
}

void TForm1::TableBtnEventsClick() {
    eventsShown_ = true;
    ToggleTabButtons(6);
    ui_.Label12->setText(QStringLiteral("Line events"));
    ShowEventLines();
}

void TForm1::ShowEventLines() {
    const core::history::HistoryStore* store = History();
    const QStringList lines =
        store == nullptr ? QStringList{QStringLiteral("No line history has been recorded yet.")}
                         : core::history::EventLines(store->Events(0, std::numeric_limits<int64_t>::max()));
    memo2_->setPlainText(lines.join(QLatin1Char('\n')));
    memo2_->verticalScrollBar()->setValue(0);
}

void TForm1::TableBtnRefreshClick() {
    if (eventsShown_) {
        ShowEventLines();
        return;
    }
    if (!query_.RouterPresent) return;
    stats_.tablesGetData();
    ShowTableLines();
    Settled(true);
}

void TForm1::TableBtnSaveClick() {
    QString name;
    std::vector<std::string> eventLines;
    if (eventsShown_) {
        name = QStringLiteral("LineEvents");
        // UTF-8: the locale's dates are not always Latin-1, unlike the router's tables.
        for (const QString& line : memo2_->toPlainText().split(QLatin1Char('\n')))
            eventLines.push_back(line.toUtf8().toStdString());
    } else {
        const int view = stats_.TableView;
        if (view < 1 || view > 5) return;
        name = Latin1(mib::TableNames[view]);
    }
    const std::optional<QString> path = SaveDialog1().Execute(
        this, QStringLiteral("Please choose filename and path for Table file"), name);
    if (!path) return;
    // The file holds exactly the view: its lines as 8-bit text, each ended by CR LF.
    const QString error =
        core::WriteTableFile(*path, eventsShown_ ? eventLines : stats_.TableLines);
    if (!error.isEmpty()) seams_.messages.Error(this, error);
}
