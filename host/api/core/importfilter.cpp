// SPDX-License-Identifier: MIT
#include "importfilter.h"

ImportFilter::ImportFilter(QObject* parent)
    : QObject(parent)
{
}
