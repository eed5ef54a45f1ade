#include "ui_positionmode_axisparameter.h"
#include "ui_positionmode_orsax.h"
#include "ui_positionmode_veltrax.h"
#include "ui_positionmode_veltrax_ap.h"
#include "ui_positionmode_zell.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFormLayout>
#include <QGraphicsView>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QSpinBox>
#include <QTranslator>
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
std::unique_ptr<QWidget> buildForm(const QString& form, const QString& presetName = QString())
{
    static const QHash<QString, void (*)(QWidget*)> setups{
        {kAxisParameter, &setUp<Ui_PositionMode_AxisParameter>},
        {kVeltraxAp, &setUp<Ui_PositionMode_Veltrax_AP>},
        {kOrsax, &setUp<Ui_PositionMode_Orsax>},
        {kVeltrax, &setUp<Ui_PositionMode_Veltrax>},
        {kZell, &setUp<Ui_PositionMode_Zell>},
    };
    auto root = std::make_unique<QWidget>();
    root->setObjectName(presetName);
    setups.value(form)(root.get());
    return root;
}

QString policyText(const QSizePolicy& policy)
{
    const QMetaEnum names = QMetaEnum::fromType<QSizePolicy::Policy>();
    return QStringLiteral("%1/%2").arg(QLatin1String(names.valueToKey(policy.horizontalPolicy())),
                                      QLatin1String(names.valueToKey(policy.verticalPolicy())));
}

QString itemText(QLayoutItem* item)
{
    if (QWidget* widget = item->widget())
        return widget->objectName();
    if (QLayout* layout = item->layout())
        return layout->objectName();
    const QSize hint = item->sizeHint();
    return QStringLiteral("spacer %1x%2 %3").arg(hint.width()).arg(hint.height()).arg(policyText(item->spacerItem()->sizePolicy()));
}

// One line per layout: its items in insertion order, with the cell for grid and form layouts.
QString layoutText(QLayout* layout)
{
    QStringList items;
    for (int i = 0; i < layout->count(); ++i) {
        QString text = itemText(layout->itemAt(i));
        if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
            int row, column, rowSpan, columnSpan;
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            text.prepend(QStringLiteral("%1,%2%3:").arg(row).arg(column).arg(rowSpan * columnSpan == 1 ? QString() : QStringLiteral("+")));
        } else if (auto* form = qobject_cast<QFormLayout*>(layout)) {
            int row;
            QFormLayout::ItemRole role;
            form->getItemPosition(i, &row, &role);
            text.prepend(QStringLiteral("%1,%2:").arg(row).arg(role));
        }
        items << text;
    }
    return items.join(QStringLiteral(", "));
}

QString stretchText(QLayout* layout)
{
    QStringList factors;
    if (auto* box = qobject_cast<QBoxLayout*>(layout)) {
        for (int i = 0; i < box->count(); ++i)
            factors << QString::number(box->stretch(i));
    }
    return factors.join(QLatin1Char(','));
}

// Marks every translated text with the context it was looked up in.
class ContextMarkingTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        return QString::fromUtf8(context) + QLatin1Char('|') + QString::fromUtf8(sourceText);
    }
};

bool sameIcon(const QIcon& a, const QIcon& b)
{
    for (QIcon::Mode mode : {QIcon::Normal, QIcon::Active}) {
        for (QIcon::State state : {QIcon::Off, QIcon::On}) {
            if (a.pixmap(16, mode, state).toImage() != b.pixmap(16, mode, state).toImage())
                return false;
        }
    }
    return true;
}

