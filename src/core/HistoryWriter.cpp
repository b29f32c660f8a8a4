#include "HistoryWriter.h"

#include "HistoryStore.h"

namespace core::history {

HistoryWriter::HistoryWriter(QString fileName, QObject* parent)
    : QObject(parent), context_(new QObject) {
    if (fileName.isEmpty()) fileName = HistoryStore::DefaultFileName();
    thread_.setObjectName(QStringLiteral("history writer"));
    context_->moveToThread(&thread_);
    thread_.start();
    QMetaObject::invokeMethod(context_, [this, fileName] {
        store_ = std::make_unique<HistoryStore>(fileName, HistoryStore::Mode::Write);
        const bool opened = store_->Open();
        if (!store_->Problem().isEmpty()) Report(store_->Problem());
        if (!opened) store_.reset();
    });
}

HistoryWriter::~HistoryWriter() {
    // Queued behind every posted sample; the database closes on the thread that opened it.
    QMetaObject::invokeMethod(context_, [this] {
        store_.reset();
        thread_.quit();
    });
    thread_.wait();
    delete context_;
}

void HistoryWriter::Post(const Sample& sample, std::vector<Event> events) {
    QMetaObject::invokeMethod(context_, [this, sample, events = std::move(events)] {
        if (!store_) return;
        if (!store_->Add(sample, events)) {
            Report(store_->Problem());
            return;
        }
        // Before Written: that is the last word on a sample.
        if (auto notices = AllowanceNotices(*store_, allowance_, sample.time); !notices.empty())
            QMetaObject::invokeMethod(
                this, [this, notices = std::move(notices)] { emit UsageNotices(notices); },
                Qt::QueuedConnection);
        QMetaObject::invokeMethod(
            this, [this, time = sample.time] { emit Written(time); }, Qt::QueuedConnection);
    });
}

void HistoryWriter::PostIdentity(const QString& line, int64_t time) {
    QMetaObject::invokeMethod(context_, [this, line, time] {
        if (store_ && !store_->RecordIdentity(line, time)) Report(store_->Problem());
    });
}

void HistoryWriter::SetAllowance(Allowance allowance) {
    QMetaObject::invokeMethod(context_, [this, allowance] { allowance_ = allowance; });
}

void HistoryWriter::Report(const QString& text) {
    QMetaObject::invokeMethod(
        this, [this, text] { emit Problem(text); }, Qt::QueuedConnection);
}

} // namespace core::history
