#include "app/pages/DataPages.h"

#include "app/Dialogs.h"
#include "app/pages/PageStack.h"
#include "core/RouterQuery.h"
#include "core/Settings.h"
#include "core/Statistics.h"
#include "widgets/RazCell.h"
#include "widgets/RollOverBtn.h"

#include <QLabel>
#include <QLineEdit>

using widgets::tRazCell;

namespace app {

namespace {

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), text.size());
}

// What the router holds is octets; the edits show them one character per octet and send
// them back the same way.
std::string Octets(const QString& text) {
    return text.toLatin1().toStdString();
}

// Cells whose value follows one SystemValues entry; 151 and 152 are chosen by UseHCCounters.
struct SystemCell {
    int cell;
    int entry;
};
constexpr SystemCell SystemCells[] = {
    {129, 4},  {145, 5},  {150, 6},  {146, 7},  {147, 8},  {153, 11}, {154, 12},
    {155, 13}, {156, 14}, {157, 15}, {158, 16}, {159, 17}, {160, 18},
};
// The edits of the three writable strings, over the value half of their cells.
constexpr std::pair<const char*, int> StringEdits[] = {
    {"Edit3", 126}, {"Edit4", 127}, {"Edit5", 128}};

} // namespace

DataPages::DataPages(const PageStack& pages, Outside outside)
    : outside_(std::move(outside)), pages_(pages),
      tables_(pages, {outside_.query, outside_.stats, outside_.messages, outside_.saveDialog,
                      outside_.dialogParent, outside_.history,
                      [this](bool wasPresent) { Settled(wasPresent); }}),
      intfButtons_{pages.Button("IntfBtnLAN"), pages.Button("IntfBtnWAN"),
                   pages.Button("IntfBtnLANX"), pages.Button("IntfBtnWANX")},
      adslButtons_{pages.Button("ADSLBtnUpStream"), pages.Button("ADSLBtnDownStream")},
      ui_{pages.Control<QLabel>("StaticText5"), pages.Control<QLabel>("StaticText6"),
          pages.Control<QLabel>("StaticText7"), pages.Control<QLabel>("StaticText8"),
          pages.Control<QLabel>("Label11"),     pages.Control<QLabel>("Label15"),
          pages.Control<QLabel>("Label22"),     pages.Control<QLabel>("Label23"),
          pages.Control<QLineEdit>("Edit3"),    pages.Control<QLineEdit>("Edit4"),
          pages.Control<QLineEdit>("Edit5")} {
    intfButtons_.Select(1);
    adslButtons_.Select(1);
    // Assistive technology reads an edit by the label of the cell it lies over.
    for (const auto& [edit, cell] : StringEdits)
        pages.Control<QLineEdit>(edit)->setAccessibleName(pages.Cell(cell)->String1());
    ConnectButtons();
}

void DataPages::ConnectButtons() {
    const auto on = [this](const char* name, auto handler) {
        connect(pages_.Button(name), &widgets::tRollOverBtn::clicked, this, handler);
    };
    for (std::size_t entry = 1; entry <= 3; ++entry)
        on(QByteArray("SystemBtnSet" + QByteArray::number(entry)).constData(),
           [this, entry] { SetSystemString(entry); });
    on("SystemBtnRefresh", [this] { RefreshSystem(); });
    const char* intf[] = {"IntfBtnLAN", "IntfBtnWAN", "IntfBtnLANX", "IntfBtnWANX"};
    for (int view = 1; view <= 4; ++view)
        on(intf[view - 1], [this, view] { SelectIntfView(view); });
    on("IntfBtnRefresh", [this] { RefreshInterfaces(); });
    on("ADSLBtnUpStream", [this] { SelectADSLView(1); });
    on("ADSLBtnDownStream", [this] { SelectADSLView(2); });
    on("ADSLBtnRefresh", [this] { RefreshADSL(); });
    for (int group = 0; group < 5; ++group)
        on(CounterPages[group].refreshButton.data(), [this, group] { RefreshGroup(group); });
}

