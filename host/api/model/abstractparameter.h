// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

namespace Model {

// The signals every parameter of the host's model offers.
class AbstractParameter : public QObject
{
    Q_OBJECT

public:
    explicit AbstractParameter(QObject* parent = nullptr);

signals:
    // The value differs from the last one known (or none was known yet).
    void valueChanged(qint64 value);
    // The device was read; sent on every read, changed or not.
    void valueUpdated(qint64 value);
    // The device did not take a written value exactly; carries the value it kept.
    void setValueFailed(qint64 value);
};

} // namespace Model
