#include "RollOverBtn.h"

#include "ImageList.h"
#include "PaintCounter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <climits>
#include <memory>

using widgets::tImageList;
using widgets::tRollOverBtn;

namespace {

const QColor kStateColours[] = {QColor(200, 0, 0), QColor(0, 200, 0), QColor(0, 0, 200)};
const QColor kParentColour(255, 0, 255);

QPixmap Solid(const QColor& colour, QSize size = {128, 32}) {
    QPixmap pixmap(size);
    pixmap.fill(colour);
    return pixmap;
}

void Fill(tImageList& list) {
    list.SetImages(Solid(kStateColours[0]), Solid(kStateColours[1]), Solid(kStateColours[2]));
}

void SendEnter(QWidget* w, QPoint pos) {
    QEnterEvent event(pos, w->mapTo(w->window(), pos), w->mapToGlobal(pos));
    QApplication::sendEvent(w, &event);
}

void SendLeave(QWidget* w) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(w, &event);
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(pos), QPointF(w->mapTo(w->window(), pos)),
                      QPointF(w->mapToGlobal(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

const QPoint kInside(20, 10);
const QPoint kOutside(200, 60);

void Press(QWidget* w, QPoint pos = kInside) {
    SendMouse(w, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
}
void MoveHeld(QWidget* w, QPoint pos) {
    SendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, Qt::LeftButton);
}
void Release(QWidget* w, QPoint pos) {
    SendMouse(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}

QColor CornerColour(QWidget& w) {
    return w.grab().toImage().pixelColor(2, 2);
}

// The share of pixels of the image in the given colour.
double Share(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour;
    return double(n) / (image.width() * image.height());
}

// Where pixels differ from the colour, as a bounding box.
QRect InkBox(const QImage& image, const QColor& colour) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != colour) box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class RollOverBtnTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithItsDefaults();
    void imageFollowsState_data();
    void imageFollowsState();
    void clicksOnlyWhenReleasedInside();
    void followsTheRealMouseWhileHeld();
    void repaintsAsAssigned();
    void repaintsOnlyForTheAssignedList();
    void withoutImagesShowsOnlyTheCentredCaption();
    void forgetsADestroyedList();
    void hidingDropsHoverAndPress();
    void imageListBoundsAndSignals();
};

void RollOverBtnTest::startsWithItsDefaults() {
    tRollOverBtn button;
    QCOMPARE(button.size(), QSize(128, 32));
    QCOMPARE(button.property("Caption").toString(), QStringLiteral("tRollOverBtn"));
    QCOMPARE(button.property("ButtonDown").toBool(), false);
    QVERIFY(button.property("Font").canConvert<QFont>());
    QCOMPARE(button.Images(), nullptr);
    QCOMPARE(button.CurrentImageIndex(), 0);
    QVERIFY(button.testAttribute(Qt::WA_NoSystemBackground));
    QVERIFY(!button.autoFillBackground());

    tImageList small;
    small.SetImages(Solid(Qt::red, {24, 24}), Solid(Qt::red, {24, 24}), Solid(Qt::red, {24, 24}));
    button.SetImages(&small);
    QCOMPARE(button.sizeHint(), QSize(24, 24));
}

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
    QTest::newRow("down, pressed") << true << true << true << false << 2;
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
    if (hover) SendEnter(&button, kInside);
    if (press) Press(&button);
    if (movedOff) MoveHeld(&button, kOutside);

    QCOMPARE(button.CurrentImageIndex(), index);
    QCOMPARE(CornerColour(button), kStateColours[index]);
}

void RollOverBtnTest::clicksOnlyWhenReleasedInside() {
    tImageList list;
    Fill(list);
    tRollOverBtn button;
    button.SetImages(&list);
    QSignalSpy clicks(&button, &tRollOverBtn::clicked);

    // A plain click; the owner's handler still sees the button held.
    bool pressedDuringClick = false;
    connect(&button, &tRollOverBtn::clicked, &button,
            [&] { pressedDuringClick = button.IsPressed(); });
    SendEnter(&button, kInside);
    Press(&button);
    Release(&button, kInside);
    QCOMPARE(clicks.count(), 1);
    QVERIFY(pressedDuringClick);
    QVERIFY(!button.IsPressed());
    QCOMPARE(button.CurrentImageIndex(), 1);

    // Off the button and released there: no click.
    Press(&button);
    MoveHeld(&button, kOutside);
    QCOMPARE(button.CurrentImageIndex(), 0);
    Release(&button, kOutside);
    SendLeave(&button);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(button.CurrentImageIndex(), 0);

    // Off and back on before releasing: down image again, and the release clicks.
    SendEnter(&button, kInside);
    Press(&button);
    MoveHeld(&button, kOutside);
    MoveHeld(&button, kInside);
    QCOMPARE(button.CurrentImageIndex(), 2);
    Release(&button, kInside);
    QCOMPARE(clicks.count(), 2);

    // Other buttons neither press nor click, and a stray release clicks nothing.
    SendMouse(&button, QEvent::MouseButtonPress, kInside, Qt::RightButton, Qt::RightButton);
    QVERIFY(!button.IsPressed());
    SendMouse(&button, QEvent::MouseButtonRelease, kInside, Qt::RightButton, Qt::NoButton);
    Release(&button, kInside);
    QCOMPARE(clicks.count(), 2);
}

// The same sequence through the window system, where Qt grabs the mouse on the press and holds
// back enter and leave events until the release.
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
    const QPoint on(40, 20);
    const QPoint off(250, 90);

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

void RollOverBtnTest::repaintsAsAssigned() {
    QWidget window;
    window.resize(200, 60);
    auto* button = new tRollOverBtn(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    PaintCounter counter(button);

    // Group selection reassigns every button; each must redraw even when nothing changed.
    QCOMPARE(counter.PaintsAfter([&] { button->SetButtonDown(false); }), 1);
    QCOMPARE(counter.PaintsAfter([&] { button->SetButtonDown(true); }), 1);
    QCOMPARE(counter.PaintsAfter([&] { button->SetButtonDown(true); }), 1);
    QCOMPARE(counter.PaintsAfter([&] { button->SetCaption(button->Caption()); }), 1);
    QCOMPARE(counter.PaintsAfter([&] { button->SetFont(button->Font()); }), 1);
    QCOMPARE(counter.PaintsAfter([] {}), 0);
}

void RollOverBtnTest::repaintsOnlyForTheAssignedList() {
    QWidget window;
    window.resize(200, 60);
    auto* button = new tRollOverBtn(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    PaintCounter counter(button);
    tImageList first;
    tImageList second;

    QCOMPARE(counter.PaintsAfter([&] { button->SetImages(&first); }), 1);
    QCOMPARE(counter.PaintsAfter([&] { Fill(first); }), 1);
    QCOMPARE(counter.PaintsAfter([&] { button->SetImages(&second); }), 1);
    QCOMPARE(counter.PaintsAfter([&] { first.Clear(); }), 0);
    QCOMPARE(counter.PaintsAfter([&] { Fill(second); }), 1);
    QCOMPARE(counter.PaintsAfter([&] { button->SetImages(nullptr); }), 1);
    QCOMPARE(counter.PaintsAfter([&] { second.Clear(); }), 0);
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
        button->SetCaption(QStringLiteral("Interfaces"));
        button->SetButtonDown(true);

        const QImage image = parent.grab().toImage();
        // The parent shows through everywhere but under the caption.
        QVERIFY2(Share(image, kParentColour) > 0.8,
                 qPrintable(QString::number(Share(image, kParentColour))));
        const QRect ink = InkBox(image, kParentColour);
        QVERIFY(!ink.isEmpty());
        QVERIFY2(std::abs(ink.center().x() - 64) <= 2,
                 qPrintable(QString::number(ink.center().x())));
        QVERIFY2(std::abs(ink.center().y() - 16) <= 2,
                 qPrintable(QString::number(ink.center().y())));

        // A blank caption, as the option toggles use, draws nothing at all.
        button->SetCaption(QStringLiteral(" "));
        QCOMPARE(Share(parent.grab().toImage(), kParentColour), 1.0);
    }

    // Over an image the caption has no box of its own: only image and text pixels.
    tImageList list;
    Fill(list);
    tRollOverBtn button;
    button.SetImages(&list);
    button.SetFontColor(Qt::white);
    const QImage image = button.grab().toImage();
    const QRect ink = InkBox(image, kStateColours[0]);
    QVERIFY(!ink.isEmpty());
    QVERIFY2(Share(image, kStateColours[0]) > 0.75, "caption drawn with a background");
}

void RollOverBtnTest::forgetsADestroyedList() {
    tRollOverBtn button;
    auto list = std::make_unique<tImageList>();
    Fill(*list);
    button.SetImages(list.get());
    list.reset();
    QCOMPARE(button.Images(), nullptr);
    QVERIFY(!button.grab().isNull());
}

void RollOverBtnTest::hidingDropsHoverAndPress() {
    QWidget window;
    auto* button = new tRollOverBtn(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    SendEnter(button, kInside);
    Press(button);
    QCOMPARE(button->CurrentImageIndex(), 2);
    button->hide();
    button->show();
    // Showing may bring a fresh enter event from the resting mouse, but never the held state.
    QVERIFY(button->CurrentImageIndex() != 2);
    QVERIFY(!button->IsPressed());
    QSignalSpy clicks(button, &tRollOverBtn::clicked);
    Release(button, kInside);
    QCOMPARE(clicks.count(), 0);
}

void RollOverBtnTest::imageListBoundsAndSignals() {
    tImageList list;
    QSignalSpy changes(&list, &tImageList::changed);
    QCOMPARE(list.Count(), 0);
    QVERIFY(list.Image(0).isNull());
    QVERIFY(list.ImageSize().isEmpty());
    list.Clear();
    QCOMPARE(changes.count(), 0);

    Fill(list);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(list.Count(), 3);
    QCOMPARE(list.ImageSize(), QSize(128, 32));
    for (const int bad : {-1, 3, INT_MAX, INT_MIN})
        QVERIFY(list.Image(bad).isNull());
    QCOMPARE(list.Image(2).toImage().pixelColor(0, 0), kStateColours[2]);

    // A missing file leaves the list as it was.
    QVERIFY(!list.LoadFromFiles(QStringLiteral("/nonexistent/a.png"),
                                QStringLiteral("/nonexistent/b.png"),
                                QStringLiteral("/nonexistent/c.png")));
    QCOMPARE(list.Count(), 3);
    QCOMPARE(changes.count(), 1);

    list.Add(Solid(Qt::black));
    QCOMPARE(list.Count(), 4);
    list.Clear();
    QCOMPARE(list.Count(), 0);
    QCOMPARE(changes.count(), 3);
}

QTEST_MAIN(RollOverBtnTest)
#include "RollOverBtnTest.moc"