// Differences between two widget trees built by forms that should match except for the root's name.
void collectDifferences(QObject* a, QObject* b, const QString& path, QStringList& differences, int& compared)
{
    ++compared;
    if (qstrcmp(a->metaObject()->className(), b->metaObject()->className()) != 0) {
        differences << path + QStringLiteral(": class differs");
        return;
    }
    const QMetaObject* meta = a->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (path.isEmpty() && qstrcmp(property.name(), "objectName") == 0)
            continue;
        const QVariant left = property.read(a);
        const QVariant right = property.read(b);
        const bool same = left.userType() == QMetaType::QIcon ? sameIcon(left.value<QIcon>(), right.value<QIcon>())
                                                              : left != left || left == right; // left != left: no equality for the type
        if (!same)
            differences << path + QLatin1Char('.') + QLatin1String(property.name());
    }
    auto* layoutA = qobject_cast<QLayout*>(a);
    auto* layoutB = qobject_cast<QLayout*>(b);
    if (layoutA && (layoutText(layoutA) != layoutText(layoutB) || layoutA->contentsMargins() != layoutB->contentsMargins()
                    || stretchText(layoutA) != stretchText(layoutB)))
        differences << path + QStringLiteral(": items, margins or stretch differ");
    const QObjectList childrenA = a->children();
    const QObjectList childrenB = b->children();
    if (childrenA.size() != childrenB.size()) {
        differences << path + QStringLiteral(": child count differs");
        return;
    }
    for (int i = 0; i < childrenA.size(); ++i)
        collectDifferences(childrenA.at(i), childrenB.at(i), path + QLatin1Char('/') + childrenA.at(i)->objectName(), differences, compared);
}

void addFormRows(const QStringList& forms)
{
    QTest::addColumn<QString>("form");
    for (const QString& form : forms)
        QTest::newRow(qPrintable(form)) << form;
}

} // namespace

class tst_Forms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void rootTakesTheFormNameOnlyWhenItHasNone_data();
    void rootTakesTheFormNameOnlyWhenItHasNone();
    void textsAndToolTipsComeFromTheFormsContext_data();
    void textsAndToolTipsComeFromTheFormsContext();
    void layoutsHoldTheirItemsInOrder_data();
    void layoutsHoldTheirItemsInOrder();
    void layoutsKeepTheirSpacingMarginsAndStretch_data();
    void layoutsKeepTheirSpacingMarginsAndStretch();
    void layoutClassesFollowTheirNames_data();
    void layoutClassesFollowTheirNames();
    void widgetsKeepTheirSizeConstraints_data();
    void widgetsKeepTheirSizeConstraints();
    void positionBoxesTakeEveryIntExceptTheLowest_data();
    void positionBoxesTakeEveryIntExceptTheLowest();
    void switchesStartInTheirStates_data();
    void switchesStartInTheirStates();
    void placesFilledAtRunTimeStartEmpty_data();
    void placesFilledAtRunTimeStartEmpty();
    void iconsShowTheHostPicturesForTheButtonState_data();
    void iconsShowTheHostPicturesForTheButtonState();
    void moveButtonsShareOneIcon_data();
    void moveButtonsShareOneIcon();
    void rampLabelsLineUpWithTheirEditors();
    void hideControllerButtonIsABorderlessHandle();
    void registerFormsDifferOnlyInTheirNames();
};

void tst_Forms::initTestCase()
{
    // The host library carries the icons; nothing else of it is used here, and without this
    // reference the linker would leave it out.
    Q_INIT_RESOURCE(host);
}

void tst_Forms::rootTakesTheFormNameOnlyWhenItHasNone_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QSize>("size");
    QTest::newRow("axis parameter") << kAxisParameter << QSize(469, 257);
    QTest::newRow("veltrax ap") << kVeltraxAp << QSize(1212, 368);
    QTest::newRow("orsax") << kOrsax << QSize(435, 198);
    QTest::newRow("veltrax") << kVeltrax << QSize(1203, 362);
    QTest::newRow("zell") << kZell << QSize(1203, 362);
}

void tst_Forms::rootTakesTheFormNameOnlyWhenItHasNone()
{
    QFETCH(QString, form);
    QFETCH(QSize, size);
    const auto unnamed = buildForm(form);
    QCOMPARE(unnamed->objectName(), form);
    QCOMPARE(unnamed->size(), size);
    const auto named = buildForm(form, QStringLiteral("givenByHost"));
    QCOMPARE(named->objectName(), QStringLiteral("givenByHost"));
}

