// SPDX-License-Identifier: MIT
#include "abstractparameter.h"

namespace Model {

AbstractParameter::AbstractParameter(QObject* parent)
    : QObject(parent)
{
}

} // namespace Model
