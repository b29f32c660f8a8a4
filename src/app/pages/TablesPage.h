// The Tables page: the MIB table chosen by its button, walked from the router and shown as text,
// or the line's events or the volume used per month and day from the history; each can be saved
// to a file.
#pragma once

#include "app/pages/ButtonGroup.h"

#include <QFont>
#include <QObject>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QWidget;

namespace core {
class RouterQuery;
class Statistics;
namespace history {
class HistoryStore;
}
} // namespace core

namespace app {

class MessageBoxes;
class PageStack;
class SaveDialog;

class TablesPage final : public QObject {
    Q_OBJECT

public:
    struct Outside {
        core::RouterQuery& query;
        core::Statistics& stats;
        MessageBoxes& messages;
        SaveDialog& saveDialog;
        QWidget* dialogParent;
        // The line history, opened read-only; nullptr while none has been recorded.
        std::function<const core::history::HistoryStore*()> history;
        // Ends a click that talked to the router (the data pages' Settled).
        std::function<void(bool wasPresent)> settled;
    };
    TablesPage(const PageStack& pages, Outside outside);

    // TableBtnAddr .. TableBtnUDP: the table at 1-based `view`, walked unless it is shown.
    void Select(int view);
    // The line's events, newest first; sends nothing to the router.
    void ShowEvents();
    // The volume per month and per day, newest first; sends nothing to the router.
    void ShowUsage();
    void Refresh();
    void Save();
    // The lines of the last walk, unless a view of the history is shown.
    void ShowTableLines();
    // A sample has been written: a view of the history follows.
    void HistoryChanged();
    // TableBtnAddr .. TableBtnUDP, then TableBtnEvents and TableBtnUsage.
    [[nodiscard]] const ButtonGroup& Buttons() const { return buttons_; }

private:
    enum class HistoryView { None, Events, Usage };
    void ShowHistoryLines(); // of the history view shown

    Outside outside_;
    QPlainTextEdit* memo2_;
    QFont tableFont_, usageFont_;
    QLabel* label12_; // the table's name
    ButtonGroup buttons_;
    HistoryView historyShown_ = HistoryView::None;
};

} // namespace app
