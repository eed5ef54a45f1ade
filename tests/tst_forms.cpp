// SPDX-License-Identifier: MIT
#include "fixture.h"

#include <QAbstractButton>
#include <QImage>
#include <QtTest>

namespace {

const QString kAxisParameter = QStringLiteral("PositionMode_AxisParameter");
const QString kVeltraxAp = QStringLiteral("PositionMode_Veltrax_AP");
const QString kOrsax = QStringLiteral("PositionMode_Orsax");
const QString kVeltrax = QStringLiteral("PositionMode_Veltrax");
const QString kZell = QStringLiteral("PositionMode_Zell");
const QStringList kAllForms{kAxisParameter, kVeltraxAp, kOrsax, kVeltrax, kZell};

} // namespace

class tst_Forms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void laterToolsOfAKindShowTheHostPicturesForTheButtonState_data();
    void laterToolsOfAKindShowTheHostPicturesForTheButtonState();
};

void tst_Forms::initTestCase()
{
    // The host library carries the icons; nothing else of it is used here, and without this
    // reference the linker would leave it out.
    Q_INIT_RESOURCE(host);
}

void tst_Forms::laterToolsOfAKindShowTheHostPicturesForTheButtonState_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("mode"); // QIcon::Mode
    QTest::addColumn<bool>("clickFirst");
    QTest::addColumn<QString>("picture");
    for (const QString& form : kAllForms) {
        const QByteArray prefix = form.toLatin1();
        QTest::newRow(prefix + " absolute")
            << form << "btnMoveAbsolute" << int(QIcon::Normal) << false << ":/Editor/Redo";
        QTest::newRow(prefix + " relative")
            << form << "btnMoveRelative" << int(QIcon::Normal) << false << ":/Editor/Redo";
        QTest::newRow(prefix + " stop") << form << "btnStop" << int(QIcon::Normal) << false << ":/Player/Stop";
    }
    for (const QString& form : {kVeltraxAp, kVeltrax, kZell}) {
        const QByteArray prefix = form.toLatin1();
        QTest::newRow(prefix + " open") << form << "pbOpenClose" << int(QIcon::Normal) << false << ":/Player/rightBlack";
        QTest::newRow(prefix + " closed") << form << "pbOpenClose" << int(QIcon::Normal) << true << ":/Player/leftBlack";
    }
    QTest::newRow("axis parameter shown")
        << kAxisParameter << "btnHideController" << int(QIcon::Active) << false << ":/Player/Right";
    QTest::newRow("axis parameter hidden")
        << kAxisParameter << "btnHideController" << int(QIcon::Active) << true << ":/Player/Left";
}

// The tools of a kind take the first one's icons: every button of a later
// tool must still show the host's picture for its state.
void tst_Forms::laterToolsOfAKindShowTheHostPicturesForTheButtonState()
{
    QFETCH(QString, form);
    QFETCH(QString, button);
    QFETCH(int, mode);
    QFETCH(bool, clickFirst);
    QFETCH(QString, picture);
    static const QHash<QString, int> variants{
        {kAxisParameter, 105}, {kVeltraxAp, 139}, {kOrsax, 100}, {kVeltrax, 135}, {kZell, 40}};
    Fixture fixture(variants.value(form));
    fixture.open();
    auto* found = fixture.open()->findChild<QAbstractButton*>(button);
    QVERIFY2(found, qPrintable(button + " is missing"));
    if (clickFirst)
        found->click();
    const QImage expected(picture);
    QVERIFY2(!expected.isNull(), qPrintable("the host resource " + picture + " is missing"));
    // The state a push button paints with follows its checked flag.
    const QIcon::State state = found->isChecked() ? QIcon::On : QIcon::Off;
    const QImage shown = found->icon().pixmap(expected.size(), QIcon::Mode(mode), state).toImage();
    QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
             expected.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

QTEST_MAIN(tst_Forms)
#include "tst_forms.moc"
