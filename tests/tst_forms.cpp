// SPDX-License-Identifier: MIT
#include "fixture.h"
#include "ui_positionmode_axisparameter.h"
#include "ui_positionmode_orsax.h"
#include "ui_positionmode_veltrax.h"
#include "ui_positionmode_veltrax_ap.h"
#include "ui_positionmode_zell.h"

#include <QAbstractButton>
#include <QImage>
#include <QSpinBox>
#include <QtTest>

#include <climits>
#include <memory>

namespace {

const QString kAxisParameter = QStringLiteral("PositionMode_AxisParameter");
const QString kVeltraxAp = QStringLiteral("PositionMode_Veltrax_AP");
const QString kOrsax = QStringLiteral("PositionMode_Orsax");
const QString kVeltrax = QStringLiteral("PositionMode_Veltrax");
const QString kZell = QStringLiteral("PositionMode_Zell");
const QStringList kAllForms{kAxisParameter, kVeltraxAp, kOrsax, kVeltrax, kZell};

template <typename Form>
void setUp(QWidget* root)
{
    Form().setupUi(root);
}

// Builds the named form on a plain widget; the widgets live on without the form object.
std::unique_ptr<QWidget> buildForm(const QString& form)
{
    static const QHash<QString, void (*)(QWidget*)> setups{
        {kAxisParameter, &setUp<Ui_PositionMode_AxisParameter>},
        {kVeltraxAp, &setUp<Ui_PositionMode_Veltrax_AP>},
        {kOrsax, &setUp<Ui_PositionMode_Orsax>},
        {kVeltrax, &setUp<Ui_PositionMode_Veltrax>},
        {kZell, &setUp<Ui_PositionMode_Zell>},
    };
    auto root = std::make_unique<QWidget>();
    setups.value(form)(root.get());
    return root;
}

} // namespace

class tst_Forms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void positionBoxesTakeEveryIntExceptTheLowest_data();
    void positionBoxesTakeEveryIntExceptTheLowest();
    void laterToolsOfAKindShowTheHostPicturesForTheButtonState_data();
    void laterToolsOfAKindShowTheHostPicturesForTheButtonState();
};

void tst_Forms::initTestCase()
{
    // The host library carries the icons; nothing else of it is used here, and without this
    // reference the linker would leave it out.
    Q_INIT_RESOURCE(host);
}

void tst_Forms::positionBoxesTakeEveryIntExceptTheLowest_data()
{
    QTest::addColumn<QString>("form");
    for (const QString& form : kAllForms)
        QTest::newRow(qPrintable(form)) << form;
}

void tst_Forms::positionBoxesTakeEveryIntExceptTheLowest()
{
    QFETCH(QString, form);
    const auto root = buildForm(form);
    auto* target = root->findChild<QSpinBox*>(QStringLiteral("sbTargetPosition"));
    QVERIFY(target);
    target->setValue(INT_MAX);
    QCOMPARE(target->value(), INT_MAX);
    target->setValue(INT_MIN);
    QVERIFY2(target->value() == -INT_MAX, "the lowest int has no positive counterpart and stays out");

    auto* actual = root->findChild<QSpinBox*>(QStringLiteral("sbActualPosition"));
    if (form == kAxisParameter) {
        QVERIFY2(!actual, "the axis-parameter tool puts its own editor into the placeholder");
        return;
    }
    QVERIFY(actual);
    QVERIFY2(!actual->isEnabled(), "the user must not type into the actual position");
    QCOMPARE(actual->minimum(), -INT_MAX);
    QCOMPARE(actual->maximum(), INT_MAX);
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
