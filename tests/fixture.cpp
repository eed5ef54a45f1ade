// SPDX-License-Identifier: MIT
#include "fixture.h"

#include "core/command.h"
#include "device/journal.h"
#include "device/simulateddevice.h"
#include "genericpositionmode.h"
#include "products/simulatedproduct.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>

namespace {
std::unique_ptr<SimulatedModule> moduleFrom(std::unique_ptr<SimulatedProduct> product, const QString& error)
{
    if (!product)
        qFatal("fixture: %s", qPrintable(error));
    return std::make_unique<SimulatedModule>(std::move(product));
}
} // namespace

Fixture::Fixture(int variant)
    : Fixture(productXml(variant), SimulatedProduct::builtInPath(variant))
{
}

Fixture::Fixture(const QByteArray& xml, const QString& source)
{
    QString error;
    m_module = moduleFrom(SimulatedProduct::fromXml(xml, source, &error), error);
    m_root = std::make_unique<GenericPositionMode>();
}

Fixture::~Fixture()
{
    delete m_tool;
}

QByteArray Fixture::productXml(int variant)
{
    QFile file(SimulatedProduct::builtInPath(variant));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("fixture: no built-in product %d", variant);
    return file.readAll();
}

QByteArray Fixture::withoutNamed(QByteArray xml, const QString& value)
{
    const QString quoted = QRegularExpression::escape(value);
    // A register takes its fields with it, and each field whatever names it.
    const QRegularExpression fieldOf(
        QStringLiteral("<field\\b[^>]*\\bname=\"([^\"]+)\"[^>]*\\bregister=\"%1\"").arg(quoted));
    for (auto match = fieldOf.globalMatch(QString::fromUtf8(xml)); match.hasNext();) {
        const QString field = match.next().captured(1);
        if (field != value)
            xml = withoutNamed(xml, field);
    }
    const QRegularExpression element(
        QStringLiteral(
            "<(register|field|parameter|feature|use)\\b[^>]*\\b(name|role|register|field|parameter)=\"%1\"[^>]*/>")
            .arg(quoted));
    QString text = QString::fromUtf8(xml);
    text.remove(element);
    return text.toUtf8();
}

std::unique_ptr<SimulatedModule> Fixture::makeModule(int variant)
{
    QString error;
    return moduleFrom(SimulatedProduct::builtIn(variant, &error), error);
}

void Fixture::addVariantRows()
{
    QTest::addColumn<int>("variant");
    for (int variant : {40, 100, 105, 108, 135, 139})
        QTest::newRow(qPrintable(QString::number(variant))) << variant;
}

SimulatedDevice* Fixture::device() const
{
    return m_module ? m_module->device() : nullptr;
}

ToolsInterface* Fixture::open(quint8 motor, bool withModule)
{
    m_root->isUsableForVariant(m_module->product()->variant());
    delete m_tool;
    m_tool = m_root->clone(QStringLiteral("Position mode"), motor, withModule ? m_module.get() : nullptr);
    return m_tool;
}

QStringList Fixture::journal()
{
    Journal* journal = m_module ? m_module->journal() : m_orphanJournal.get();
    return journal ? journal->takeNewLines() : QStringList();
}

void Fixture::destroyModule()
{
    if (!m_module)
        return;
    m_orphanJournal.reset(m_module->journal());
    m_orphanJournal->setParent(nullptr);
    m_module.reset();
}

void Fixture::pressEverything()
{
    if (!m_tool)
        return;
    show();
    const auto all = m_tool->findChildren<QAbstractButton*>();
    QList<QPointer<QAbstractButton>> buttons(all.begin(), all.end());
    for (const QPointer<QAbstractButton>& button : buttons) {
        if (button && button->isEnabled() && button->isVisibleTo(m_tool))
            button->click();
        deliver();
    }
    const auto groups = m_tool->findChildren<QGroupBox*>();
    for (QGroupBox* group : groups) {
        if (group->isCheckable() && group->isEnabled()) {
            group->setChecked(!group->isChecked());
            group->setChecked(!group->isChecked());
        }
    }
    if (auto* relativeTo = find<QComboBox>(QStringLiteral("cmbRelativeTo"))) {
        for (int index = 0; index < relativeTo->count() && m_tool; ++index) {
            relativeTo->setCurrentIndex(index);
            type(QStringLiteral("sbTargetPosition"), 100 + index);
            click(QStringLiteral("btnMoveRelative"));
            click(QStringLiteral("btnMoveAbsolute"));
            click(QStringLiteral("btnStop"));
        }
    }
    if (m_module)
        m_module->refreshTraces();
    deliver();
    hide();
}

void Fixture::show()
{
    if (!m_tool)
        return;
    m_tool->show();
    m_tool->showPlugin();
}

void Fixture::hide()
{
    if (!m_tool)
        return;
    m_tool->hidePlugin();
    m_tool->hide();
}

void Fixture::refresh()
{
    if (m_module)
        m_module->refreshTraces();
    deliver();
}

void Fixture::deliver()
{
    // Every posted event, as the host's event loop would: only a call for all
    // of them lets Qt drop the slots of delivered events from its queue, which
    // would otherwise grow and be scanned whole on every call.
    QCoreApplication::sendPostedEvents();
}

void Fixture::reply(ToolsInterface* tool, int command, int type, quint8 motor, int value)
{
    Command answer(Command::StatusOk, 1, command, type, motor, value);
    QMetaObject::invokeMethod(tool, "IN_replyValue", Qt::DirectConnection, Q_ARG(Command*, &answer));
}

bool Fixture::click(const QString& name)
{
    auto* button = find<QAbstractButton>(name);
    if (!button || !button->isEnabled())
        return false;
    button->click();
    return true;
}

bool Fixture::type(const QString& name, int value)
{
    auto* spinBox = find<QSpinBox>(name);
    if (!spinBox || !spinBox->isEnabled() || spinBox->isReadOnly())
        return false;
    spinBox->selectAll();
    QTest::keyClicks(spinBox, QString::number(value));
    QTest::keyClick(spinBox, Qt::Key_Enter);
    return spinBox->value() == value;
}

bool Fixture::choose(const QString& name, const QString& text)
{
    auto* combo = find<QComboBox>(name);
    const int index = combo ? combo->findText(text) : -1;
    if (index < 0)
        return false;
    combo->setCurrentIndex(index);
    return true;
}

bool Fixture::check(const QString& name, bool on)
{
    if (auto* button = find<QAbstractButton>(name)) {
        if (!button->isCheckable() || !button->isEnabled())
            return false;
        if (button->isChecked() != on)
            button->click();
        return button->isChecked() == on;
    }
    if (auto* group = find<QGroupBox>(name)) {
        if (!group->isCheckable())
            return false;
        group->setChecked(on);
        return group->isChecked() == on;
    }
    return false;
}

RampGenerator::Settings Fixture::positionModeRamp()
{
    const MotionWiring::Source mode = m_module->motion().sources.value(QStringLiteral("mode"));
    if (!mode.name.isEmpty())
        setDevice(mode.name, mode.value);
    return device()->motionSettings(0);
}

void Fixture::setDevice(const QString& name, qint64 value, quint8 motor)
{
    QString error;
    if (!m_module->device()->setValue(motor, name, value, &error))
        qFatal("fixture: %s", qPrintable(error));
}

qint64 Fixture::deviceValue(const QString& name, quint8 motor) const
{
    qint64 value = 0;
    QString error;
    if (!m_module->device()->value(motor, name, &value, &error))
        qFatal("fixture: %s", qPrintable(error));
    return value;
}