void tst_Forms::textsAndToolTipsComeFromTheFormsContext_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("text");
    const auto row = [](const QString& form, const char* object, const char* property, const QString& text) {
        QTest::addRow("%s %s %s", qPrintable(form), object, property) << form << QString::fromLatin1(object) << QString::fromLatin1(property) << text;
    };
    for (const QString& form : kAllForms) {
        row(form, "gbPositionControl", "title", "Position control");
        row(form, "lblActualPositionAP", "text", "Actual pos.");
        row(form, "btnClear", "text", "Clear");
        row(form, "lblTargetPosition", "text", "Target pos.");
        row(form, "lblRelativeTo", "text", "Relative to");
        row(form, "btnMoveAbsolute", "text", "absolute");
        row(form, "btnMoveAbsolute", "toolTip", "MVP_ABS");
        row(form, "btnMoveRelative", "text", "relative");
        row(form, "btnMoveRelative", "toolTip", "MVP_REL");
        row(form, "btnStop", "text", "stop");
        row(form, "btnStop", "toolTip", "MST");
    }
    row(kAxisParameter, "btnClearOnNull", "text", "Clear on NULL");
    row(kAxisParameter, "gbRampControl", "title", "Ramp control");
    row(kAxisParameter, "gbAccelDecel", "title", "Enable velocity ramp");
    row(kAxisParameter, "gbHints", "title", "Hints");
    row(kAxisParameter, "btnHideController", "text", QString());
    for (const QString& form : {kVeltraxAp, kVeltrax, kZell}) {
        row(form, "pbOpenClose", "text", QString());
        row(form, "gbRampEnable", "title", "RAMP_ENABLE");
        row(form, "pbReload", "text", "Reload");
        row(form, "pbDefaults", "text", "Defaults");
    }
    row(kVeltraxAp, "groupBox", "title", "Acceleration feedforward");
    row(kVeltraxAp, "lblGain", "text", "Gain");
    row(kVeltraxAp, "lblShift", "text", "Shift");
    const QStringList rampLabels{"A1", "D1", "A2", "D2", "AMax", "DMax", "V1", "V2", "VMax"};
    for (const QString& label : rampLabels) {
        const QString text = label == QLatin1String("VMax") ? QStringLiteral("V_Max") : label;
        row(kVeltraxAp, qPrintable("lblRamp" + label), "text", text);
    }
    row(kVeltraxAp, "lblRampVStart", "text", "  V_Start");
    row(kVeltraxAp, "lblRampVStop", "text", "  V_Stop");
}

void tst_Forms::textsAndToolTipsComeFromTheFormsContext()
{
    QFETCH(QString, form);
    QFETCH(QString, object);
    QFETCH(QString, property);
    QFETCH(QString, text);
    const auto plain = buildForm(form);
    QObject* widget = plain->findChild<QObject*>(object);
    QVERIFY2(widget, qPrintable(object + " is missing"));
    QCOMPARE(widget->property(qPrintable(property)).toString(), text);

    ContextMarkingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    const auto translated = buildForm(form);
    QCoreApplication::removeTranslator(&translator);
    const QString expected = text.isEmpty() ? QString() : form + QLatin1Char('|') + text;
    QCOMPARE(translated->findChild<QObject*>(object)->property(qPrintable(property)).toString(), expected);
}

