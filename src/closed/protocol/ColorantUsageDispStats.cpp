#include "ColorantUsageDispStats.h"

#include "FW_XmlRpcReader.h"

using XmlRpc::XmlRpcValue;

ColorantUsageDispStats::ColorantUsageDispStats(const QString &serialNumber, int position, int canister,
                                               const QString &colorant, double amount, int dispensings)
    : m_serial(serialNumber),
      m_position(position),
      m_canister(canister),
      m_colorant(colorant),
      m_amount(amount),
      m_dispensings(dispensings)
{
}

bool ColorantUsageDispStats::operator==(const ColorantUsageDispStats &other) const
{
    return m_serial == other.m_serial && m_position == other.m_position && m_canister == other.m_canister
        && m_colorant == other.m_colorant && m_amount == other.m_amount && m_dispensings == other.m_dispensings;
}

XmlRpcValue ColorantUsageDispStats::toXmlRpcValue() const
{
    XmlRpcValue value;
    value["serial"] = m_serial.toStdString();
    value["position"] = m_position;
    value["canister"] = m_canister;
    value["colorant"] = m_colorant.toStdString();
    value["amount"] = m_amount;
    value["dispensings"] = m_dispensings;
    return value;
}

ColorantUsageDispStats ColorantUsageDispStats::fromXmlRpcValue(const XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    const QString serial = reader.toString("serial");
    const int position = reader.toInt("position");
    const int canister = reader.toInt("canister");
    const QString colorant = reader.toString("colorant");
    const double amount = reader.toDouble("amount");
    const int dispensings = reader.toInt("dispensings");
    reader.require(position >= 1 && canister >= 1 && amount >= 0.0 && dispensings >= 0);
    if (ok)
        *ok = reader.ok();
    if (!reader.ok())
        return ColorantUsageDispStats();
    return ColorantUsageDispStats(serial, position, canister, colorant, amount, dispensings);
}
