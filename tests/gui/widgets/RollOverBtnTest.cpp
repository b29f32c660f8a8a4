#include "widgets/RollOverBtn.h"

#include "PaintCounter.h"
#include "widgets/ImageList.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using widgets::tImageList;
using widgets::tRollOverBtn;

namespace {

const QColor kStateColours[] = {QColor(200, 0, 0), QColor(0, 200, 0), QColor(0, 0, 200)};

QPixmap Solid(const QColor& colour) {
    QPixmap pixmap(128, 32);
    pixmap.fill(colour);
    return pixmap;
}

void Fill(tImageList& list) {
    list.SetImages(Solid(kStateColours[0]), Solid(kStateColours[1]), Solid(kStateColours[2]));
}

} // namespace

class RollOverBtnTest : public QObject {
    Q_OBJECT

private slots:
    void imageFollowsTheRealMouseAndButtonDown();
    void repaintRules();
    void accessibleAsPushButtonOrLabelledCheckBox();
};

// Through the window system: Qt grabs the mouse on the press and holds back enter and leave
// events until the release, so only the moves tell the button where the mouse is.
void RollOverBtnTest::imageFollowsTheRealMouseAndButtonDown() {
    tImageList list;
    Fill(list);
    QWidget window;
    window.resize(300, 120);
    auto* button = new tRollOverBtn(&window);
    button->move(10, 10);
    button->SetImages(&list);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy clicks(button, &tRollOverBtn::clicked);
    QWindow* handle = window.windowHandle();
    const QPoint on(40, 20), off(250, 90);
    auto shows = [&](int index) {
        return button->CurrentImageIndex() == index &&
               button->grab().toImage().pixelColor(2, 2) == kStateColours[index];
    };

    QTest::mouseMove(handle, on);
    QTRY_VERIFY(shows(1));
    QTest::mousePress(handle, Qt::LeftButton, {}, on);
    QVERIFY(shows(2));
    QTest::mouseMove(handle, off);
    QTRY_VERIFY(shows(0));
    button->SetButtonDown(true); // down whatever the mouse does
    QVERIFY(shows(2));
    button->SetButtonDown(false);
    QTest::mouseMove(handle, on);
    QTRY_VERIFY(shows(2));
    QTest::mouseMove(handle, off);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, off); // released outside: no click
    QTest::mouseClick(handle, Qt::RightButton, {}, on);   // nor with the other button
    QTest::mouseClick(handle, Qt::LeftButton, {}, on);
    QCOMPARE(clicks.count(), 1);
    // Hidden while held: shown again it neither looks held nor clicks on a late release.
    QTest::mousePress(handle, Qt::LeftButton, {}, on);
    button->hide();
    QVERIFY(!button->IsPressed() && !button->IsHovered());
    button->show();
    QTest::mouseRelease(handle, Qt::LeftButton, {}, on);
    QCOMPARE(clicks.count(), 1);
}

void RollOverBtnTest::repaintRules() {
    QWidget window;
    window.resize(200, 60);
    auto* button = new tRollOverBtn(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    PaintCounter counter(button);
    auto first = std::make_unique<tImageList>();
    tImageList second;

    // Group selection reassigns every button and expects each to redraw, changed or not.
    QCOMPARE(counter.PaintsAfter([&] { button->SetButtonDown(false); }), 1);
    QCOMPARE(counter.PaintsAfter([&] { button->SetCaption(button->Caption()); }), 1);
    // Only the list the button shows repaints it.
    QCOMPARE(counter.PaintsAfter([&] { button->SetImages(first.get()); }), 1);
    QCOMPARE(counter.PaintsAfter([&] { Fill(*first); }), 1);
    button->SetImages(&second);
    QCOMPARE(counter.PaintsAfter([&] { Fill(*first); }), 0);
    QCOMPARE(counter.PaintsAfter([&] { Fill(second); }), 1);
    // The owner may let its list go first: the button must not keep a dangling pointer.
    button->SetImages(first.get());
    first.reset();
    QCOMPARE(button->Images(), nullptr);
    QVERIFY(!button->grab().isNull());
}

// Read in-process; tests/gui/atspi reads the program's toggles and the change events from outside.
void RollOverBtnTest::accessibleAsPushButtonOrLabelledCheckBox() {
    QWidget label;
    label.setAccessibleName(QStringLiteral("Beep on connect"));
    label.setToolTip(QStringLiteral("Play a sound"));
    tRollOverBtn button;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&button);
    QVERIFY(iface);
    QSignalSpy clicks(&button, &tRollOverBtn::clicked);
    QAccessibleActionInterface* actions = iface->actionInterface();
    QVERIFY(actions);

    // A push button: named by its caption, checked while down (a group's selection).
    QCOMPARE(iface->role(), QAccessible::Button);
    button.SetCaption(QStringLiteral("General Info"));
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("General Info"));
    button.SetButtonDown(true);
    QVERIFY(iface->state().checkable && iface->state().checked);

    // A blank-captioned toggle drawn down while off: a check box named and described by its
    // label, which its Toggle action clicks.
    button.SetCaption(QStringLiteral(" "));
    button.SetCheckBox(false);
    button.SetLabel(&label);
    QCOMPARE(iface->role(), QAccessible::CheckBox);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Beep on connect"));
    QCOMPARE(iface->text(QAccessible::Description), QStringLiteral("Play a sound"));
    QVERIFY(!iface->state().checked);
    button.SetButtonDown(false);
    QVERIFY(iface->state().checked);
    actions->doAction(QAccessibleActionInterface::toggleAction());
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicks.count(), 2);
}

QTEST_MAIN(RollOverBtnTest)
#include "RollOverBtnTest.moc"
