// Counts the paint events a widget receives, so tests can tell "repainted" from "left alone"
// without comparing pixels.
#pragma once

#include <QEvent>
#include <QObject>
#include <QTest>
#include <QWidget>

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }

    // Paint events the widget got from action. Updates are coalesced and delivered from the
    // event loop: wait for the first, then a little longer for a second (zero is an answer).
    template <typename Action> int PaintsAfter(Action action) {
        QTest::qWait(30); // let earlier paints through first
        count_ = 0;
        action();
        static_cast<void>(QTest::qWaitFor([this] { return count_ > 0; }, 300));
        QTest::qWait(30);
        return count_;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        count_ += watched == widget_ && event->type() == QEvent::Paint;
        return false;
    }

private:
    QWidget* widget_;
    int count_ = 0;
};
