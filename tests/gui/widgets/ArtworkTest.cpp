// The artwork in the resources, and drawing at the screen's device pixel ratio. Built twice:
// once at scale 1 and once with QT_SCALE_FACTOR=2, where the "@2x" twins must be picked.
#include "Artwork.h"

#include "ImageList.h"
#include "RazCell.h"
#include "RollOverBtn.h"

#include <QGuiApplication>
#include <QTest>

using namespace widgets;

class ArtworkTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void imageSetsHaveTheirSizes_data();
    void imageSetsHaveTheirSizes();
    void pictureAndIconSizes();
    void cellOutlineScalesWithTheScreen();
    void buttonDrawsTheSharpImage();

private:
    qreal ratio_ = 1;
};

void ArtworkTest::initTestCase() {
    ratio_ = qGuiApp->devicePixelRatio();
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        QCOMPARE(ratio_, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
}

void ArtworkTest::imageSetsHaveTheirSizes_data() {
    QTest::addColumn<int>("set");
    QTest::addColumn<QSize>("size");
    QTest::newRow("menu and page buttons") << 0 << QSize(128, 32);
    QTest::newRow("option toggles") << 1 << QSize(24, 24);
    QTest::newRow("Set buttons") << 2 << QSize(32, 24);
}

void ArtworkTest::imageSetsHaveTheirSizes() {
    QFETCH(int, set);
    QFETCH(QSize, size);
    const artwork::ImageSetPaths* sets[] = {&artwork::kButton, &artwork::kToggle,
                                            &artwork::kSetButton};
    tImageList list;
    QVERIFY(artwork::LoadImageSet(list, *sets[set]));
    QCOMPARE(list.Count(), 3);
    QCOMPARE(list.ImageSize(), size);
    QImage images[3];
    for (int i = 0; i < 3; ++i) {
        const QPixmap pixmap = list.Image(i);
        QCOMPARE(pixmap.deviceIndependentSize().toSize(), size);
        QCOMPARE(pixmap.devicePixelRatio(), ratio_);
        QCOMPARE(pixmap.size(), size * ratio_);
        images[i] = pixmap.toImage();
    }
    // The three states must be told apart at a glance.
    QVERIFY(images[0] != images[1]);
    QVERIFY(images[1] != images[2]);
    QVERIFY(images[0] != images[2]);
    // The image covers the button (only rounded corners may be transparent).
    const QImage& normal = images[0];
    QCOMPARE(normal.pixelColor(normal.width() / 2, normal.height() / 2).alpha(), 255);
}

void ArtworkTest::pictureAndIconSizes() {
    const QPixmap logo = LoadArtwork(QString::fromLatin1(artwork::kLogo));
    QCOMPARE(logo.deviceIndependentSize().toSize(), QSize(140, 60));
    QCOMPARE(logo.devicePixelRatio(), ratio_);
    const QPixmap about = LoadArtwork(QString::fromLatin1(artwork::kAbout));
    QCOMPARE(about.deviceIndependentSize().toSize(), QSize(320, 160));

    const QIcon icon = artwork::ProgramIcon();
    QVERIFY(!icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (const int s : {16, 24, 32, 48, 64, 128, 256})
        QVERIFY2(sizes.contains(QSize(s, s)), qPrintable(QString::number(s)));
    QVERIFY(LoadArtwork(QStringLiteral(":/linescope/images/none.png")).isNull());
}

void ArtworkTest::cellOutlineScalesWithTheScreen() {
    tRazCell cell;
    cell.resize(260, 24);
    cell.SetSeperator(165);
    cell.SetPen(QPen(Qt::red, 2));
    const QImage image = cell.grab().toImage();
    QCOMPARE(image.size(), QSize(260, 24) * ratio_);
    const int r = int(ratio_);
    const int y = 12 * r;
    // Logical columns 163 and 164 are the shared outline, in every device pixel of them.
    QCOMPARE(image.pixelColor(163 * r - 1, y), QColor(0, 128, 192));
    for (int x = 163 * r; x < 165 * r; ++x)
        QCOMPARE(image.pixelColor(x, y), QColor(Qt::red));
    QCOMPARE(image.pixelColor(165 * r, y), QColor(Qt::white));
}

void ArtworkTest::buttonDrawsTheSharpImage() {
    tImageList list;
    QVERIFY(artwork::LoadImageSet(list, artwork::kButton));
    tRollOverBtn button;
    button.SetImages(&list);
    button.SetCaption(QString());
    button.SetButtonDown(true);
    const QImage shown = button.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage down = list.Image(2).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(shown.size(), down.size());
    // Drawn pixel for pixel, not scaled up from the small image.
    const QPoint probe(down.width() / 2, down.height() / 2);
    QCOMPARE(shown.pixelColor(probe), down.pixelColor(probe));
}

QTEST_MAIN(ArtworkTest)
#include "ArtworkTest.moc"
