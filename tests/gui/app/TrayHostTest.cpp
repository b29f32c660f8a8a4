// The tray icon in a real tray host (trayer on Xvfb, set up by with-tray-host --late), clicked with
// real X events: a tray host that starts after the program, its tip, a left press that restores,
// a right press that does nothing, and minimising with MinTray that hides both windows behind it.
#include "TestSeams.h"
#include "app/Main.h"
#include "app/syslog/SysLogWin.h"
#include "app/tray/Tray.h"

#include <QApplication>
#include <QProcess>
#include <QSettings>
#include <QtTest>

// Qt's XEmbed icon is a window of its own, embedded by the host.
QWidget* Icon() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->inherits("QSystemTrayIconSys") && widget->isVisible()) return widget;
    return nullptr;
}

class TrayHostTest : public QObject {
    Q_OBJECT
    QProcess trayHost_; // started by the first test, after the window
    testing_seams::FixedClock clock;
    testing_seams::RecordingSounds sounds;
    core::NullCursor cursor;
    app::CriticalMessageBoxes messages;
    app::SaveDialog dialog;

    // A press of `button` on the icon, through the X server; apart from the last one, so that
    // it is not taken for the second half of a double click.
    static void Press(QWidget* icon, const char* button) {
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QProcess::execute("xdotool", {"mousemove", "--window", QString::number(icon->winId()), "4",
                                      "4", "click", button});
    }

private slots:
    void trayHostStartedLate() {
        QSettings store(QStringLiteral("Corvane"), QStringLiteral("LineScope"));
        store.setValue("IPAddress", "127.0.0.1:9");
        store.setValue("MinTray", 1);
        TForm1 form({clock, sounds, cursor, messages, dialog, 0});
        form.show();
        form.showMinimized(); // no tray yet to hide behind: it stays minimised
        QVERIFY(!QTest::qWaitFor([&form] { return form.isHidden(); }, 300));
        trayHost_.startCommand(qEnvironmentVariable("TRAY_HOST"));
        QTRY_VERIFY_WITH_TIMEOUT(Icon() != nullptr && form.TrayIconPresent(), 20000);
        form.showNormal();
        form.showMinimized();
        QTRY_VERIFY(form.isHidden());
    }

    void leftPressRestoresRightPressDoesNothing() {
        QSettings store(QStringLiteral("Corvane"), QStringLiteral("LineScope"));
        store.setValue("StartTray", 1);
        store.setValue("SLDocked", 0);
        TForm1 form({clock, sounds, cursor, messages, dialog, 0});
        QVERIFY(form.TrayIconPresent() && !form.ShowOnStart()); // the icon alone
        QTRY_VERIFY(Icon() != nullptr);
        QWidget* icon = Icon();
        QCOMPARE(icon->toolTip(), app::TrayTip);
        Press(icon, "3");
        QVERIFY(!QTest::qWaitFor([&form] { return form.isVisible(); }, 300));
        for (int round = 0; round < 2; ++round) {
            Press(icon, "1");
            QTRY_VERIFY(form.isVisible() && !form.isMinimized() && form.Form2()->isVisible());
            form.showMinimized(); // with MinTray: both hidden, the icon the only way back
            QTRY_VERIFY(form.isHidden() && form.Form2()->isHidden());
        }
    }
};

QTEST_MAIN(TrayHostTest)
#include "TrayHostTest.moc"