void tst_Forms::layoutsHoldTheirItemsInOrder_data()
{
    // "owner: items": the widget whose children the items are, then the items in insertion order.
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("items");
    const auto row = [](const QString& form, const char* layout, const char* items) {
        QTest::addRow("%s %s", qPrintable(form), layout) << form << QString::fromLatin1(layout) << QString::fromLatin1(items);
    };
    for (const QString& form : kAllForms) {
        row(form, "verticalLayout_3", form == kVeltraxAp ? "gbPositionControl: horizontalLayout_3, horizontalLayout_4, horizontalLayout"
                                                         : "gbPositionControl: horizontalLayout_3, horizontalLayout_2, horizontalLayout_4, horizontalLayout");
        row(form, "horizontalLayout_4", "gbPositionControl: verticalLayout, verticalLayout_4");
        row(form, "verticalLayout", "gbPositionControl: lblTargetPosition, lblRelativeTo");
        row(form, "verticalLayout_4", "gbPositionControl: sbTargetPosition, cmbRelativeTo");
        row(form, "horizontalLayout", "gbPositionControl: btnMoveAbsolute, btnMoveRelative, btnStop");
    }
    row(kAxisParameter, "mainLayout", "PositionMode_AxisParameter: frame");
    row(kAxisParameter, "verticalLayout_2", "frame: horizontalLayout_9, gbHints");
    row(kAxisParameter, "horizontalLayout_9", "frame: verticalLayout_5, gbRampControl, btnHideController");
    row(kAxisParameter, "verticalLayout_5", "frame: gbPositionControl");
    row(kAxisParameter, "horizontalLayout_3", "gbPositionControl: lblActualPositionAP, sbActualPositionPlaceholder");
    row(kAxisParameter, "horizontalLayout_2", "gbPositionControl: spacer 60x1 Fixed/Minimum, btnClear, btnClearOnNull");
    row(kAxisParameter, "verticalLayoutRamp", "gbRampControl: layoutVMAX, gbAccelDecel, spacer 0x0 Minimum/Expanding");
    row(kAxisParameter, "formLayout_2", "gbAccelDecel: 0,0:layoutAccelDecel");
    row(kAxisParameter, "layoutHints", "gbHints: ");

    row(kOrsax, "mainLayout", "PositionMode_Orsax: frame");
    row(kOrsax, "verticalLayout_2", "frame: horizontalLayout_9");
    row(kOrsax, "horizontalLayout_9", "frame: verticalLayout_5");
    row(kOrsax, "verticalLayout_5", "frame: gbPositionControl");
    row(kOrsax, "horizontalLayout_3", "gbPositionControl: lblActualPositionAP, sbActualPosition");
    row(kOrsax, "horizontalLayout_2", "gbPositionControl: spacer 0x20 Expanding/Minimum, btnClear");

    row(kVeltraxAp, "horizontalLayout_5", "PositionMode_Veltrax_AP: verticalLayout_5, pbOpenClose, gbRampEnable");
    row(kVeltraxAp, "verticalLayout_5",
        "PositionMode_Veltrax_AP: gbPositionControl, layout_VelocityScaler, layout_PositionScaler, spacer 20x0 Minimum/Expanding");
    row(kVeltraxAp, "horizontalLayout_3", "gbPositionControl: lblActualPositionAP, sbActualPosition, btnClear");
    row(kVeltraxAp, "horizontalLayout_6", "gbRampEnable: gridLayout_2, graphicsView, verticalLayout_2");
    row(kVeltraxAp, "verticalLayout_2",
        "gbRampEnable: spacer 20x0 Minimum/Expanding, registersWidget, spacer 20x0 Minimum/Expanding, horizontalLayout_8, horizontalLayout_7");
    row(kVeltraxAp, "gridLayout",
        "registersWidget: 0,0:lblRampA1, 0,1:layout_RampA1, 0,2:lblRampD1, 0,3:layout_RampD1, "
        "1,0:lblRampA2, 1,1:layout_RampA2, 1,2:lblRampD2, 1,3:layout_RampD2, "
        "2,0:lblRampAMax, 2,1:layout_RampAMax, 2,2:lblRampDMax, 2,3:layout_RampDMax, "
        "3,0:widget, 4,0:lblRampV1, 4,1:layout_RampV1, "
        "5,0:lblRampV2, 5,1:layout_RampV2, 5,2:lblRampVStart, 5,3:layout_RampVStart, "
        "6,0:lblRampVMax, 6,1:layout_RampVMax, 6,2:lblRampVStop, 6,3:layout_RampVStop");
    row(kVeltraxAp, "horizontalLayout_8", "gbRampEnable: spacer 40x20 Expanding/Minimum, verticalLayout_7, spacer 40x20 Expanding/Minimum");
    row(kVeltraxAp, "verticalLayout_7", "gbRampEnable: layout_EnableVelocityFF, groupBox");
    row(kVeltraxAp, "verticalLayout_6", "groupBox: layout_EnableAccelerationFF, gridLayout_3");
    row(kVeltraxAp, "gridLayout_3", "groupBox: 0,0:lblGain, 0,2:layout_AccelerationFFGain, 1,0:lblShift, 1,2:layout_AccelerationFFShift");
    row(kVeltraxAp, "horizontalLayout_7", "gbRampEnable: pbReload, pbDefaults");

    row(kVeltrax, "horizontalLayout_5", "PositionMode_Veltrax: verticalLayout_5, pbOpenClose, gbRampEnable");
    row(kVeltrax, "verticalLayout_5", "PositionMode_Veltrax: gbPositionControl, spacer 20x0 Minimum/Expanding");
    row(kVeltrax, "horizontalLayout_3", "gbPositionControl: lblActualPositionAP, sbActualPosition");
    row(kVeltrax, "horizontalLayout_2", "gbPositionControl: spacer 0x20 Expanding/Minimum, btnClear");
    row(kVeltrax, "horizontalLayout_6", "gbRampEnable: graphicsView, verticalLayout_2");
    row(kVeltrax, "verticalLayout_2",
        "gbRampEnable: spacer 20x40 Minimum/Expanding, registersWidget, spacer 20x40 Minimum/Expanding, horizontalLayout_7");
    row(kVeltrax, "horizontalLayout_7", "gbRampEnable: pbReload, pbDefaults");
}

