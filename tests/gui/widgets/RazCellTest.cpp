#include "RazCell.h"

#include "PaintCounter.h"

#include <QFontDatabase>
#include <QImage>
#include <QMetaProperty>
#include <QTest>
#include <climits>
#include <functional>

using widgets::Alignment;
using widgets::tRazCell;

using CellAction = std::function<void(tRazCell&)>;
Q_DECLARE_METATYPE(CellAction)

namespace {

const QColor kBackground(255, 0, 255);
const QColor kOutline(200, 0, 0);
const QColor kLabelFill(0, 128, 192);
const QColor kValueFill(Qt::white);
const QColor kText(Qt::black);

// A cell as the counter pages use it: 260 x 24, boundary at 165, outline 2 pixels wide.
void StyleLikeCounterPage(tRazCell& cell) {
    cell.resize(260, 24);
    cell.SetSeperator(165);
    cell.SetPen(QPen(kOutline, 2));
    QPalette palette = cell.palette();
    palette.setColor(QPalette::Window, kBackground);
    cell.setPalette(palette);
    cell.SetFontColor1(kText);
    cell.SetFontColor2(kText);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(12);
    cell.SetFont1(font);
    cell.SetFont2(font);
}

QImage Render(tRazCell& cell) {
    return cell.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Columns of the image's rows [top, bottom) that hold the text colour.
struct Extent {
    int first = INT_MAX;
    int last = INT_MIN;
    int top = INT_MAX;
    int bottom = INT_MIN;
    [[nodiscard]] bool Empty() const { return first > last; }
};

Extent TextExtent(const QImage& image, int fromX, int toX, const QColor& background) {
    Extent e;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = std::max(0, fromX); x < std::min(toX, image.width()); ++x) {
            const QColor c = image.pixelColor(x, y);
            // Anti-aliased glyph edges blend towards the fill; count clearly dark pixels only.
            if (c != background && c.lightness() < 128 && c != kOutline) {
                e.first = std::min(e.first, x);
                e.last = std::max(e.last, x);
                e.top = std::min(e.top, y);
                e.bottom = std::max(e.bottom, y);
            }
        }
    }
    return e;
}

} // namespace

class RazCellTest : public QObject {
    Q_OBJECT

private slots:
    void publishedPropertiesHaveTheirDefaults();
    void textRectsFollowSeperatorAndPen_data();
    void textRectsFollowSeperatorAndPen();
    void partsShareOneOutline();
    void valueTextStartsAfterSharedOutline();
    void rightAlignedLabelEndsFourPixelsBeforeSeperator();
    void textIsClippedToItsPart();
    void repaintsOnlyWhenNeeded_data();
    void repaintsOnlyWhenNeeded();
    void survivesExtremeGeometry_data();
    void survivesExtremeGeometry();
};

void RazCellTest::publishedPropertiesHaveTheirDefaults() {
    tRazCell cell;
    QCOMPARE(cell.size(), QSize(128, 32));
    const struct {
        const char* name;
        QVariant value;
    } expected[] = {
        {"String1", QString()},
        {"String2", QString()},
        {"FillColor1", QColor(0, 128, 192)},
        {"FillColor2", QColor(Qt::white)},
        {"Seperator", 64},
        {"Alignment1", 0},
        {"Alignment2", 0},
    };
    for (const auto& e : expected) {
        const QVariant actual = cell.property(e.name);
        QVERIFY2(actual.isValid(), e.name);
        QCOMPARE(actual, e.value);
    }
    QCOMPARE(cell.property("Pen").value<QPen>().width(), 1);
    QVERIFY(cell.property("Font1").canConvert<QFont>());
    QVERIFY(cell.property("Font2").canConvert<QFont>());

    // Stored alignment numbers map to left, right, centre; anything else reads as left.
    QVERIFY(cell.setProperty("Alignment2", 2));
    QCOMPARE(cell.Alignment2(), Alignment::Centre);
    QVERIFY(cell.setProperty("Alignment1", 1));
    QCOMPARE(cell.Alignment1(), Alignment::Right);
    QVERIFY(cell.setProperty("Alignment1", 7));
    QCOMPARE(cell.Alignment1(), Alignment::Left);
}

