// The traffic chart drawn without a window, in a QGuiApplication: what the image shows for each
// view option, and what a screen reader is told.
#include "chart/ChartModel.h"

#include <QtTest>

using chart::ChartPoint;
using TrafficChart = chart::ChartModel;

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
    void initTestCase() {
        // No widgets: what a report or a service has.
        QCOMPARE(qApp->metaObject()->className(), "QGuiApplication");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

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

    void historyLabelsMarksAndCompanions() {
        TrafficChart chart;
        const QSize size(600, 418);
        chart.SetBottomAxis(0, 100);
        chart.SetLeftAxis(324, 81); // a pixel per unit: y is row 354 - y
        // Plot 526 px wide: 20 apart is 105 px, 21 is 1 px beyond the label at 20, 101 off the
        // axis.
        chart.SetAxisLabels({{0, 0, "Jan 2026"},
                             {20, 0, "Feb 2026"},
                             {21, 0, "Mar 2026"},
                             {60, 0, "Apr 2026"},
                             {101, 0, "May 2026"}});
        QStringList kept;
        for (const ChartPoint& label : chart.FittingAxisLabels(size))
            kept << label.label;
        QCOMPARE(kept, QStringList({"Jan 2026", "Feb 2026", "Apr 2026"}));
        // A mark in range is drawn under the plot in its colour; one beyond the axis is not.
        const QRgb gold = qRgb(255, 200, 0), magenta = qRgb(255, 0, 255);
        chart.SetMarks({{50, QColor(gold), "Resync"}, {150, QColor(magenta), "Low"}});
        chart.SetPoints(0, {{0, 100, {}}, {100, 100, {}}});
        chart.SetCompanion(0, {{0, 253.5, {}}, {100, 253.5, {}}});
        const QImage image = chart.Render(size);
        QVERIFY(CountColour(image.copy(0, 418 - 64, 600, 12), gold) > 5);
        QCOMPARE(CountColour(image, magenta), 0);
        // The dashed companion: red on its row, in pieces, apart from the series' own row.
        int red = 0;
        for (int x = 60; x < 586; ++x)
            red += image.pixel(x, 100) == qRgb(240, 0, 0);
        QVERIFY(red > 100 && red < 500);
        // A break lifts the line between 40 and 60; the lone point at 100 is still a dash.
        ChartPoint after{60, 100, {}, true}, alone{100, 100, {}, true};
        chart.SetPoints(0, {{0, 100, {}}, {40, 100, {}}, after, {90, 100, {}}, alone});
        const QImage broken = chart.Render(size);
        const auto redNear = [&](double x) {
            return CountColour(broken.copy(60 + int(x * 5.26) - 1, 250, 3, 8), qRgb(240, 0, 0));
        };
        QVERIFY(redNear(20) > 0 && redNear(75) > 0 && redNear(99.8) > 0);
        QCOMPARE(redNear(50), 0);
        QCOMPARE(redNear(95), 0);
    }

    void describesTheLatestRates() {
        TrafficChart chart;
        QCOMPARE(chart.Description(),
                 QStringLiteral("DownStream: no samples, UpStream: no samples"));
        chart.SetPoints(0, {{1, 5, {}}, {2, 12345, {}}});
        chart.SetPoints(1, {{1, 7, {}}, {2, 448, {}}});
        QCOMPARE(chart.Description(),
                 QStringLiteral("DownStream: 12,345 kbit/s, UpStream: 448 kbit/s"));
    }
};

QTEST_MAIN(TrafficChartTest)
#include "TrafficChartTest.moc"