void tst_Forms::layoutsHoldTheirItemsInOrder()
{
    QFETCH(QString, form);
    QFETCH(QString, layout);
    QFETCH(QString, items);
    const auto root = buildForm(form);
    auto* found = root->findChild<QLayout*>(layout);
    QVERIFY2(found, qPrintable(layout + " is missing"));
    QVERIFY(found->parentWidget());
    QCOMPARE(found->parentWidget()->objectName() + QStringLiteral(": ") + layoutText(found), items);
}

void tst_Forms::layoutsKeepTheirSpacingMarginsAndStretch_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("spacing"); // -1: left to the style
    QTest::addColumn<QString>("margins"); // left,top,right,bottom; empty: left to the style
    QTest::addColumn<QString>("stretch");
    const auto row = [](const QString& form, const char* layout, int spacing, const char* margins, const char* stretch) {
        QTest::addRow("%s %s", qPrintable(form), layout) << form << QString::fromLatin1(layout) << spacing << QString::fromLatin1(margins) << QString::fromLatin1(stretch);
    };
    for (const QString& form : kAllForms) {
        row(form, "horizontalLayout_4", -1, "", "0,1");
        row(form, "horizontalLayout", 3, "", "0,0,0");
    }
    for (const QString& form : {kAxisParameter, kOrsax})
        row(form, "mainLayout", 0, "0,0,0,0", "0");
    row(kAxisParameter, "verticalLayoutRamp", -1, "9,9,9,9", "");
    row(kOrsax, "horizontalLayout_3", -1, "", "0,1");
    for (const QString& form : {kVeltraxAp, kVeltrax})
        row(form, "horizontalLayout_5", 7, "9,9,9,9", "0,0,1");
    row(kVeltraxAp, "horizontalLayout_3", -1, "", "0,1,0");
    row(kVeltraxAp, "horizontalLayout_6", -1, "11,11,11,11", "0,1,0");
    row(kVeltraxAp, "layout_EnableVelocityFF", -1, "19,0,19,0", "");
    row(kVeltraxAp, "verticalLayout_6", -1, "0,10,0,0", "");
    // A margin left to the style is 0 in a nested layout.
    row(kVeltraxAp, "layout_EnableAccelerationFF", -1, "19,0,19,0", "");
    row(kVeltraxAp, "gridLayout_3", -1, "19,0,19,10", "");
    row(kVeltrax, "horizontalLayout_3", -1, "", "0,1");
    row(kVeltrax, "horizontalLayout_6", -1, "11,11,11,11", "1,0");
}

void tst_Forms::layoutsKeepTheirSpacingMarginsAndStretch()
{
    QFETCH(QString, form);
    QFETCH(QString, layout);
    QFETCH(int, spacing);
    QFETCH(QString, margins);
    QFETCH(QString, stretch);
    const auto root = buildForm(form);
    auto* found = root->findChild<QLayout*>(layout);
    QVERIFY2(found, qPrintable(layout + " is missing"));
    if (spacing >= 0)
        QCOMPARE(found->spacing(), spacing);
    if (!margins.isEmpty()) {
        const QMargins m = found->contentsMargins();
        QCOMPARE(QStringLiteral("%1,%2,%3,%4").arg(m.left()).arg(m.top()).arg(m.right()).arg(m.bottom()), margins);
    }
    if (!stretch.isEmpty())
        QCOMPARE(stretchText(found), stretch);
}

void tst_Forms::layoutClassesFollowTheirNames_data()
{
    addFormRows(kAllForms);
}