void RazCellTest::textRectsFollowSeperatorAndPen_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("seperator");
    QTest::addColumn<int>("penWidth");
    QTest::addColumn<QRect>("labelPart");
    QTest::addColumn<QRect>("valuePart");
    QTest::addColumn<QRect>("labelText");
    QTest::addColumn<QRect>("valueText");

    // QRect(left, top, width, height): right and bottom edges below are exclusive.
    QTest::newRow("counter page") << QSize(260, 24) << 165 << 2 << QRect(1, 1, 164, 23)
                                  << QRect(163, 1, 97, 23) << QRect(4, 1, 157, 23)
                                  << QRect(167, 1, 89, 23);
    QTest::newRow("defaults") << QSize(128, 32) << 64 << 1 << QRect(1, 1, 63, 31)
                              << QRect(63, 1, 65, 31) << QRect(4, 1, 56, 31)
                              << QRect(67, 1, 57, 31);
    // Qt's zero-width pen is a one-pixel line, so it overlaps like width 1.
    QTest::newRow("cosmetic pen") << QSize(200, 24) << 85 << 0 << QRect(1, 1, 84, 23)
                                  << QRect(84, 1, 116, 23) << QRect(4, 1, 77, 23)
                                  << QRect(88, 1, 108, 23);
    QTest::newRow("boundary past the right edge")
        << QSize(100, 24) << 216 << 2 << QRect(1, 1, 215, 23) << QRect(214, 1, 0, 23)
        << QRect(4, 1, 208, 23) << QRect(218, 1, 0, 23);
    QTest::newRow("boundary left of the text inset")
        << QSize(100, 24) << 3 << 2 << QRect(1, 1, 2, 23) << QRect(1, 1, 99, 23)
        << QRect(4, 1, 0, 23) << QRect(5, 1, 91, 23);
}

void RazCellTest::textRectsFollowSeperatorAndPen() {
    QFETCH(QSize, size);
    QFETCH(int, seperator);
    QFETCH(int, penWidth);
    tRazCell cell;
    cell.resize(size);
    cell.SetSeperator(seperator);
    cell.SetPen(QPen(Qt::black, penWidth));
    QTEST(cell.labelPartRect(), "labelPart");
    QTEST(cell.valuePartRect(), "valuePart");
    QTEST(cell.labelTextRect(), "labelText");
    QTEST(cell.valueTextRect(), "valueText");
}

void RazCellTest::partsShareOneOutline() {
    tRazCell cell;
    StyleLikeCounterPage(cell);
    const QImage image = Render(cell);
    QCOMPARE(image.size(), QSize(260, 24));

    const int midY = 12;
    const struct {
        int x;
        QColor colour;
    } columns[] = {
        {0, kBackground},  {1, kOutline},   {2, kOutline},   {3, kLabelFill},
        {162, kLabelFill}, {163, kOutline}, {164, kOutline}, {165, kValueFill},
        {257, kValueFill}, {258, kOutline}, {259, kOutline},
    };
    for (const auto& c : columns)
        QVERIFY2(image.pixelColor(c.x, midY) == c.colour, qPrintable(QString::number(c.x)));

    const struct {
        int y;
        QColor label;
        QColor value;
    } rows[] = {
        {0, kBackground, kBackground}, {1, kOutline, kOutline},      {2, kOutline, kOutline},
        {3, kLabelFill, kValueFill},   {21, kLabelFill, kValueFill}, {22, kOutline, kOutline},
        {23, kOutline, kOutline},
    };
    for (const auto& r : rows) {
        QVERIFY2(image.pixelColor(80, r.y) == r.label, qPrintable(QString::number(r.y)));
        QVERIFY2(image.pixelColor(200, r.y) == r.value, qPrintable(QString::number(r.y)));
    }
}

void RazCellTest::valueTextStartsAfterSharedOutline() {
    tRazCell cell;
    StyleLikeCounterPage(cell);
    cell.SetString2(QStringLiteral("HHHH"));
    const QImage image = Render(cell);
    const Extent text = TextExtent(image, 165, 260, kValueFill);
    QVERIFY(!text.Empty());
    // "H" has a one- or two-pixel side bearing; the text box itself starts at 167.
    QVERIFY2(text.first >= 167 && text.first <= 169, qPrintable(QString::number(text.first)));
    // Vertically centred in rows 1..23.
    const double centre = (text.top + text.bottom) / 2.0;
    QVERIFY2(std::abs(centre - 12.0) <= 2.0, qPrintable(QString::number(centre)));
}

void RazCellTest::rightAlignedLabelEndsFourPixelsBeforeSeperator() {
    for (const int seperator : {85, 165, 216}) {
        tRazCell cell;
        StyleLikeCounterPage(cell);
        cell.resize(300, 24);
        cell.SetSeperator(seperator);
        cell.SetFontColor1(Qt::black);
        cell.SetString1(QStringLiteral("HHH"));
        cell.SetAlignment1(Alignment::Right);
        const Extent text = TextExtent(Render(cell), 3, seperator - 2, kLabelFill);
        QVERIFY(!text.Empty());
        // The text box ends (exclusive) at Seperator - 4, so the last inked column is at most
        // Seperator - 5, less the glyph's right bearing.
        QVERIFY2(text.last <= seperator - 5 && text.last >= seperator - 7,
                 qPrintable(QStringLiteral("%1 for %2").arg(text.last).arg(seperator)));

        cell.SetAlignment1(Alignment::Centre);
        const Extent centred = TextExtent(Render(cell), 3, seperator - 2, kLabelFill);
        const double middle = (centred.first + centred.last) / 2.0;
        QVERIFY2(std::abs(middle - (4 + seperator - 4) / 2.0) <= 2.0,
                 qPrintable(QString::number(middle)));
    }
}

