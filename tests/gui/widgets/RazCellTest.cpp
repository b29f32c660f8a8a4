#include "widgets/RazCell.h"

#include "PaintCounter.h"

#include <QAccessible>
#include <QTest>
#include <functional>
#include <tuple>

using widgets::Alignment;
using widgets::tRazCell;

namespace {

QImage Render(tRazCell& cell) {
    return cell.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Bounding box of the dark (text) pixels in columns [fromX, toX); anti-aliased edges that blend
// into the fill do not count.
QRect Ink(const QImage& image, int fromX, int toX) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = fromX; x < toX; ++x)
            if (image.pixelColor(x, y).lightness() < 50) box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class RazCellTest : public QObject {
    Q_OBJECT

private slots:
    void rectsFollowSeperatorAndPen();
    void textSitsInItsInsetBox();
    void repaintsOnlyWhenNeeded();
    void accessibleAndElidedValue();
};

// Qt's zero-width pen is one pixel wide, so the parts overlap as with width 1; a boundary past
// the right edge leaves empty value boxes. QRect(left, top, width, height), height 24.
void RazCellTest::rectsFollowSeperatorAndPen() {
    const std::tuple<int, int, int, QRect, QRect, QRect> cases[] = {
        {200, 85, 0, {84, 1, 116, 23}, {4, 1, 77, 23}, {88, 1, 108, 23}},
        {100, 216, 2, {214, 1, 0, 23}, {4, 1, 208, 23}, {218, 1, 0, 23}}};
    for (const auto& [width, seperator, pen, valuePart, labelText, valueText] : cases) {
        tRazCell cell;
        cell.resize(width, 24);
        cell.SetSeperator(seperator);
        cell.SetPen(QPen(Qt::black, pen));
        QCOMPARE(cell.labelPartRect(), QRect(1, 1, seperator - 1, 23));
        QCOMPARE(cell.valuePartRect(), valuePart);
        QCOMPARE(cell.labelTextRect(), labelText);
        QCOMPARE(cell.valueTextRect(), valueText);
    }
}

// The drawn text, not just the rectangles: a counter-page cell with a light outline so that only
// the black text counts as ink. (ArtworkTest checks the shared outline's pixels.)
void RazCellTest::textSitsInItsInsetBox() {
    tRazCell cell;
    cell.resize(260, 24);
    cell.SetSeperator(165);
    cell.SetPen(QPen(QColor(200, 0, 0), 2));
    cell.SetFontColor1(Qt::black);
    cell.SetFontColor2(Qt::black);
    cell.SetString1(QStringLiteral("HHH"));
    cell.SetAlignment1(Alignment::Right);
    cell.SetString2(QStringLiteral("HHHH"));
    QImage image = Render(cell);
    // Glyph side bearings leave up to two pixels; the boxes end at 161 and start at 167.
    const QRect label = Ink(image, 3, 163), value = Ink(image, 165, 258);
    QVERIFY2(label.right() <= 160 && label.right() >= 158,
             qPrintable(QString::number(label.right())));
    QVERIFY2(value.left() >= 167 && value.left() <= 169, qPrintable(QString::number(value.left())));
    QVERIFY2(std::abs(value.center().y() - 12) <= 2, "value not centred vertically");

    // A long label is clipped to its box, and a newline does not start a second line.
    cell.SetString1(QString(100, QLatin1Char('W')));
    cell.SetString2(QStringLiteral("HH\nsecond"));
    image = Render(cell);
    QVERIFY(Ink(image, 161, 167).isEmpty());
    QVERIFY(Ink(image, 167, 256).bottom() < 20);
}

// Values repaint only when they change; styles are copied and always repaint.
void RazCellTest::repaintsOnlyWhenNeeded() {
    QWidget window;
    window.resize(300, 60);
    auto* cell = new tRazCell(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    PaintCounter counter(cell);
    const std::pair<std::function<void(tRazCell&)>, int> actions[] = {
        {[](tRazCell& c) { c.SetString2(QStringLiteral("3 days")); }, 0},
        {[](tRazCell& c) { c.SetFillColor2(Qt::yellow); }, 0},
        {[](tRazCell& c) { c.SetSeperator(90); }, 0},
        {[](tRazCell& c) { c.setProperty("Alignment2", 2); }, 0},
        // Stored alignments outside 0..2 read as left: a change from centre.
        {[](tRazCell& c) { c.setProperty("Alignment2", 7); }, 0},
        {[](tRazCell& c) { c.SetFont1(QFont(QStringLiteral("Arial"), 8)); }, 1},
        {[](tRazCell& c) { c.SetPen(QPen(Qt::black, 2)); }, 1},
    };
    for (const auto& [action, repeatPaints] : actions) {
        QCOMPARE(counter.PaintsAfter([&] { action(*cell); }), 1);
        QCOMPARE(counter.PaintsAfter([&] { action(*cell); }), repeatPaints);
    }
}

// Read in-process; tests/gui/atspi checks the change events from outside.
void RazCellTest::accessibleAndElidedValue() {
    tRazCell cell;
    cell.resize(184, 24);
    cell.SetSeperator(90);
    cell.SetString1(QStringLiteral("Up Time"));
    cell.SetString2(QStringLiteral("3 days"));
    const QString hint = QStringLiteral("How long the router has run");
    cell.setToolTip(hint);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&cell);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::StaticText);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Up Time"));
    QCOMPARE(iface->text(QAccessible::Help), hint);
    QCOMPARE(cell.ShownValue(), QStringLiteral("3 days"));

    // Too long for its box: drawn with an ellipsis, whole in the tooltip and the description
    // (live, not a copy from when the interface was made); the hint stays the hint.
    const QString value = QString(20, QLatin1Char('8'));
    cell.SetString2(value);
    QVERIFY(cell.ShownValue().endsWith(QChar(0x2026)));
    QCOMPARE(cell.toolTip(), value + QStringLiteral("\n\n") + hint);
    QCOMPARE(iface->text(QAccessible::Description), value);
    cell.SetSeperator(10); // room enough again
    QCOMPARE(cell.toolTip(), hint);
    cell.SetSeperator(90);
}

QTEST_MAIN(RazCellTest)
#include "RazCellTest.moc"
