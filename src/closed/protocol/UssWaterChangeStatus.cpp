#include "UssWaterChangeStatus.h"

#include "FW_XmlRpcReader.h"

using XmlRpc::XmlRpcValue;

UssWaterChangeStatus::UssWaterChangeStatus(const QDateTime &lastChange, int cycles, int cyclesLimit,
                                           bool changeDue)
    : m_lastChange(lastChange.isValid() ? lastChange.toUTC() : QDateTime()),
      m_cycles(cycles),
      m_cyclesLimit(cyclesLimit),
      m_changeDue(changeDue)
{
    // The text form keeps whole seconds only.
    if (m_lastChange.isValid())
        m_lastChange = m_lastChange.addMSecs(-m_lastChange.time().msec());
}

bool UssWaterChangeStatus::operator==(const UssWaterChangeStatus &other) const
{
    return m_lastChange == other.m_lastChange && m_cycles == other.m_cycles
        && m_cyclesLimit == other.m_cyclesLimit && m_changeDue == other.m_changeDue;
}

XmlRpcValue UssWaterChangeStatus::toXmlRpcValue() const
{
    XmlRpcValue value;
    value["lastChange"] = m_lastChange.isValid() ? m_lastChange.toString(Qt::ISODate).toStdString() : std::string();
    value["cycles"] = m_cycles;
    value["limit"] = m_cyclesLimit;
    value["due"] = m_changeDue;
    return value;
}

UssWaterChangeStatus UssWaterChangeStatus::fromXmlRpcValue(const XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    const QString text = reader.toString("lastChange");
    QDateTime lastChange;
    if (!text.isEmpty()) {
        lastChange = QDateTime::fromString(text, Qt::ISODate);
        reader.require(lastChange.isValid());
    }
    const int cycles = reader.toInt("cycles");
    const int limit = reader.toInt("limit");
    reader.require(cycles >= 0 && limit >= 0);
    reader.require(reader.ok() && value["due"].getType() == XmlRpcValue::TypeBoolean);
    if (ok)
        *ok = reader.ok();
    if (!reader.ok())
        return UssWaterChangeStatus();
    return UssWaterChangeStatus(lastChange, cycles, limit, value["due"].asBool());
}
