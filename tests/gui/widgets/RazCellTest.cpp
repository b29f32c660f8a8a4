#include "RazCell.h"

#include "PaintCounter.h"

#include <QAccessible>
#include <QTest>
#include <climits>
#include <functional>
#include <tuple>

using widgets::Alignment;
using widgets::tRazCell;

using CellAction = std::function<void(tRazCell&)>;
Q_DECLARE_METATYPE(CellAction)

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
    void defaultsAndStoredAlignments();
    void rectsFollowSeperatorAndPen_data();
    void rectsFollowSeperatorAndPen();
    void textSitsInItsInsetBox();
    void repaintsOnlyWhenNeeded_data();
    void repaintsOnlyWhenNeeded();
    void survivesExtremeValues();
    void accessibleAsLabelAndValue();
};

void RazCellTest::defaultsAndStoredAlignments() {
    tRazCell cell;
    QCOMPARE(cell.size(), QSize(128, 32));
    QCOMPARE(cell.property("FillColor1").value<QColor>(), QColor(0, 128, 192));
    QCOMPARE(cell.property("Seperator").toInt(), 64);
    // Stored numbers: 0 left, 1 right, 2 centre; anything else reads as left.
    for (const auto& [stored, expected] :
         {std::pair{2, Alignment::Centre}, {1, Alignment::Right}, {7, Alignment::Left}}) {
        QVERIFY(cell.setProperty("Alignment1", stored));
        QCOMPARE(cell.Alignment1(), expected);
    }
}

void RazCellTest::rectsFollowSeperatorAndPen_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("seperator");
    QTest::addColumn<int>("penWidth");
    QTest::addColumn<QRect>("valuePart");
    QTest::addColumn<QRect>("labelText");
    QTest::addColumn<QRect>("valueText");
    // Height 24 throughout; QRect(left, top, width, height).
    QTest::newRow("counter page") << 260 << 165 << 2 << QRect(163, 1, 97, 23)
                                  << QRect(4, 1, 157, 23) << QRect(167, 1, 89, 23);
    // Qt's zero-width pen is one pixel wide, so the parts overlap as with width 1.
    QTest::newRow("cosmetic pen") << 200 << 85 << 0 << QRect(84, 1, 116, 23) << QRect(4, 1, 77, 23)
                                  << QRect(88, 1, 108, 23);
    QTest::newRow("boundary past the edge")
        << 100 << 216 << 2 << QRect(214, 1, 0, 23) << QRect(4, 1, 208, 23) << QRect(218, 1, 0, 23);
}

void RazCellTest::rectsFollowSeperatorAndPen() {
    QFETCH(int, width);
    QFETCH(int, seperator);
    QFETCH(int, penWidth);
    tRazCell cell;
    cell.resize(width, 24);
    cell.SetSeperator(seperator);
    cell.SetPen(QPen(Qt::black, penWidth));
    QCOMPARE(cell.labelPartRect(), QRect(1, 1, seperator - 1, 23));
    QTEST(cell.valuePartRect(), "valuePart");
    QTEST(cell.labelTextRect(), "labelText");
    QTEST(cell.valueTextRect(), "valueText");
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

    cell.SetAlignment1(Alignment::Centre);
    QVERIFY(std::abs(Ink(Render(cell), 3, 163).center().x() - 82) <= 2);

    // Long texts are clipped to their boxes and newlines do not start a second line.
    cell.SetString1(QString(100, QLatin1Char('W')));
    cell.SetString2(QString(100, QLatin1Char('W')) + QStringLiteral("\nsecond"));
    image = Render(cell);
    QVERIFY(Ink(image, 161, 167).isEmpty());
    QVERIFY(Ink(image, 256, 258).isEmpty());
    QVERIFY(Ink(image, 167, 256).bottom() < 20);
}

void RazCellTest::repaintsOnlyWhenNeeded_data() {
    QTest::addColumn<CellAction>("action");
    QTest::addColumn<int>("repeatPaints");
    // Values repaint only when they change; styles are copied and always repaint.
    const std::tuple<const char*, CellAction, int> rows[] = {
        {"String1", [](tRazCell& c) { c.SetString1(QStringLiteral("Up Time")); }, 0},
        {"String2", [](tRazCell& c) { c.SetString2(QStringLiteral("3 days")); }, 0},
        {"FillColor1", [](tRazCell& c) { c.SetFillColor1(Qt::darkGreen); }, 0},
        {"FillColor2", [](tRazCell& c) { c.SetFillColor2(Qt::yellow); }, 0},
        {"Seperator", [](tRazCell& c) { c.SetSeperator(90); }, 0},
        {"Alignment1", [](tRazCell& c) { c.SetAlignment1(Alignment::Right); }, 0},
        {"Alignment2 property", [](tRazCell& c) { c.setProperty("Alignment2", 2); }, 0},
        {"Font1", [](tRazCell& c) { c.SetFont1(QFont(QStringLiteral("Arial"), 8)); }, 1},
        {"Font2", [](tRazCell& c) { c.SetFont2(QFont(QStringLiteral("Arial"), 8)); }, 1},
        {"Pen", [](tRazCell& c) { c.SetPen(QPen(Qt::black, 2)); }, 1},
    };
    for (const auto& [name, action, repeat] : rows)
        QTest::newRow(name) << action << repeat;
}

void RazCellTest::repaintsOnlyWhenNeeded() {
    QFETCH(CellAction, action);
    QWidget window;
    window.resize(300, 60);
    auto* cell = new tRazCell(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    PaintCounter counter(cell);
    QCOMPARE(counter.PaintsAfter([&] { action(*cell); }), 1);
    QTEST(counter.PaintsAfter([&] { action(*cell); }), "repeatPaints");
}

// Geometry arithmetic must not overflow (UBSan) and painting must not fail on any value.
void RazCellTest::survivesExtremeValues() {
    const std::tuple<QSize, int, qreal> cases[] = {
        {{128, 32}, INT_MAX, 2}, {{128, 32}, INT_MIN, 2}, {{128, 32}, -40, 1}, {{128, 32}, 64, 500},
        {{128, 32}, 64, 1e9},    {{1, 1}, 64, 2},         {{0, 24}, 64, 2}};
    for (const auto& [size, seperator, pen] : cases) {
        tRazCell cell;
        cell.resize(size);
        cell.SetSeperator(seperator);
        cell.SetPen(QPen(Qt::black, pen));
        cell.SetString1(QStringLiteral("label"));
        cell.SetString2(QString::fromLatin1("\x01\t\r\n\xff value"));
        cell.SetAlignment2(Alignment::Right);
        if (!size.isEmpty()) QCOMPARE(Render(cell).size(), size);
        for (const QRect& r : {cell.labelTextRect(), cell.valueTextRect(), cell.valuePartRect()})
            QVERIFY(r.width() >= 0 && r.height() >= 0);
    }
}

// Read in-process; tests/gui/atspi checks the change events from outside.
void RazCellTest::accessibleAsLabelAndValue() {
    tRazCell cell;
    cell.SetString1(QStringLiteral("Up Time"));
    cell.SetString2(QStringLiteral("3 days 04:05:06"));
    cell.setToolTip(QStringLiteral("How long the router has run"));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&cell);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::StaticText);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Up Time"));
    QCOMPARE(iface->text(QAccessible::Help), QStringLiteral("How long the router has run"));
    // Live values, not a copy from when the interface was made.
    cell.SetString2(QStringLiteral("NULL"));
    QCOMPARE(iface->text(QAccessible::Description), QStringLiteral("NULL"));
}

QTEST_MAIN(RazCellTest)
#include "RazCellTest.moc"
