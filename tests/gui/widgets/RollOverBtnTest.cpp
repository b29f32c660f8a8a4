#include "RollOverBtn.h"

#include "ImageList.h"
#include "PaintCounter.h"

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
const QPoint kInside(20, 10), kOutside(200, 60);

QPixmap Solid(const QColor& colour) {
    QPixmap pixmap(128, 32);
    pixmap.fill(colour);
    return pixmap;
}

void Fill(tImageList& list) {
    list.SetImages(Solid(kStateColours[0]), Solid(kStateColours[1]), Solid(kStateColours[2]));
}

// Events straight to the widget, as Qt delivers them once it has decided who gets them.
void Send(QWidget* w, QEvent::Type type, QPoint pos = kInside,
          Qt::MouseButton button = Qt::LeftButton) {
    if (type == QEvent::Enter) {
        QEnterEvent event(pos, pos, w->mapToGlobal(pos));
        QApplication::sendEvent(w, &event);
        return;
    }
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, QPointF(pos), QPointF(w->mapToGlobal(pos)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

double Share(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour;
    return double(n) / (image.width() * image.height());
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
};

void RollOverBtnTest::imageFollowsState_data() {
    QTest::addColumn<bool>("down");
    QTest::addColumn<bool>("hover");
    QTest::addColumn<bool>("press");
    QTest::addColumn<bool>("movedOff");
    QTest::addColumn<int>("index");
    QTest::newRow("normal") << false << false << false << false << 0;
    QTest::newRow("over") << false << true << false << false << 1;
    QTest::newRow("pressed") << false << true << true << false << 2;
    QTest::newRow("held, mouse moved off") << false << true << true << true << 0;
    QTest::newRow("down") << true << false << false << false << 2;
    QTest::newRow("down, over") << true << true << false << false << 2;
    QTest::newRow("down, held off") << true << true << true << true << 2;
}

void RollOverBtnTest::imageFollowsState() {
    QFETCH(bool, down);
    QFETCH(bool, hover);
    QFETCH(bool, press);
    QFETCH(bool, movedOff);
    QFETCH(int, index);
    tImageList list;
    Fill(list);
    tRollOverBtn button;
    button.SetImages(&list);
    button.SetButtonDown(down);
    if (hover) Send(&button, QEvent::Enter);
    if (press) Send(&button, QEvent::MouseButtonPress);
    if (movedOff) Send(&button, QEvent::MouseMove, kOutside);
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

    Send(&button, QEvent::MouseButtonPress);
    Send(&button, QEvent::MouseMove, kOutside);
    Send(&button, QEvent::MouseButtonRelease, kOutside);
    QCOMPARE(clicks.count(), 1);

    // Other mouse buttons, a stray release, and a release after hiding click nothing.
    Send(&button, QEvent::MouseButtonPress, kInside, Qt::RightButton);
    Send(&button, QEvent::MouseButtonRelease, kInside, Qt::RightButton);
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
        const QImage image = parent.grab().toImage();
        QVERIFY(Share(image, kParentColour) > 0.8);
        QRect ink;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 128; ++x)
                if (image.pixelColor(x, y) != kParentColour) ink |= QRect(x, y, 1, 1);
        QVERIFY(std::abs(ink.center().x() - 64) <= 2 && std::abs(ink.center().y() - 16) <= 2);

        button->SetCaption(QStringLiteral(" ")); // as the option toggles: nothing drawn
        QCOMPARE(Share(parent.grab().toImage(), kParentColour), 1.0);
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

QTEST_MAIN(RollOverBtnTest)
#include "RollOverBtnTest.moc"
