// The line history's writer: a thread of its own with a Write store opened on it, so a sample's
// transaction (and the check of the file at start) never holds up the window. Post() hands a
// sample over and returns at once; the writer answers with Written or Problem.
#pragma once

#include "History.h"
#include "Usage.h"

#include <QObject>
#include <QString>
#include <QThread>
#include <memory>
#include <vector>

namespace core::history {

class HistoryStore;

class HistoryWriter : public QObject {
    Q_OBJECT
public:
    // Opens `fileName` (HistoryStore::DefaultFileName() when empty) on the writer's thread.
    explicit HistoryWriter(QString fileName = {}, QObject* parent = nullptr);
    // Stores everything posted so far, then closes the database and ends the thread.
    ~HistoryWriter() override;

    void Post(const Sample& sample, std::vector<Event> events);
    // The router's identity line (RouterQuery::StatusText after a passed check) as seen at `time`.
    void PostIdentity(const QString& line, int64_t time);
    // The allowance the samples posted after it are held against (UsageCapGB, UsageCapDay).
    void SetAllowance(Allowance allowance);

signals:
    // After the sample taken at `time` and its events are stored, on the writer's owner's
    // thread.
    void Written(qint64 time);
    // After a stored sample took the usage past 80% or 100% of the allowance, once a period.
    void UsageNotices(const std::vector<core::history::UsageNotice>& notices);
    // A file set aside, a database that could not be opened, a sample that could not be stored.
    void Problem(const QString& text);

private:
    void Report(const QString& text);

    QThread thread_;
    QObject* context_;                    // lives on thread_: what is posted runs there
    std::unique_ptr<HistoryStore> store_; // touched on thread_ only
    Allowance allowance_;                 // thread_ only
};

} // namespace core::history