void DataPages::AlignCell(tRazCell* cell) {
    if (outside_.settings.CntText) {
        cell->SetAlignment1(widgets::Alignment::Centre);
        cell->SetAlignment2(widgets::Alignment::Centre);
    } else {
        cell->SetAlignment1(widgets::Alignment::Right);
        cell->SetAlignment2(widgets::Alignment::Left);
    }
}

void DataPages::UpdateCell(tRazCell* cell, const mib::TMIBEntry& entry, const std::string& value) {
    AlignCell(cell);
    cell->SetString1(Latin1(entry.Label));
    cell->setToolTip(Latin1(entry.Hint));
    // Values fetched before a failed identity check stay in memory but are not shown.
    cell->SetString2(outside_.query.RouterPresent ? Latin1(value) : QString());
}

void DataPages::UpdateAllCells() {
    SystemUpdateCells();
    ipUpdateCells();
    icmpUpdateCells();
    tcpUpdateCells();
    udpUpdateCells();
    snmpUpdateCells();
    interfacesUpdateCells();
    ADSLUpdateCells();
}

void DataPages::GetAllData() {
    // Identity check, then every group under the busy cursor. A router that fails the check, or
    // is lost half-way, leaves nothing of a previous router on the pages.
    outside_.stats.GetAllData();
    ui_.StaticText5->setText(outside_.query.StatusText);
    // The full fetch walked the selected table again; the view follows it.
    tables_.ShowTableLines();
    lastTimerReport_.clear();
    ReportErrors();
}

void DataPages::RefreshTick() {
    if (reporting_) return; // a tick that comes while an error box is open
    const bool wasPresent = outside_.query.RouterPresent;
    if (wasPresent) outside_.stats.SystemGetData();
    SystemUpdateCellValues();
    Settled(wasPresent, true);
}

void DataPages::ShowRouterAbsent() {
    outside_.stats.ForgetRouter();
    ui_.StaticText5->setText(outside_.query.StatusText);
    UpdateAllCells();
    tables_.ShowTableLines();
}

void DataPages::Settled(bool wasPresent, bool fromTimer) {
    if (wasPresent && !outside_.query.RouterPresent) ShowRouterAbsent();
    ReportErrors(fromTimer);
}

void DataPages::ReportErrors(bool fromTimer) {
    std::vector<std::string>& errors = outside_.stats.Errors;
    if (errors.empty()) {
        if (fromTimer) lastTimerReport_.clear(); // a clean tick: the next failure is news
        return;
    }
    // One box per fetch, each distinct message once.
    QStringList messages;
    for (const std::string& error : errors) {
        const QString message = Latin1(error);
        if (!messages.contains(message)) messages.append(message);
    }
    errors.clear();
    const QString report = messages.join(QLatin1Char('\n'));
    // The refresh timer repeats the same fetch every few seconds: a value that cannot be read
    // is reported once, not on every tick, and never while its box is still open.
    if (fromTimer && report == lastTimerReport_) return;
    if (fromTimer) lastTimerReport_ = report;
    if (reporting_) return;
    reporting_ = true;
    outside_.messages.Error(outside_.dialogParent, report);
    reporting_ = false;
}

// ---- General Info ------------------------------------------------------------------------------

void DataPages::SystemUpdateCells() {
    const auto& values = outside_.stats.SystemValues;
    for (std::size_t i = 0; i < 3; ++i) {
        const mib::TMIBEntry& entry = mib::SystemMIB[i + 1];
        tRazCell* cell = pages_.Cell(StringEdits[i].second);
        cell->SetString1(Latin1(entry.Label));
        cell->setToolTip(Latin1(entry.Hint));
        StringEdit(i + 1)->setText(Latin1(values[i + 1]));
        AlignCell(cell);
    }
    for (const SystemCell& c : SystemCells)
        UpdateCell(pages_.Cell(c.cell), mib::SystemMIB[c.entry],
                   values[static_cast<std::size_t>(c.entry)]);
    const bool hc = outside_.stats.UseHCCounters;
    const std::size_t in = hc ? 9 : 21;
    const std::size_t out = hc ? 10 : 22;
    UpdateCell(pages_.Cell(151), mib::SystemMIB[in], values[in]);
    UpdateCell(pages_.Cell(152), mib::SystemMIB[out], values[out]);
    SystemHeadlines();
    for (int number : {143, 144, 148, 149})
        AlignCell(pages_.Cell(number));
}

