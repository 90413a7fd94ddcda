#include "RefillStatData.h"

#include "FW_XmlRpcReader.h"

using XmlRpc::XmlRpcValue;

RefillStatData::RefillStatData(int position, const QString &colorant, double amount, const QDateTime &time)
    : m_position(position), m_colorant(colorant), m_amount(amount), m_time(time.isValid() ? time.toUTC() : QDateTime())
{
    // The text form keeps whole seconds only.
    if (m_time.isValid())
        m_time = m_time.addMSecs(-m_time.time().msec());
}

bool RefillStatData::operator==(const RefillStatData &other) const
{
    return m_position == other.m_position && m_colorant == other.m_colorant && m_amount == other.m_amount
        && m_time == other.m_time;
}

XmlRpcValue RefillStatData::toXmlRpcValue() const
{
    XmlRpcValue value;
    value["position"] = m_position;
    value["colorant"] = m_colorant.toStdString();
    value["amount"] = m_amount;
    value["time"] = m_time.isValid() ? m_time.toString(Qt::ISODate).toStdString() : std::string();
    return value;
}

RefillStatData RefillStatData::fromXmlRpcValue(const XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    const int position = reader.toInt("position");
    const QString colorant = reader.toString("colorant");
    const double amount = reader.toDouble("amount");
    const QDateTime time = QDateTime::fromString(reader.toString("time"), Qt::ISODate);
    reader.require(position >= 1 && !colorant.isEmpty() && amount > 0.0 && time.isValid());
    if (ok)
        *ok = reader.ok();
    if (!reader.ok())
        return RefillStatData();
    return RefillStatData(position, colorant, amount, time);
}
