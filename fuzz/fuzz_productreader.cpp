// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the product-file reader. Besides the sanitizers'
// findings, a result that is neither a product nor one located message, or a
// message of more than one line, is a finding.
#include "products/simulatedproduct.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray xml(reinterpret_cast<const char*>(data), int(size));
    QString error;
    const auto product = SimulatedProduct::fromXml(xml, QStringLiteral("fuzz.xml"), &error);
    if (product) {
        if (!error.isEmpty() || !product->description)
            std::abort();
    } else if (!error.startsWith(QLatin1String("fuzz.xml:")) || !error.contains(QLatin1String(": error: "))
               || error.contains(QLatin1Char('\n'))) {
        std::abort();
    }
    return 0;
}
