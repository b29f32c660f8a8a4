// Counts the paint events a widget receives, so tests can tell "repainted" from "left alone"
// without comparing pixels.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTest>
#include <QWidget>

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }

    // Runs action and returns how many paint events the widget got from it. Update requests are
    // coalesced and delivered from the event loop, so it waits: until the first paint arrives,
    // then a little longer to catch any second one (or the full quiet period when none comes).
    template <typename Action> int PaintsAfter(Action action) {
        QTest::qWait(30); // let earlier paints through first
        QCoreApplication::processEvents();
        count_ = 0;
        action();
        // Zero paints is a valid answer, so the wait may time out.
        static_cast<void>(QTest::qWaitFor([this] { return count_ > 0; }, 300));
        QTest::qWait(30);
        return count_;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::Paint) ++count_;
        return false;
    }

private:
    QWidget* widget_;
    int count_ = 0;
};