void RazCellTest::textIsClippedToItsPart() {
    tRazCell cell;
    StyleLikeCounterPage(cell);
    const QString longText(200, QLatin1Char('W'));
    cell.SetString1(longText);
    cell.SetString2(longText + QStringLiteral("\nsecond line"));
    const QImage image = Render(cell);
    // No ink in the label's right inset, on the outlines or in the value's right inset.
    QVERIFY(TextExtent(image, 161, 165, kLabelFill).Empty());
    QVERIFY(TextExtent(image, 256, 260, kValueFill).Empty());
    QVERIFY(TextExtent(image, 163, 167, kValueFill).Empty());
    // Single line: nothing inked on the rows of a would-be second line.
    const Extent value = TextExtent(image, 167, 256, kValueFill);
    QVERIFY(!value.Empty());
    QVERIFY2(value.bottom < 20, qPrintable(QString::number(value.bottom)));
}

void RazCellTest::repaintsOnlyWhenNeeded_data() {
    QTest::addColumn<CellAction>("action");
    QTest::addColumn<int>("firstPaints");
    QTest::addColumn<int>("repeatPaints");

    auto row = [](const char* name, CellAction action, int repeat) {
        QTest::newRow(name) << std::move(action) << 1 << repeat;
    };
    row(
        "String1", [](tRazCell& c) { c.SetString1(QStringLiteral("Up Time")); }, 0);
    row(
        "String2", [](tRazCell& c) { c.SetString2(QStringLiteral("3 days")); }, 0);
    row(
        "FillColor1", [](tRazCell& c) { c.SetFillColor1(Qt::darkGreen); }, 0);
    row(
        "FillColor2", [](tRazCell& c) { c.SetFillColor2(Qt::yellow); }, 0);
    row(
        "Seperator", [](tRazCell& c) { c.SetSeperator(90); }, 0);
    row(
        "Alignment1", [](tRazCell& c) { c.SetAlignment1(Alignment::Right); }, 0);
    row(
        "Alignment2", [](tRazCell& c) { c.SetAlignment2(Alignment::Centre); }, 0);
    row(
        "Alignment property", [](tRazCell& c) { c.setProperty("Alignment2", 1); }, 0);
    // Styles are copied and always repaint, even with equal attributes.
    row(
        "Font1", [](tRazCell& c) { c.SetFont1(QFont(QStringLiteral("Arial"), 8)); }, 1);
    row(
        "Font2", [](tRazCell& c) { c.SetFont2(QFont(QStringLiteral("Arial"), 8)); }, 1);
    row(
        "Pen", [](tRazCell& c) { c.SetPen(QPen(Qt::black, 2)); }, 1);
}

void RazCellTest::repaintsOnlyWhenNeeded() {
    QFETCH(CellAction, action);
    QFETCH(int, firstPaints);
    QFETCH(int, repeatPaints);
    QWidget window;
    window.resize(300, 60);
    auto* cell = new tRazCell(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    PaintCounter counter(cell);

    QCOMPARE(counter.PaintsAfter([&] { action(*cell); }), firstPaints);
    QCOMPARE(counter.PaintsAfter([&] { action(*cell); }), repeatPaints);
    // Several changes before the event loop runs still cost one paint.
    QCOMPARE(counter.PaintsAfter([&] {
        cell->SetString1(QStringLiteral("a"));
        cell->SetString2(QStringLiteral("b"));
        cell->SetSeperator(100);
    }),
             1);
}

void RazCellTest::survivesExtremeGeometry_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("seperator");
    QTest::addColumn<int>("penWidth");
    QTest::newRow("huge boundary") << QSize(128, 32) << INT_MAX << 2;
    QTest::newRow("most negative boundary") << QSize(128, 32) << INT_MIN << 2;
    QTest::newRow("negative boundary") << QSize(128, 32) << -40 << 1;
    QTest::newRow("pen wider than the cell") << QSize(128, 32) << 64 << 500;
    QTest::newRow("pen of huge width") << QSize(128, 32) << 64 << INT_MAX / 2;
    QTest::newRow("one pixel") << QSize(1, 1) << 64 << 2;
    QTest::newRow("no width") << QSize(0, 24) << 64 << 2;
}

void RazCellTest::survivesExtremeGeometry() {
    QFETCH(QSize, size);
    QFETCH(int, seperator);
    QFETCH(int, penWidth);
    tRazCell cell;
    cell.resize(size);
    cell.SetSeperator(seperator);
    cell.SetPen(QPen(Qt::black, penWidth));
    cell.SetString1(QStringLiteral("label"));
    cell.SetString2(QString::fromLatin1("\x01\t\r\n\xff value"));
    cell.SetAlignment2(Alignment::Right);
    const QImage image = Render(cell);
    // A zero-width widget renders nothing at all.
    if (!size.isEmpty()) QCOMPARE(image.size(), size);
    for (const QRect& r :
         {cell.labelTextRect(), cell.valueTextRect(), cell.labelPartRect(), cell.valuePartRect()})
        QVERIFY(r.width() >= 0 && r.height() >= 0);
    QVERIFY(cell.sizeHint().isValid());
}

QTEST_MAIN(RazCellTest)
#include "RazCellTest.moc"
