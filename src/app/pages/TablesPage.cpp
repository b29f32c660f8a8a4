#include "app/pages/TablesPage.h"

#include "app/Dialogs.h"
#include "app/pages/PageStack.h"
#include "core/History.h"
#include "core/HistoryStore.h"
#include "core/RouterQuery.h"
#include "core/Statistics.h"
#include "core/TableLayout.h"
#include "core/Usage.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <limits>

namespace app {

namespace {

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), text.size());
}

void ShowLines(QPlainTextEdit* view, const QStringList& lines) {
    view->setPlainText(lines.join(QLatin1Char('\n')));
    view->verticalScrollBar()->setValue(0); // first line in sight
}

} // namespace

TablesPage::TablesPage(const PageStack& pages, Outside outside)
    : outside_(std::move(outside)), memo2_(pages.Memo2()), tableFont_(memo2_->font()),
      usageFont_(QFontDatabase::systemFont(QFontDatabase::FixedFont)),
      label12_(pages.Control<QLabel>("Label12")), buttons_{pages.Button("TableBtnAddr"),
                                                           pages.Button("TableBtnRoute"),
                                                           pages.Button("TableBtnMedia"),
                                                           pages.Button("TableBtnConn"),
                                                           pages.Button("TableBtnUDP"),
                                                           pages.Button("TableBtnEvents"),
                                                           pages.Button("TableBtnUsage")} {
    for (int view = 1; view <= 5; ++view)
        connect(buttons_.Buttons()[static_cast<std::size_t>(view - 1)],
                &widgets::tRollOverBtn::clicked, this, [this, view] { Select(view); });
    connect(pages.Button("TableBtnEvents"), &widgets::tRollOverBtn::clicked, this,
            &TablesPage::ShowEvents);
    connect(pages.Button("TableBtnUsage"), &widgets::tRollOverBtn::clicked, this,
            &TablesPage::ShowUsage);
    connect(pages.Button("TableBtnRefresh"), &widgets::tRollOverBtn::clicked, this,
            &TablesPage::Refresh);
    connect(pages.Button("TableBtnSave"), &widgets::tRollOverBtn::clicked, this, &TablesPage::Save);
    usageFont_.setPixelSize(12);
}

void TablesPage::ShowTableLines() {
    // A view of the history stays until a table is picked.
    if (historyShown_ != HistoryView::None) return;
    memo2_->setFont(tableFont_);
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(outside_.stats.TableLines.size()));
    for (const std::string& line : outside_.stats.TableLines)
        lines.append(Latin1(line));
    ShowLines(memo2_, lines);
}

void TablesPage::Select(int view) {
    const bool wasPresent = outside_.query.RouterPresent;
    const bool fromEvents = std::exchange(historyShown_, HistoryView::None) != HistoryView::None;
    if (!outside_.stats.SelectTable(view)) { // already walked: nothing is sent
        if (fromEvents) {
            buttons_.Select(view);
            label12_->setText(Latin1(mib::TableNames[view]));
            ShowTableLines();
        }
        return;
    }
    buttons_.Select(view);
    label12_->setText(Latin1(mib::TableNames[view]));
    // While the router is absent nothing was fetched and the view keeps what it showed, unless
    // that was a view of the history.
    if (outside_.query.RouterPresent || fromEvents) ShowTableLines();
    outside_.settled(wasPresent);
}

void TablesPage::ShowEvents() {
    historyShown_ = HistoryView::Events;
    buttons_.Select(6);
    label12_->setText(QStringLiteral("Line events"));
    ShowHistoryLines();
}

void TablesPage::ShowUsage() {
    historyShown_ = HistoryView::Usage;
    buttons_.Select(7);
    label12_->setText(QStringLiteral("Usage"));
    ShowHistoryLines();
}

void TablesPage::ShowHistoryLines() {
    const core::history::HistoryStore* store = outside_.history();
    // The usage's columns line up in a fixed-pitch font only.
    memo2_->setFont(historyShown_ == HistoryView::Usage ? usageFont_ : tableFont_);
    if (store == nullptr)
        ShowLines(memo2_, {QStringLiteral("No line history has been recorded yet.")});
    else if (historyShown_ == HistoryView::Events)
        ShowLines(memo2_,
                  core::history::EventLines(store->Events(0, std::numeric_limits<int64_t>::max())));
    else
        ShowLines(memo2_, core::history::UsageLines(core::history::UsageTable(*store), QLocale()));
}

void TablesPage::HistoryChanged() {
    if (historyShown_ != HistoryView::None) ShowHistoryLines();
}

void TablesPage::Refresh() {
    if (historyShown_ != HistoryView::None) {
        ShowHistoryLines();
        return;
    }
    if (!outside_.query.RouterPresent) return;
    outside_.stats.tablesGetData();
    ShowTableLines();
    outside_.settled(true);
}

void TablesPage::Save() {
    QString name;
    std::vector<std::string> historyLines;
    if (historyShown_ != HistoryView::None) {
        name = historyShown_ == HistoryView::Events ? QStringLiteral("LineEvents")
                                                    : QStringLiteral("Usage");
        // UTF-8: the locale's dates are not always Latin-1, unlike the router's tables.
        for (const QString& line : memo2_->toPlainText().split(QLatin1Char('\n')))
            historyLines.push_back(line.toUtf8().toStdString());
    } else {
        const int view = outside_.stats.TableView;
        if (view < 1 || view > 5) return;
        name = Latin1(mib::TableNames[view]);
    }
    const std::optional<QString> path = outside_.saveDialog.Execute(
        outside_.dialogParent, QStringLiteral("Please choose filename and path for Table file"),
        name);
    if (!path) return;
    // The file holds exactly the view: its lines as 8-bit text, each ended by CR LF.
    const QString error = core::WriteTableFile(
        *path, historyShown_ != HistoryView::None ? historyLines : outside_.stats.TableLines);
    if (!error.isEmpty()) outside_.messages.Error(outside_.dialogParent, error);
}

} // namespace app
