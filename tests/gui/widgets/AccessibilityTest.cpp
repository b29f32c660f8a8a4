// Accessibility read in-process. Change events need a platform bridge (offscreen has none), so
// the AT-SPI check in tests/gui/atspi covers them from outside.
#include "RazCell.h"
#include "RollOverBtn.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

using widgets::tRazCell;
using widgets::tRollOverBtn;

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void cellReadsAsLabelAndValue();
    void buttonIsACheckableNamedButton();
    void pressActionClicksEnabledButtons();
};

void AccessibilityTest::cellReadsAsLabelAndValue() {
    tRazCell cell;
    cell.SetString1(QStringLiteral("Up Time"));
    cell.SetString2(QStringLiteral("3 days 04:05:06"));
    cell.setToolTip(QStringLiteral("How long the router has run"));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&cell);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::StaticText);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Up Time"));
    QCOMPARE(iface->text(QAccessible::Description), QStringLiteral("3 days 04:05:06"));
    QCOMPARE(iface->text(QAccessible::Help), QStringLiteral("How long the router has run"));
    // Live values, not a copy from when the interface was made.
    cell.SetString2(QStringLiteral("NULL"));
    QCOMPARE(iface->text(QAccessible::Description), QStringLiteral("NULL"));
}

void AccessibilityTest::buttonIsACheckableNamedButton() {
    tRollOverBtn button;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&button);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::Button);
    button.SetCaption(QStringLiteral("General Info"));
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("General Info"));
    QVERIFY(iface->state().checkable);
    QVERIFY(!iface->state().checked);
    button.SetButtonDown(true);
    QVERIFY(iface->state().checked);

    // The option toggles' blank caption would leave them nameless: the hint names them,
    // and an explicit accessible name wins over both.
    button.SetCaption(QStringLiteral(" "));
    button.setToolTip(QStringLiteral("Play a sound"));
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Play a sound"));
    button.setAccessibleName(QStringLiteral("Connection sound"));
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Connection sound"));
}

void AccessibilityTest::pressActionClicksEnabledButtons() {
    tRollOverBtn button;
    QSignalSpy clicks(&button, &tRollOverBtn::clicked);
    QAccessibleActionInterface* actions =
        QAccessible::queryAccessibleInterface(&button)->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    actions->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(clicks.count(), 1);
    button.setEnabled(false);
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicks.count(), 1);
}

QTEST_MAIN(AccessibilityTest)
#include "AccessibilityTest.moc"
