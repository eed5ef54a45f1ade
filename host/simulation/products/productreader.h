// SPDX-License-Identifier: MIT
#pragma once

#include "simulatedproduct.h"

#include <QHash>
#include <QSet>
#include <QVector>
#include <QXmlStreamReader>

#include <initializer_list>
#include <memory>

class XmlProductIC;
class XmlValueRegister;
class XmlValueRegisterField;

// Reads one product file: the product's description and its motion wiring.
// Stops at the first error, which names the file, line and column; nothing
// half-read is returned.
//
// The reader is strict, so that a wrong file is never taken for something
// else: every element and attribute must be one it knows, text may appear
// only as whitespace, DOCTYPE and entity declarations are refused, names and
// other texts are at most kMaxNameLength characters (descriptions
// kMaxDescriptionLength), and every number must fit the type of what it sets.
// Reading takes time linear in the size of the file; for that, tags with more
// than kMaxAttributes attributes are refused before the XML parser sees them
// (it compares each attribute of a tag with all before it).
class ProductReader
{
public:
    static constexpr int kMaxNameLength = 256;
    static constexpr int kMaxDescriptionLength = 1024;
    static constexpr int kMaxAttributes = 64;

    explicit ProductReader(const QString& source);

    std::unique_ptr<SimulatedProduct> read(const QByteArray& xml, QString* error);

private:
    struct PendingBind
    {
        QString role;
        MotionWiring::Source source;
        QString valueText; // empty when no value is given
        qint64 line = 0;
        qint64 column = 0;
    };
    // A number attribute as written, and its value if it fits 64 bits.
    struct Number
    {
        QString text;
        qint64 value = 0;
        bool fits = false;
        bool within(qint64 low, qint64 high) const { return fits && value >= low && value <= high; }
    };
    struct RegisterEntry
    {
        XmlValueRegister* reg = nullptr;
        quint32 used = 0;                        // the bits its fields take
        QVector<QPair<quint32, QString>> fields; // mask and name of each field
    };

    void scanTags(const QByteArray& xml);
    void readProduct();
    void readModule();
    void readParameters();
    void readIc();
    void readRegister(XmlProductIC* ic);
    void readField(XmlProductIC* ic);
    void readMotion();
    void checkMotionSources();

    bool nextChild(const QString& parent);
    void expectNoChildren();
    void checkAttributes(std::initializer_list<const char*> known);

    QString requiredText(const char* attribute, int maxLength = kMaxNameLength);
    QString optionalText(const char* attribute, int maxLength);
    Number requiredNumber(const char* attribute);
    Number optionalNumber(const char* attribute, qint64 fallback);
    bool optionalBool(const char* attribute, bool fallback);
    double optionalScale(const char* attribute);
    Number parseNumber(const QString& text, const char* attribute);
    void fail(const QString& message);
    void failAt(qint64 line, qint64 column, const QString& message);
    bool failed() const { return m_reader.hasError() || !m_error.isEmpty(); }

    QString m_source;
    QXmlStreamReader m_reader;
    std::unique_ptr<ProductDescription> m_product;
    MotionWiring m_motion;
    QList<PendingBind> m_binds;
    bool m_seenMotion = false;
    // Lookups for the checks, so that each element costs the same however
    // many came before it.
    QHash<QString, RegisterEntry> m_registers;
    QHash<QString, XmlValueRegisterField*> m_fields;
    QHash<int, QString> m_addresses;
    QSet<QString> m_features;
    QSet<qint64> m_parameterNumbers;
    QString m_error;
};