void tst_Forms::layoutClassesFollowTheirNames()
{
    QFETCH(QString, form);
    const auto root = buildForm(form);
    const QList<QLayout*> layouts = root->findChildren<QLayout*>();
    QVERIFY(layouts.size() > 5);
    for (QLayout* layout : layouts) {
        const QString name = layout->objectName();
        if (name.isEmpty())
            continue; // Qt's own, inside the graphics view
        const char* expected = name.startsWith(QLatin1String("horizontalLayout")) || name.startsWith(QLatin1String("layout_"))
                                   ? "QHBoxLayout"
                               : name.startsWith(QLatin1String("gridLayout")) ? "QGridLayout"
                               : name.startsWith(QLatin1String("formLayout")) || name == QLatin1String("layoutVMAX")
                                       || name == QLatin1String("layoutAccelDecel")
                                   ? "QFormLayout"
                                   : "QVBoxLayout"; // verticalLayout*, mainLayout, layoutHints
        QVERIFY2(qstrcmp(layout->metaObject()->className(), expected) == 0, qPrintable(name + " should be a " + expected));
    }
}

void tst_Forms::widgetsKeepTheirSizeConstraints_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("maximum");
    QTest::addColumn<QString>("policy");
    const QSize unbounded(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    QTest::newRow("axis parameter clear") << kAxisParameter << "btnClear" << QSize(0, 0) << unbounded << "Minimum/Fixed";
    QTest::newRow("axis parameter hide") << kAxisParameter << "btnHideController" << QSize(0, 0) << QSize(12, QWIDGETSIZE_MAX) << "Minimum/MinimumExpanding";
    QTest::newRow("veltrax ap actual label") << kVeltraxAp << "lblActualPositionAP" << QSize(73, 0) << unbounded << "Preferred/Preferred";
    QTest::newRow("veltrax ap target label") << kVeltraxAp << "lblTargetPosition" << QSize(73, 0) << unbounded << "Preferred/Preferred";
    for (const QString& form : {kVeltraxAp, kVeltrax}) {
        const QByteArray prefix = form.toLatin1();
        QTest::newRow(prefix + " position group") << form << "gbPositionControl" << QSize(0, 0) << unbounded << "Fixed/Fixed";
        QTest::newRow(prefix + " open close") << form << "pbOpenClose" << QSize(30, 0) << QSize(30, QWIDGETSIZE_MAX) << "Fixed/Expanding";
        QTest::newRow(prefix + " graphics view") << form << "graphicsView" << QSize(600, 300) << unbounded << "Preferred/Preferred";
        QTest::newRow(prefix + " registers") << form << "registersWidget" << QSize(0, 100) << unbounded << "Preferred/Preferred";
    }
}

void tst_Forms::widgetsKeepTheirSizeConstraints()
{
    QFETCH(QString, form);
    QFETCH(QString, widget);
    QFETCH(QSize, minimum);
    QFETCH(QSize, maximum);
    QFETCH(QString, policy);
    const auto root = buildForm(form);
    auto* found = root->findChild<QWidget*>(widget);
    QVERIFY2(found, qPrintable(widget + " is missing"));
    QCOMPARE(found->minimumSize(), minimum);
    QCOMPARE(found->maximumSize(), maximum);
    QCOMPARE(policyText(found->sizePolicy()), policy);
}

void tst_Forms::positionBoxesTakeEveryIntExceptTheLowest_data()
{
    addFormRows(kAllForms);
}

void tst_Forms::positionBoxesTakeEveryIntExceptTheLowest()
{
    QFETCH(QString, form);
    const auto root = buildForm(form);
    auto* target = root->findChild<QSpinBox*>(QStringLiteral("sbTargetPosition"));
    QVERIFY(target);
    QCOMPARE(target->value(), 0);
    QCOMPARE(target->alignment(), Qt::AlignCenter);
    target->stepUp();
    QCOMPARE(target->value(), 1000);
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
    QCOMPARE(actual->alignment(), Qt::AlignCenter);
    QCOMPARE(actual->minimum(), -INT_MAX);
    QCOMPARE(actual->maximum(), INT_MAX);
}

