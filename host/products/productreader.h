#pragma once

#include "simulatedproduct.h"

#include <QSet>
#include <QXmlStreamReader>

#include <memory>

class XmlProductIC;

// Reads one product file: the product's description and its motion wiring.
// Stops at the first error, which names the file, line and column; nothing
// half-read is returned.
class ProductReader
{
public:
    explicit ProductReader(const QString& source);

    std::unique_ptr<SimulatedProduct> read(const QByteArray& xml, QString* error);

private:
    struct PendingBind
    {
        QString role;
        MotionWiring::Source source;
        qint64 line = 0;
        qint64 column = 0;
    };

    void readProduct();
    void readModule();
    void readParameters();
    void readIc();
    void readRegister(XmlProductIC* ic);
    void readField(XmlProductIC* ic);
    void readMotion();
    void checkMotionSources();

    QString requiredText(const char* attribute);
    qint64 requiredNumber(const char* attribute);
    qint64 optionalNumber(const char* attribute, qint64 fallback);
    bool optionalBool(const char* attribute, bool fallback);
    double optionalScale(const char* attribute);
    qint64 parseNumber(const QString& text, const char* attribute);
    void fail(const QString& message);
    void failAt(qint64 line, qint64 column, const QString& message);
    bool failed() const { return m_reader.hasError() || !m_error.isEmpty(); }

    QString m_source;
    QXmlStreamReader m_reader;
    std::unique_ptr<ProductDescription> m_product;
    MotionWiring m_motion;
    QList<PendingBind> m_binds;
    QString m_error;
};
