// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QWidget>

class PluginHost;
namespace Model {
class ZYRAParameter;
}
class QComboBox;
class ZYRAModuleInterface;

// The host's exports of an axis-parameter module: its units ("Units":
// rotary 0, linear 1) and its commutation mode, which is also set in the
// device so that the tool's trace of it sees the change ("CommMode").
class ExportControls : public QWidget
{
    Q_OBJECT

public:
    explicit ExportControls(PluginHost& host, QWidget* parent = nullptr);

signals:
    // The user picked units or a commutation mode, and the host exported it
    // (a commutation mode is set in the device of the current motor first).
    void unitsExported(int units);
    void commutationModeExported(int mode);

private:
    void moduleChanged(ZYRAModuleInterface* module);
    void followCommutationMode();
    void showCommutationMode(qint64 mode);
    void exported(const QString& key, const QVariant& value);
    void unitsChosen(int index);
    void commutationChosen(int index);

    PluginHost& m_host;
    QComboBox* m_units = nullptr;
    QComboBox* m_commutation = nullptr;
    QPointer<Model::ZYRAParameter> m_commutationParameter; // of the current tool's motor
    bool m_commutationSettable = false;                    // the module has a commutation mode
};
