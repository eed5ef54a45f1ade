#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSvgRenderer>
#include <QtTest>

#include <algorithm>

namespace {

const QString kRampDrawing =
    QStringLiteral(":/Images/Ramper/Images/Ramper/ramp_segments_8point_position.svg");

const QStringList kRampElements = {
    QStringLiteral("Field-VSTART"), QStringLiteral("Field-VSTOP"), QStringLiteral("Field-V1"),
    QStringLiteral("Field-V2"),     QStringLiteral("Field-VMAX"),  QStringLiteral("Field-TVMAX"),
    QStringLiteral("Field-A1"),     QStringLiteral("Field-A2"),    QStringLiteral("Field-AMAX"),
    QStringLiteral("Field-D1"),     QStringLiteral("Field-D2"),    QStringLiteral("Field-DMAX"),
    QStringLiteral("Field-TZERO")};

enum class Pointing { Nowhere, Left, Right };

// The helpers read straight (not premultiplied) ARGB32 images.

// Mean x of the visible pixels in one row, or -1 when the row is empty.
double inkCentreInRow(const QImage &image, int y)
{
    double sum = 0;
    int count = 0;
    for (int x = 0; x < image.width(); ++x) {
        if (qAlpha(image.pixel(x, y)) > 128) {
            sum += x;
            ++count;
        }
    }
    return count == 0 ? -1 : sum / count;
}

// Darkest grey level among the visible pixels: 0 is black, 255 white.
int darkestInk(const QImage &image)
{
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) > 128)
                darkest = std::min(darkest, qGray(pixel));
        }
    }
    return darkest;
}

} // namespace

Q_DECLARE_METATYPE(Pointing)

class tst_Resources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void iconLoadsAndScalesFromItsPath_data();
    void iconLoadsAndScalesFromItsPath();
    void rampDrawingFitsTheRampViewUndistorted();
    void rampElementHasCompactBoundsInsideTheDrawing_data();
    void rampElementHasCompactBoundsInsideTheDrawing();
    void rampElementBoundsDoNotOverlap();
};

void tst_Resources::initTestCase()
{
    // This test uses no other symbol of the host library; referencing its resource
    // initialiser keeps the linker from dropping the library and registers the resources.
    Q_INIT_RESOURCE(host);
}

void tst_Resources::iconLoadsAndScalesFromItsPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<Pointing>("pointing");
    QTest::addColumn<bool>("black");

    QTest::newRow("tool") << ":/Icons/control" << Pointing::Nowhere << false;
    QTest::newRow("move") << ":/Editor/Redo" << Pointing::Nowhere << false;
    QTest::newRow("stop") << ":/Player/Stop" << Pointing::Nowhere << false;
    QTest::newRow("handle left") << ":/Player/Left" << Pointing::Left << false;
    QTest::newRow("handle right") << ":/Player/Right" << Pointing::Right << false;
    QTest::newRow("button left") << ":/Player/leftBlack" << Pointing::Left << true;
    QTest::newRow("button right") << ":/Player/rightBlack" << Pointing::Right << true;
}

void tst_Resources::iconLoadsAndScalesFromItsPath()
{
    QFETCH(QString, path);
    QFETCH(Pointing, pointing);
    QFETCH(bool, black);

    QVERIFY2(QFile::exists(path), qPrintable(path + " is not a registered resource"));
    const QIcon icon(path);
    QVERIFY(!icon.isNull());

    const QPixmap small = icon.pixmap(16, 16);
    QVERIFY2(!small.isNull(), "an icon without extension must still be read as SVG");
    QVERIFY2(darkestInk(small.toImage().convertToFormat(QImage::Format_ARGB32)) < 255,
             "the icon draws nothing at 16 px");

    // Buttons show these icons larger than their base size; a vector icon stays sharp there.
    const QImage large = icon.pixmap(48, 48).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(large.size(), QSize(48, 48));

    if (pointing != Pointing::Nowhere) {
        const double tip = inkCentreInRow(large, large.height() / 2);
        const double arm = inkCentreInRow(large, large.height() / 3);
        QVERIFY2(tip >= 0 && arm >= 0, "the chevron does not reach its middle and upper thirds");
        QVERIFY2(pointing == Pointing::Left ? tip < arm : tip > arm,
                 "the chevron points the wrong way");
    }
    if (black)
        QVERIFY2(darkestInk(large) < 40, "the open/close chevrons are black");
    else if (pointing != Pointing::Nowhere)
        QVERIFY2(darkestInk(large) > 80, "the collapse handle chevrons are grey");
}

void tst_Resources::rampDrawingFitsTheRampViewUndistorted()
{
    QSvgRenderer renderer(kRampDrawing);
    QVERIFY2(renderer.isValid(), "the ramp drawing does not parse");

    // Hot spots scale element bounds by default size / viewBox without shifting them, so the
    // mapping is only exact when the viewBox starts at the origin.
    QCOMPARE(renderer.viewBox().topLeft(), QPoint(0, 0));
    // The same scale both ways, and small enough for the view's 600 x 300 minimum less its
    // frame: a drawing one pixel too wide brings up a scroll bar and cuts off its right edge.
    const QSize size = renderer.defaultSize();
    const QSize viewBox = renderer.viewBox().size();
    QCOMPARE(size.width() * viewBox.height(), size.height() * viewBox.width());
    QVERIFY2(size.width() <= 596 && size.height() <= 296, "the drawing does not fit the ramp view");
}

void tst_Resources::rampElementHasCompactBoundsInsideTheDrawing_data()
{
    QTest::addColumn<QString>("id");
    for (const QString &id : kRampElements)
        QTest::newRow(qPrintable(id)) << id;
}

void tst_Resources::rampElementHasCompactBoundsInsideTheDrawing()
{
    QFETCH(QString, id);
    QSvgRenderer renderer(kRampDrawing);

    QVERIFY2(renderer.elementExists(id), qPrintable(id + " is missing from the drawing"));
    const QRectF bounds = renderer.boundsOnElement(id);
    QVERIFY2(!bounds.isEmpty(), qPrintable(id + " has empty bounds: its hot spot covers nothing"));

    const QRectF viewBox = renderer.viewBoxF();
    QVERIFY2(viewBox.contains(bounds), qPrintable(id + " reaches outside the drawing"));
    // A hot spot covers one label, not a region of the drawing.
    QVERIFY2(bounds.width() <= viewBox.width() / 4 && bounds.height() <= viewBox.height() / 4,
             qPrintable(id + " is not a compact element"));
}

void tst_Resources::rampElementBoundsDoNotOverlap()
{
    QSvgRenderer renderer(kRampDrawing);
    QVector<QRectF> bounds;
    for (const QString &id : kRampElements)
        bounds.append(renderer.boundsOnElement(id));

    for (int i = 0; i < bounds.size(); ++i) {
        for (int j = i + 1; j < bounds.size(); ++j) {
            QVERIFY2(!bounds[i].intersects(bounds[j]),
                     qPrintable(kRampElements[i] + " overlaps " + kRampElements[j]
                                + ": their hot spots would cover each other"));
        }
    }
}

QTEST_MAIN(tst_Resources)
#include "tst_resources.moc"