void tst_Forms::switchesStartInTheirStates_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("widget");
    QTest::addColumn<bool>("checkable");
    QTest::addColumn<bool>("checked");
    QTest::newRow("axis parameter ramp switch") << kAxisParameter << "gbAccelDecel" << true << true;
    QTest::newRow("axis parameter hide") << kAxisParameter << "btnHideController" << true << true;
    QTest::newRow("axis parameter ramp group") << kAxisParameter << "gbRampControl" << false << false;
    QTest::newRow("axis parameter clear on null") << kAxisParameter << "btnClearOnNull" << false << false;
    for (const QString& form : {kVeltraxAp, kVeltrax, kZell}) {
        const QByteArray prefix = form.toLatin1();
        QTest::newRow(prefix + " ramp switch") << form << "gbRampEnable" << true << true;
        QTest::newRow(prefix + " open close") << form << "pbOpenClose" << true << true;
    }
    QTest::newRow("veltrax ap feedforward group") << kVeltraxAp << "groupBox" << false << false;
    QTest::newRow("orsax stop") << kOrsax << "btnStop" << false << false;
}

void tst_Forms::switchesStartInTheirStates()
{
    QFETCH(QString, form);
    QFETCH(QString, widget);
    QFETCH(bool, checkable);
    QFETCH(bool, checked);
    const auto root = buildForm(form);
    auto* found = root->findChild<QWidget*>(widget);
    QVERIFY2(found, qPrintable(widget + " is missing"));
    QVERIFY(found->isEnabled());
    QCOMPARE(found->property("checkable").toBool(), checkable);
    QCOMPARE(found->property("checked").toBool(), checked);
}

void tst_Forms::placesFilledAtRunTimeStartEmpty_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("className");
    const auto row = [](const QString& form, const QString& object, const char* className) {
        QTest::addRow("%s %s", qPrintable(form), qPrintable(object)) << form << object << QString::fromLatin1(className);
    };
    for (const QString& form : kAllForms)
        row(form, "cmbRelativeTo", "QComboBox");
    row(kAxisParameter, "sbActualPositionPlaceholder", "QWidget");
    row(kAxisParameter, "layoutVMAX", "QFormLayout");
    row(kAxisParameter, "layoutAccelDecel", "QFormLayout");
    row(kAxisParameter, "layoutHints", "QVBoxLayout");
    const QStringList veltraxApLayouts{"VelocityScaler", "PositionScaler", "RampA1", "RampA2", "RampAMax", "RampD1",
                                       "RampD2", "RampDMax", "RampV1", "RampV2", "RampVMax", "RampVStart", "RampVStop",
                                       "EnableVelocityFF", "EnableAccelerationFF", "AccelerationFFGain", "AccelerationFFShift"};
    for (const QString& name : veltraxApLayouts)
        row(kVeltraxAp, "layout_" + name, "QHBoxLayout");
    row(kVeltraxAp, "gridLayout_2", "QGridLayout");
    row(kVeltraxAp, "widget", "QWidget");
    for (const QString& form : {kVeltraxAp, kVeltrax, kZell})
        row(form, "graphicsView", "QGraphicsView");
    for (const QString& form : {kVeltrax, kZell})
        row(form, "registersWidget", "QWidget");
}

void tst_Forms::placesFilledAtRunTimeStartEmpty()
{
    QFETCH(QString, form);
    QFETCH(QString, object);
    QFETCH(QString, className);
    const auto root = buildForm(form);
    QObject* found = root->findChild<QObject*>(object);
    QVERIFY2(found, qPrintable(object + " is missing"));
    QCOMPARE(QString::fromLatin1(found->metaObject()->className()), className);
    if (auto* layout = qobject_cast<QLayout*>(found))
        QCOMPARE(layout->count(), 0);
    else if (auto* combo = qobject_cast<QComboBox*>(found))
        QCOMPARE(combo->count(), 0);
    else if (auto* view = qobject_cast<QGraphicsView*>(found))
        QVERIFY2(!view->scene(), "the tool brings the scene");
    else {
        QVERIFY(!static_cast<QWidget*>(found)->layout());
        QVERIFY(found->findChildren<QWidget*>().isEmpty());
    }
}

