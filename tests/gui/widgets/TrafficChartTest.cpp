// The traffic chart drawn offscreen: what the image shows for each view option, and what a
// screen reader is told.
#include "TrafficChart.h"

#include <QtTest>

using widgets::ChartPoint;
using widgets::TrafficChart;

namespace {

int CountColour(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

// A flat series at `y` over the whole default window.
QVector<ChartPoint> Flat(double y) {
    QVector<ChartPoint> points;
    for (int x = 0; x <= 24; ++x)
        points.append({double(x), y, QStringLiteral(" 3:04:%1").arg(x, 2, 10, QLatin1Char('0'))});
    return points;
}

} // namespace

class TrafficChartTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void drawsEachSeriesWhereItsPointsAre() {
        TrafficChart chart;
        const QSize size(600, 418);
        const QRgb red = qRgb(240, 0, 0), green = qRgb(0, 240, 0), marker = qRgb(0, 255, 64);
        const QImage empty = chart.Render(size);
        QCOMPARE(empty.size(), size);
        QCOMPARE(empty.pixel(size.width() / 2, size.height() - 2), qRgb(155, 154, 179));

        chart.SetPoints(0, Flat(192)); // three quarters up
        chart.SetPoints(1, Flat(64));  // one quarter up
        const QImage flat = chart.Render(size);
        // Each line lies in its own band of rows: red in the upper half, green in the lower.
        auto rowsOf = [](const QImage& image, QRgb colour) {
            QVector<int> rows;
            for (int y = 32; y < image.height(); ++y) // below the legend
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixel(x, y) == colour) {
                        rows.append(y);
                        break;
                    }
            return rows;
        };
        const QVector<int> redRows = rowsOf(flat, red), greenRows = rowsOf(flat, green);
        QVERIFY(!redRows.isEmpty() && !greenRows.isEmpty());
        QVERIFY(redRows.back() < size.height() / 2 && greenRows.front() > size.height() / 2);
        QCOMPARE(CountColour(flat, marker), 0);

        // Each option changes the picture; markers bring the second series' own fill.
        const std::function<void(TrafficChart&)> options[] = {
            [](TrafficChart& c) { c.Set3D(true); },
            [](TrafficChart& c) { c.SetStairs(0, true); },
            [](TrafficChart& c) { c.SetShowValues(0, true); },
            [](TrafficChart& c) { c.SetShowPoints(1, true); },
        };
        for (const auto& option : options) {
            TrafficChart other;
            other.SetPoints(1, Flat(64));
            QVector<ChartPoint> rising = Flat(64);
            for (int i = 0; i < rising.size(); ++i)
                rising[i].y = 10 * i;
            other.SetPoints(0, rising);
            const QImage before = other.Render(size);
            option(other);
            QVERIFY(other.Render(size) != before);
        }
        chart.SetShowPoints(1, true);
        QVERIFY(CountColour(chart.Render(size), marker) > 25);
    }

    void describesTheLatestRates() {
        TrafficChart chart;
        QCOMPARE(chart.accessibleDescription(),
                 QStringLiteral("DownStream: no samples, UpStream: no samples"));
        chart.SetPoints(0, {{1, 5, {}}, {2, 12345, {}}});
        chart.SetPoints(1, {{1, 7, {}}, {2, 448, {}}});
        QCOMPARE(chart.accessibleDescription(),
                 QStringLiteral("DownStream: 12,345 kbit/s, UpStream: 448 kbit/s"));
    }
};

QTEST_MAIN(TrafficChartTest)
#include "TrafficChartTest.moc"