void DataPages::SystemUpdateCellValues() {
    // Like UpdateCell, a tick shows no values while the router is known to be absent: values
    // from before a failed identity check would otherwise pass for current ones.
    const auto& values = outside_.stats.SystemValues;
    auto shown = [this, &values](std::size_t entry) {
        return outside_.query.RouterPresent ? Latin1(values[entry]) : QString();
    };
    for (const SystemCell& c : SystemCells)
        pages_.Cell(c.cell)->SetString2(shown(static_cast<std::size_t>(c.entry)));
    pages_.Cell(151)->SetString2(shown(outside_.stats.UseHCCounters ? 9 : 21));
    pages_.Cell(152)->SetString2(shown(outside_.stats.UseHCCounters ? 10 : 22));
    SystemHeadlines();
}

void DataPages::SystemHeadlines() {
    const core::Statistics& stats = outside_.stats;
    pages_.Cell(143)->SetString2(Latin1(stats.LanIpAddress));
    pages_.Cell(144)->SetString2(Latin1(stats.LanNetMask));
    pages_.Cell(148)->SetString2(Latin1(stats.WanIpAddress));
    pages_.Cell(149)->SetString2(Latin1(stats.WanNetMask));
    // The headlines the last fetch wrote.
    ui_.StaticText6->setText(stats.StaticText6);
    ui_.StaticText7->setText(stats.StaticText7);
    ui_.StaticText8->setText(stats.StaticText8);
    ui_.Label22->setText(stats.Label22);
    ui_.Label23->setText(stats.Label23);
}

void DataPages::SetSystemString(std::size_t entry) {
    QLineEdit* edit = StringEdit(entry);
    // Router strings are Latin-1 octets; anything else would arrive as "?".
    if (const QString bad = core::NonLatin1Characters(edit->text()); !bad.isEmpty()) {
        outside_.messages.Error(outside_.dialogParent, core::NonLatin1Message(bad));
        return;
    }
    const bool wasPresent = outside_.query.RouterPresent;
    std::string result;
    using Result = core::RouterQuery::SetResult;
    switch (outside_.query.SetSNMPString(mib::SystemMIB[entry].OID, Octets(edit->text()), result)) {
    case Result::Done:
        outside_.stats.SystemValues[entry] = result;
        edit->setText(Latin1(result));
        break;
    case Result::NotSent:
        break;
    case Result::NoAnswer:
        // Never left looking accepted: the edit goes back to what the router held.
        edit->setText(Latin1(outside_.stats.SystemValues[entry]));
        outside_.stats.Errors.push_back(std::string(mib::SystemMIB[entry].Label) +
                                        " was not set: the router did not answer.");
        break;
    }
    Settled(wasPresent);
}

void DataPages::RefreshSystem() {
    const bool wasPresent = outside_.query.RouterPresent;
    if (wasPresent) outside_.stats.SystemGetData();
    SystemUpdateCells();
    Settled(wasPresent);
}

QLineEdit* DataPages::StringEdit(std::size_t entry) const {
    return entry == 1 ? ui_.Edit3 : entry == 2 ? ui_.Edit4 : ui_.Edit5;
}

// ---- Interfaces ---------------------------------------------------------------------------------

void DataPages::interfacesUpdateCells() {
    if (outside_.stats.IntfView <= 2)
        intfUpdateCells();
    else
        ifxUpdateCells();
}

void DataPages::intfUpdateCells() {
    for (int number : {110, 111, 112})
        pages_.Cell(number)->setVisible(true);
    for (std::size_t i = 0; i < mib::IfMIBLength; ++i)
        UpdateCell(pages_.Cell(93 + static_cast<int>(i)), mib::IfMIB[i],
                   outside_.stats.IntfValues[i]);
}

