// Drawing at the screen's device pixel ratio. Built twice: at scale 1 and with
// QT_SCALE_FACTOR=2, where the artwork's "@2x" twins must be picked.
#include "app/Artwork.h"

#include "widgets/RazCell.h"
#include "widgets/RollOverBtn.h"

#include <QGuiApplication>
#include <QTest>
#include <tuple>

using namespace widgets;
namespace artwork = app::artwork;

class ArtworkTest : public QObject {
    Q_OBJECT

private slots:
    void drawnSharpAtTheScreensRatio();
};

void ArtworkTest::drawnSharpAtTheScreensRatio() {
    const int r = int(qGuiApp->devicePixelRatio());
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        QCOMPARE(r, qEnvironmentVariableIntValue("QT_SCALE_FACTOR"));
    // A counter-page cell: its parts share one outline (logical columns 163-164), the value
    // part's outline runs round its other three sides, and each covers every device pixel.
    tRazCell cell;
    cell.resize(260, 24);
    cell.SetSeperator(165);
    cell.SetPen(QPen(Qt::red, 2));
    const QImage image = cell.grab().toImage();
    QCOMPARE(image.size(), QSize(260, 24) * r);
    const QColor fill1(0, 128, 192), red(Qt::red), white(Qt::white);
    const std::tuple<int, int, QColor> pixels[] = {
        {162, 12, fill1}, {163, 12, red}, {164, 12, red}, {165, 12, white}, {257, 12, white},
        {258, 12, red},   {259, 12, red}, {200, 1, red},  {200, 2, red},    {200, 3, white},
        {200, 21, white}, {200, 22, red}, {200, 23, red}};
    for (const auto& [x, y, colour] : pixels)
        for (const int d : {0, r - 1})
            QVERIFY2(image.pixelColor(x * r + d, y * r + d) == colour,
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));

    // A button draws its image pixel for pixel, not scaled up from the small one.
    tImageList list;
    QVERIFY(artwork::LoadImageSet(list, artwork::kButton));
    tRollOverBtn button;
    button.SetImages(&list);
    button.SetCaption(QString());
    button.SetButtonDown(true);
    const QImage shown = button.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage down = list.Image(2).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(shown.size(), down.size());
    for (const QPoint p : {QPoint(20 * r, 16 * r), QPoint(11 * r, 15 * r)})
        QCOMPARE(shown.pixelColor(p), down.pixelColor(p));
}

QTEST_MAIN(ArtworkTest)
#include "ArtworkTest.moc"
