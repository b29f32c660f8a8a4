#include "app/graph/HistoryView.h"

#include "core/HistoryStore.h"
#include "widgets/TrafficChart.h"

#include <memory>
#ifdef __linux__
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace app {

HistoryView::HistoryView(widgets::TrafficChart& chart, QString fileName)
    : chart_(chart), fileName_(std::move(fileName)), thread_([this] { Run(); }) {}

HistoryView::~HistoryView() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void HistoryView::Fill(chart::GraphShow show, int span, const QDateTime& now) {
    const Request request{chart::AskHistory(show, span, now, chart_.PlotWidth()), ++asked_};
    {
        std::lock_guard lock(mutex_);
        next_ = request;
    }
    wake_.notify_one();
}

void HistoryView::Run() {
#ifdef __linux__
    // The window's thread comes first when the processor is busy: a view may come a moment
    // later, a frame may not. A batch thread does not take the processor from the window's when
    // a request wakes it.
    const sched_param batch{};
    pthread_setschedparam(pthread_self(), SCHED_BATCH, &batch);
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
#endif
    // The store lives and dies on this thread: a database connection belongs to one thread.
    std::unique_ptr<core::history::HistoryStore> store;
    for (;;) {
        Request request{};
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || next_; });
            if (stop_) return;
            request = *std::exchange(next_, std::nullopt);
        }
        // The recorder creates the file; until it has, every query looks again.
        if (!store) {
            auto opened = std::make_unique<core::history::HistoryStore>(
                fileName_, core::history::HistoryStore::Mode::Read);
            if (opened->Open()) store = std::move(opened);
        }
        // Everything but the drawing itself is done here, off the window's thread.
        auto content =
            std::make_shared<chart::HistoryContent>(chart::ReadHistory(store.get(), request.query));
        // Queued to the window's thread; dropped with the view if it is gone by then.
        QMetaObject::invokeMethod(
            this, [this, content, serial = request.serial] { Draw(*content, serial); },
            Qt::QueuedConnection);
    }
}

void HistoryView::Draw(const chart::HistoryContent& content, uint64_t serial) {
    if (serial != asked_) return; // a newer request is on its way
    shown_ = serial;
    chart::ChartModel model = chart_.Model();
    chart::ShowHistory(model, content);
    chart_.SetModel(std::move(model));
    emit Filled();
}

} // namespace app
