// SPDX-License-Identifier: MIT
#include "samplestore.h"

#include "device/simulateddevice.h"

#include <algorithm>
#include <cmath>

namespace {
double seconds(qint64 ms)
{
    return ms / 1000.0;
}
} // namespace

SampleStore::SampleStore(QObject* parent)
    : QObject(parent)
{
}

void SampleStore::setDevice(SimulatedDevice* device)
{
    m_device = device;
    m_motors.clear();
    m_times.clear();
    emit changed();
}

void SampleStore::addMotor(quint8 motor)
{
    if (find(motor))
        return;
    const auto at = std::find_if(m_motors.begin(), m_motors.end(), [motor](const Motor& m) { return m.motor > motor; });
    Motor added;
    added.motor = motor;
    m_motors.insert(at, added);
    if (m_device)
        sample();
    emit changed();
}

void SampleStore::removeMotor(quint8 motor)
{
    const auto at = std::find_if(m_motors.begin(), m_motors.end(), [motor](const Motor& m) { return m.motor == motor; });
    if (at == m_motors.end())
        return;
    m_motors.erase(at);
    // The instants kept are those of the motor followed longest.
    size_t longest = 0;
    for (const Motor& m : m_motors)
        longest = std::max(longest, m.rows.size());
    while (m_times.size() > longest)
        m_times.pop_front();
    emit changed();
}

QList<quint8> SampleStore::motors() const
{
    QList<quint8> result;
    for (const Motor& m : m_motors)
        result.append(m.motor);
    return result;
}

const SampleStore::Motor* SampleStore::find(quint8 motor) const
{
    for (const Motor& m : m_motors) {
        if (m.motor == motor)
            return &m;
    }
    return nullptr;
}

void SampleStore::sample()
{
    if (!m_device || m_motors.isEmpty())
        return;
    const qint64 now = m_device->timeMs();
    // A sample of an instant already taken (or of an earlier one) replaces those.
    while (!m_times.empty() && m_times.back() >= now) {
        m_times.pop_back();
        for (Motor& m : m_motors) {
            if (m.rows.size() > m_times.size())
                m.rows.pop_back();
        }
    }
    m_times.push_back(now);
    for (Motor& m : m_motors)
        m.rows.push_back({double(m_device->target(m.motor)), double(m_device->actualPosition(m.motor)),
                          m_device->velocity(m.motor)});
    trim(now);
    emit changed();
}

void SampleStore::trim(qint64 nowMs)
{
    // What is older than the window goes, to the same rounding as the time axis.
    const double oldest = seconds(nowMs) - seconds(WindowMs);
    while (!m_times.empty() && seconds(m_times.front()) < oldest) {
        m_times.pop_front();
        for (Motor& m : m_motors) {
            if (m.rows.size() > m_times.size())
                m.rows.pop_front();
        }
    }
}

void SampleStore::clear()
{
    m_times.clear();
    for (Motor& m : m_motors)
        m.rows.clear();
    emit changed();
}

bool SampleStore::stillAtLastInstant() const
{
    for (const Motor& m : m_motors) {
        if (m.rows.size() < 2 || m.rows.back() != m.rows[m.rows.size() - 2])
            return false;
    }
    return true;
}

QVector<QPointF> SampleStore::series(quint8 motor, Series series) const
{
    QVector<QPointF> result;
    const Motor* m = find(motor);
    if (!m)
        return result;
    result.reserve(int(m->rows.size()));
    const size_t first = m_times.size() - m->rows.size();
    for (size_t i = 0; i < m->rows.size(); ++i)
        result.append(QPointF(seconds(m_times[first + i]), m->rows[i][series]));
    return result;
}

QByteArray SampleStore::csv() const
{
    // Numbers in the C locale, whatever the user's: a point before the decimals.
    const auto number = [](double value) { return QString::number(value, 'g', 12); };
    QString text = QStringLiteral("time_s");
    for (const Motor& m : m_motors)
        text += QStringLiteral(",m%1_target_pos,m%1_actual_pos,m%1_velocity_pos_per_s").arg(m.motor);
    text += QLatin1Char('\n');
    const size_t rows = m_times.size();
    for (size_t row = 0; row < rows; ++row) {
        text += QString::number(seconds(m_times[row]), 'f', 3);
        for (const Motor& m : m_motors) {
            // A motor followed later has no values for the instants before it.
            const size_t first = rows - m.rows.size();
            for (int series = 0; series < SeriesCount; ++series) {
                text += QLatin1Char(',');
                if (row >= first)
                    text += number(m.rows[row - first][size_t(series)]);
            }
        }
        text += QLatin1Char('\n');
    }
    return text.toUtf8();
}
