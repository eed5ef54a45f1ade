// SPDX-License-Identifier: MIT
#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <QSvgRenderer>
#include <QtTest>

namespace {

const QString kRampDrawing = QStringLiteral(":/Images/Ramper/Images/Ramper/ramp_segments_8point_position.svg");

const QStringList kRampElements = {
    QStringLiteral("Field-VSTART"), QStringLiteral("Field-VSTOP"), QStringLiteral("Field-V1"),
    QStringLiteral("Field-V2"),     QStringLiteral("Field-VMAX"),  QStringLiteral("Field-TVMAX"),
    QStringLiteral("Field-A1"),     QStringLiteral("Field-A2"),    QStringLiteral("Field-AMAX"),
    QStringLiteral("Field-D1"),     QStringLiteral("Field-D2"),    QStringLiteral("Field-DMAX"),
    QStringLiteral("Field-TZERO")};

} // namespace

class tst_Resources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void rootIconRendersAtAnySize();
    void rampDrawingFitsTheRampViewWithCompactSeparateElements();
};

void tst_Resources::initTestCase()
{
    // This test uses no other symbol of the host library; referencing its resource
    // initialiser keeps the linker from dropping the library and registers the resources.
    Q_INIT_RESOURCE(host);
}

void tst_Resources::rootIconRendersAtAnySize()
{
    // The path has no extension; the icon must still be read as SVG and stay sharp when enlarged.
    const QIcon icon(QStringLiteral(":/Icons/control"));
    for (int side : {16, 48})
        QCOMPARE(icon.pixmap(side, side).size(), QSize(side, side));
}

void tst_Resources::rampDrawingFitsTheRampViewWithCompactSeparateElements()
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

    // Each element a hot spot covers is one label inside the drawing, apart from the others.
    QVector<QRectF> bounds;
    for (const QString& id : kRampElements) {
        QVERIFY2(renderer.elementExists(id), qPrintable(id + " is missing from the drawing"));
        const QRectF element = renderer.boundsOnElement(id);
        QVERIFY2(!element.isEmpty(), qPrintable(id + " has empty bounds: its hot spot covers nothing"));
        QVERIFY2(renderer.viewBoxF().contains(element), qPrintable(id + " reaches outside the drawing"));
        QVERIFY2(element.width() <= viewBox.width() / 4 && element.height() <= viewBox.height() / 4,
                 qPrintable(id + " is not a compact element"));
        for (int i = 0; i < bounds.size(); ++i) {
            QVERIFY2(!bounds[i].intersects(element),
                     qPrintable(kRampElements[i] + " overlaps " + id + ": their hot spots would cover each other"));
        }
        bounds.append(element);
    }
}

QTEST_MAIN(tst_Resources)
#include "tst_resources.moc"