void tst_Forms::iconsShowTheHostPicturesForTheButtonState_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("mode"); // QIcon::Mode
    QTest::addColumn<bool>("clickFirst");
    QTest::addColumn<QString>("picture");
    for (const QString& form : kAllForms) {
        const QByteArray prefix = form.toLatin1();
        QTest::newRow(prefix + " absolute") << form << "btnMoveAbsolute" << int(QIcon::Normal) << false << ":/Editor/Redo";
        QTest::newRow(prefix + " relative") << form << "btnMoveRelative" << int(QIcon::Normal) << false << ":/Editor/Redo";
        QTest::newRow(prefix + " stop") << form << "btnStop" << int(QIcon::Normal) << false << ":/Player/Stop";
    }
    for (const QString& form : {kVeltraxAp, kVeltrax, kZell}) {
        const QByteArray prefix = form.toLatin1();
        QTest::newRow(prefix + " open") << form << "pbOpenClose" << int(QIcon::Normal) << false << ":/Player/rightBlack";
        QTest::newRow(prefix + " closed") << form << "pbOpenClose" << int(QIcon::Normal) << true << ":/Player/leftBlack";
    }
    QTest::newRow("axis parameter shown") << kAxisParameter << "btnHideController" << int(QIcon::Active) << false << ":/Player/Right";
    QTest::newRow("axis parameter hidden") << kAxisParameter << "btnHideController" << int(QIcon::Active) << true << ":/Player/Left";
}

void tst_Forms::iconsShowTheHostPicturesForTheButtonState()
{
    QFETCH(QString, form);
    QFETCH(QString, button);
    QFETCH(int, mode);
    QFETCH(bool, clickFirst);
    QFETCH(QString, picture);
    const QImage expected(picture);
    if (expected.isNull())
        QSKIP(qPrintable("the host resource " + picture + " is not available"));
    const auto root = buildForm(form);
    auto* found = root->findChild<QAbstractButton*>(button);
    QVERIFY2(found, qPrintable(button + " is missing"));
    if (clickFirst)
        found->click();
    // The state a push button paints with follows its checked flag.
    const QIcon::State state = found->isChecked() ? QIcon::On : QIcon::Off;
    const QImage shown = found->icon().pixmap(expected.size(), QIcon::Mode(mode), state).toImage();
    QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied), expected.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

void tst_Forms::moveButtonsShareOneIcon_data()
{
    addFormRows(kAllForms);
}

void tst_Forms::moveButtonsShareOneIcon()
{
    QFETCH(QString, form);
    const auto root = buildForm(form);
    auto* absolute = root->findChild<QAbstractButton*>(QStringLiteral("btnMoveAbsolute"));
    auto* relative = root->findChild<QAbstractButton*>(QStringLiteral("btnMoveRelative"));
    auto* stop = root->findChild<QAbstractButton*>(QStringLiteral("btnStop"));
    QVERIFY(absolute && relative && stop);
    QCOMPARE(absolute->icon().cacheKey(), relative->icon().cacheKey());
    QVERIFY(absolute->icon().cacheKey() != stop->icon().cacheKey());
}

void tst_Forms::rampLabelsLineUpWithTheirEditors()
{
    const auto root = buildForm(kVeltraxAp);
    const QList<QLabel*> rampLabels = root->findChild<QWidget*>(QStringLiteral("registersWidget"))->findChildren<QLabel*>();
    QCOMPARE(rampLabels.size(), 11);
    for (const QLabel* label : rampLabels)
        QCOMPARE(label->alignment(), Qt::AlignRight | Qt::AlignVCenter);
    for (const QLabel* label : root->findChild<QWidget*>(QStringLiteral("groupBox"))->findChildren<QLabel*>())
        QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
}

void tst_Forms::hideControllerButtonIsABorderlessHandle()
{
    const auto root = buildForm(kAxisParameter);
    auto* hide = root->findChild<QAbstractButton*>(QStringLiteral("btnHideController"));
    QVERIFY(hide);
    QCOMPARE(hide->styleSheet(), QStringLiteral("QPushButton{border: none; background: none; border-radius: 0px}\n"
                                                "QPushButton:hover{background: rgba(100,100,100,50)}"));
    QCOMPARE(hide->iconSize(), QSize(39, 30));
}

void tst_Forms::registerFormsDifferOnlyInTheirNames()
{
    const auto veltrax = buildForm(kVeltrax);
    const auto zell = buildForm(kZell);
    QStringList differences;
    int compared = 0;
    collectDifferences(veltrax.get(), zell.get(), QString(), differences, compared);
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join(QStringLiteral("; "))));
    QVERIFY2(compared > 30, "the walk must reach the whole tree");
}

QTEST_MAIN(tst_Forms)
#include "tst_forms.moc"
