#include "abstractparameter.h"

namespace Model {

AbstractParameter::AbstractParameter(QObject* parent)
    : QObject(parent)
{
}

} // namespace Model
