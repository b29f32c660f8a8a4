// The floating syslog window under a real window manager (openbox on Xvfb, set up by
// with-window-manager), where a frame has a title bar and states change as a desktop's do: the
// window comes back to the same place after maximised closes, and a close while minimised from
// maximised is stored as minimised.
#include "TestSeams.h"
#include "app/Main.h"
#include "app/syslog/SysLogWin.h"
#include "widgets/RollOverBtn.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QtTest>

namespace {

// Where the X server has the window's frame, title bar and all: the client's corner on the
// screen less its offset in the frame. Qt's own idea can lag behind the window manager.
QPoint FrameOnScreen(const QWidget* window) {
    QProcess info;
    info.start("xwininfo", {"-id", QString::number(window->winId())});
    info.waitForFinished();
    const QString text = QString::fromLatin1(info.readAllStandardOutput());
    const auto corner = [&text](const char* kind, char axis) {
        const QRegularExpression pattern(
            QString("%1 upper-left %2:\\s+(-?\\d+)").arg(kind).arg(axis));
        return pattern.match(text).captured(1).toInt();
    };
    return {corner("Absolute", 'X') - corner("Relative", 'X'),
            corner("Absolute", 'Y') - corner("Relative", 'Y')};
}

} // namespace

class SysLogPlacementTest : public QObject {
    Q_OBJECT

private slots:
    void placeSurvivesEveryState() {
        QSettings store(QStringLiteral("Corvane"), QStringLiteral("LineScope"));
        store.setValue("IPAddress", "127.0.0.1:9");
        store.setValue("SLDocked", 0);
        store.setValue("SLFloatX", 100);
        store.setValue("SLFloatY", 80);
        testing_seams::FixedClock clock;
        testing_seams::RecordingSounds sounds;
        core::NullCursor cursor;
        app::CriticalMessageBoxes messages;
        app::SaveDialog dialog;
        TForm1 form({clock, sounds, cursor, messages, dialog, 0});
        const auto click = [&form](const char* name) {
            form.findChild<widgets::tRollOverBtn*>(name)->Click();
        };
        TForm2* floating = form.Form2();
        const QPoint saved(100, 80);
        QTRY_COMPARE(FrameOnScreen(floating), saved); // the frame where it was saved
        for (int round = 0; round < 3; ++round) {
            floating->showMaximized();
            QTRY_COMPARE(FrameOnScreen(floating), QPoint(0, 0));
            click("tRollOverBtn3");
            QCOMPARE(form.settings().SLFloatState, 2);
            click("SysLogBtnUnDock"); // opens maximised, and back to normal where it was
            QTRY_COMPARE(FrameOnScreen(floating), QPoint(0, 0));
            floating->showNormal();
            QTRY_COMPARE(FrameOnScreen(floating), saved);
            QTest::qWait(200); // and stays there
            QCOMPARE(FrameOnScreen(floating), saved);
        }
        floating->showMaximized();
        QTRY_COMPARE(FrameOnScreen(floating), QPoint(0, 0));
        floating->showMinimized();
        QTRY_VERIFY(floating->isMinimized());
        click("tRollOverBtn3");
        const core::Settings& placed = form.settings();
        QCOMPARE(QList<int>({placed.SLFloatState, placed.SLFloatX, placed.SLFloatY}),
                 QList<int>({1, saved.x(), saved.y()}));
    }
};

QTEST_MAIN(SysLogPlacementTest)
#include "SysLogPlacementTest.moc"
