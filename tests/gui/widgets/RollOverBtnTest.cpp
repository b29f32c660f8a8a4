#include "RollOverBtn.h"

#include "ImageList.h"
#include "PaintCounter.h"

#include <QAccessible>
#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using widgets::tImageList;
using widgets::tRollOverBtn;

namespace {

const QColor kStateColours[] = {QColor(200, 0, 0), QColor(0, 200, 0), QColor(0, 0, 200)};
const QColor kParentColour(255, 0, 255);

QPixmap Solid(const QColor& colour) {
    QPixmap pixmap(128, 32);
    pixmap.fill(colour);
    return pixmap;
}

void Fill(tImageList& list) {
    list.SetImages(Solid(kStateColours[0]), Solid(kStateColours[1]), Solid(kStateColours[2]));
}

// Events straight to the widget at (20, 10), as Qt delivers them once it has decided who gets
// them.
void Send(QWidget* w, QEvent::Type type, Qt::MouseButton button = Qt::LeftButton) {
    const QPointF pos(20, 10), global = w->mapToGlobal(pos);
    if (type == QEvent::Enter) {
        QEnterEvent event(pos, pos, global);
        QApplication::sendEvent(w, &event);
        return;
    }
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, pos, global, button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// Bounding box of what the button drew over its parent's colour.
QRect Drawn(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != kParentColour) box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class RollOverBtnTest : public QObject {
    Q_OBJECT

private slots:
    void imageFollowsState_data();
    void imageFollowsState();
    void clicksOnlyWhenReleasedOnTheButton();
    void followsTheRealMouseWhileHeld();
    void repaintRules();
    void withoutImagesShowsOnlyTheCentredCaption();
    void imageListEdges();
    void accessibleAsACheckableNamedButton();
};

// Pressed and moved off with the real mouse: followsTheRealMouseWhileHeld.
void RollOverBtnTest::imageFollowsState_data() {
    QTest::addColumn<bool>("down");
    QTest::addColumn<bool>("hover");
    QTest::addColumn<bool>("press");
    QTest::addColumn<int>("index");
    QTest::newRow("normal") << false << false << false << 0;
    QTest::newRow("over") << false << true << false << 1;
    QTest::newRow("pressed") << false << true << true << 2;
    QTest::newRow("down") << true << false << false << 2;
    QTest::newRow("down, over") << true << true << false << 2;
    QTest::newRow("down, pressed") << true << true << true << 2;
}

void RollOverBtnTest::imageFollowsState() {
    QFETCH(bool, down);
    QFETCH(bool, hover);
    QFETCH(bool, press);
    QFETCH(int, index);
    tImageList list;
    Fill(list);
    tRollOverBtn button;
    button.SetImages(&list);
    button.SetButtonDown(down);
    if (hover) Send(&button, QEvent::Enter);
    if (press) Send(&button, QEvent::MouseButtonPress);
    QCOMPARE(button.CurrentImageIndex(), index);
    QCOMPARE(button.grab().toImage().pixelColor(2, 2), kStateColours[index]);
}

void RollOverBtnTest::clicksOnlyWhenReleasedOnTheButton() {
    tRollOverBtn button;
    button.show(); // hiding below must be a real hide
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QSignalSpy clicks(&button, &tRollOverBtn::clicked);
    bool heldDuringClick = false;
    connect(&button, &tRollOverBtn::clicked, &button,
            [&] { heldDuringClick = button.IsPressed(); });

    Send(&button, QEvent::MouseButtonPress);
    Send(&button, QEvent::MouseButtonRelease);
    QCOMPARE(clicks.count(), 1);
    QVERIFY(heldDuringClick); // the owner's handler runs before the press ends
    QCOMPARE(button.CurrentImageIndex(), 1);

    // Other mouse buttons, a stray release, and a release after hiding click nothing (a release
    // outside: followsTheRealMouseWhileHeld).
    Send(&button, QEvent::MouseButtonPress, Qt::RightButton);
    Send(&button, QEvent::MouseButtonRelease, Qt::RightButton);
    Send(&button, QEvent::MouseButtonRelease);
    Send(&button, QEvent::MouseButtonPress);
    button.hide();
    QVERIFY(!button.IsPressed() && !button.IsHovered());
    Send(&button, QEvent::MouseButtonRelease);
    QCOMPARE(clicks.count(), 1);
}

// Through the window system: Qt grabs the mouse on the press and holds back enter and leave
// events until the release, so only the moves tell the button where the mouse is.
void RollOverBtnTest::followsTheRealMouseWhileHeld() {
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

    QTest::mouseMove(handle, on);
    QTRY_COMPARE(button->CurrentImageIndex(), 1);
    QTest::mousePress(handle, Qt::LeftButton, {}, on);
    QCOMPARE(button->CurrentImageIndex(), 2);
    QTest::mouseMove(handle, off);
    QTRY_COMPARE(button->CurrentImageIndex(), 0);
    QTest::mouseMove(handle, on);
    QTRY_COMPARE(button->CurrentImageIndex(), 2);
    QTest::mouseMove(handle, off);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, off);
    QCOMPARE(clicks.count(), 0);
    QTRY_COMPARE(button->CurrentImageIndex(), 0);
    QTest::mouseClick(handle, Qt::LeftButton, {}, on);
    QCOMPARE(clicks.count(), 1);
}

void RollOverBtnTest::repaintRules() {
    QWidget window;
    window.resize(200, 60);
    auto* button = new tRollOverBtn(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    PaintCounter counter(button);
    tImageList first, second;

    // Group selection reassigns every button and expects each to redraw, changed or not.
    QCOMPARE(counter.PaintsAfter([&] { button->SetButtonDown(false); }), 1);
    QCOMPARE(counter.PaintsAfter([&] { button->SetCaption(button->Caption()); }), 1);
    QCOMPARE(counter.PaintsAfter([&] { button->SetFont(button->Font()); }), 1);
    // Only the list the button shows repaints it.
    QCOMPARE(counter.PaintsAfter([&] { button->SetImages(&first); }), 1);
    QCOMPARE(counter.PaintsAfter([&] { Fill(first); }), 1);
    button->SetImages(&second);
    QCOMPARE(counter.PaintsAfter([&] { Fill(first); }), 0);
    QCOMPARE(counter.PaintsAfter([&] { Fill(second); }), 1);
    button->SetImages(nullptr);
    QCOMPARE(counter.PaintsAfter([&] { Fill(second); }), 0);
}

void RollOverBtnTest::withoutImagesShowsOnlyTheCentredCaption() {
    tImageList empty;
    for (tImageList* list : {&empty, static_cast<tImageList*>(nullptr)}) {
        QWidget parent;
        parent.resize(128, 32);
        parent.setAutoFillBackground(true);
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, kParentColour);
        parent.setPalette(palette);
        auto* button = new tRollOverBtn(&parent);
        button->SetImages(list);
        button->SetFontColor(Qt::black);
        button->SetButtonDown(true);

        // The parent shows through everywhere but under the caption, which is centred.
        const QRect ink = Drawn(parent.grab().toImage());
        QVERIFY(ink.width() < 100 && ink.height() < 20);
        QVERIFY(std::abs(ink.center().x() - 64) <= 2 && std::abs(ink.center().y() - 16) <= 2);

        button->SetCaption(QStringLiteral(" ")); // as the option toggles: nothing drawn
        QVERIFY(Drawn(parent.grab().toImage()).isEmpty());
    }
}

void RollOverBtnTest::imageListEdges() {
    auto list = std::make_unique<tImageList>();
    QSignalSpy changes(list.get(), &tImageList::changed);
    list->Clear(); // already empty: no change
    QVERIFY(!list->LoadFromFiles(QStringLiteral("/nonexistent/a.png"), QStringLiteral("b.png"),
                                 QStringLiteral("c.png")));
    QCOMPARE(changes.count(), 0);
    Fill(*list);
    for (const int bad : {-1, 3, INT_MIN})
        QVERIFY(list->Image(bad).isNull());
    QCOMPARE(changes.count(), 1);

    tRollOverBtn button;
    button.SetImages(list.get());
    QCOMPARE(button.sizeHint(), QSize(128, 32));
    list.reset(); // the owner let it go first: the button must not keep a dangling pointer
    QCOMPARE(button.Images(), nullptr);
    QVERIFY(!button.grab().isNull());
}

// Read in-process; change events need a platform bridge (offscreen has none), so the AT-SPI check
// in tests/gui/atspi covers them from outside.
void RollOverBtnTest::accessibleAsACheckableNamedButton() {
    tRollOverBtn button;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&button);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::Button);
    button.SetCaption(QStringLiteral("General Info"));
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("General Info"));
    QVERIFY(iface->state().checkable && !iface->state().checked);
    button.SetButtonDown(true);
    QVERIFY(iface->state().checked);
    // The option toggles' blank caption would leave them nameless: the hint names them, and an
    // explicit accessible name wins over both.
    button.SetCaption(QStringLiteral(" "));
    button.setToolTip(QStringLiteral("Play a sound"));
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Play a sound"));
    button.setAccessibleName(QStringLiteral("Connection sound"));
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Connection sound"));

    // The press action clicks, while the button is enabled; toggling is the owner's business.
    QSignalSpy clicks(&button, &tRollOverBtn::clicked);
    QAccessibleActionInterface* actions = iface->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    actions->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(clicks.count(), 1);
    button.setEnabled(false);
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicks.count(), 1);
}

QTEST_MAIN(RollOverBtnTest)
#include "RollOverBtnTest.moc"