void DataPages::ifxUpdateCells() {
    // The ifX view has three entries fewer.
    for (int number : {110, 111, 112})
        pages_.Cell(number)->setVisible(false);
    for (std::size_t i = 0; i < mib::IfXMIBLength; ++i)
        UpdateCell(pages_.Cell(93 + static_cast<int>(i)), mib::IfXMIB[i],
                   outside_.stats.IfxValues[i]);
}

void DataPages::SelectIntfView(int view) {
    const bool wasPresent = outside_.query.RouterPresent;
    if (!outside_.stats.SelectIntfView(view)) return; // already shown: no fetch, no repaint
    intfButtons_.Select(view);
    static const char* const headings[] = {"Ethernet", "WAN Uplink", "Ethernet (ifX)",
                                           "WAN Uplink (ifX)"};
    ui_.Label11->setText(QString::fromLatin1(headings[view - 1]));
    interfacesUpdateCells();
    Settled(wasPresent);
}

void DataPages::RefreshInterfaces() {
    const bool wasPresent = outside_.query.RouterPresent;
    if (wasPresent) outside_.stats.interfacesGetData();
    interfacesUpdateCells();
    Settled(wasPresent);
}

// ---- ADSL-Line ----------------------------------------------------------------------------------

void DataPages::ADSLUpdateCells() {
    tRazCell* status = pages_.Cell(118);
    status->resize(outside_.stats.ADSLStatusWidth, status->height());
    for (std::size_t i = 0; i < mib::AtucMIBLength; ++i)
        UpdateCell(pages_.Cell(113 + static_cast<int>(i)), mib::AtucMIB[i],
                   outside_.stats.ADSLValues[i]);
}

void DataPages::SelectADSLView(int view) {
    const bool wasPresent = outside_.query.RouterPresent;
    if (!outside_.stats.SelectADSLView(view)) return;
    adslButtons_.Select(view);
    ui_.Label15->setText(view == 1 ? QStringLiteral("UpStream(ATU-R)")
                                   : QStringLiteral("DownStream(ATU-C)"));
    ADSLUpdateCells();
    Settled(wasPresent);
}

void DataPages::RefreshADSL() {
    const bool wasPresent = outside_.query.RouterPresent;
    if (wasPresent) outside_.stats.ADSLGetData();
    ADSLUpdateCells();
    Settled(wasPresent);
}

// ---- Protocol counters --------------------------------------------------------------------------

void DataPages::UpdateGroupCells(int group, std::span<const std::string> values) {
    const CounterPage& page = CounterPages[group];
    for (std::size_t i = 0; i < page.entries.size(); ++i)
        UpdateCell(pages_.Cell(page.firstCell + static_cast<int>(i)), page.entries[i], values[i]);
}

void DataPages::ipUpdateCells() {
    UpdateGroupCells(0, outside_.stats.IpValues);
}
void DataPages::icmpUpdateCells() {
    UpdateGroupCells(1, outside_.stats.IcmpValues);
}
void DataPages::tcpUpdateCells() {
    UpdateGroupCells(2, outside_.stats.TcpValues);
}
void DataPages::udpUpdateCells() {
    UpdateGroupCells(3, outside_.stats.UdpValues);
}
void DataPages::snmpUpdateCells() {
    UpdateGroupCells(4, outside_.stats.SnmpValues);
}

void DataPages::RefreshGroup(int group) {
    core::Statistics& stats = outside_.stats;
    const bool wasPresent = outside_.query.RouterPresent;
    // Each page's fetch and its cells, in CounterPages' order.
    const std::pair<void (core::Statistics::*)(), void (DataPages::*)()> pages[] = {
        {&core::Statistics::ipGetData, &DataPages::ipUpdateCells},
        {&core::Statistics::icmpGetData, &DataPages::icmpUpdateCells},
        {&core::Statistics::tcpGetData, &DataPages::tcpUpdateCells},
        {&core::Statistics::udpGetData, &DataPages::udpUpdateCells},
        {&core::Statistics::snmpGetData, &DataPages::snmpUpdateCells},
    };
    const auto& [fetch, show] = pages[std::clamp(group, 0, 4)];
    if (wasPresent) (stats.*fetch)();
    (this->*show)();
    Settled(wasPresent);
}

} // namespace app
