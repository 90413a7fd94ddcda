#include "ChannelIngredient.h"

#include "FW_XmlRpcReader.h"

bool ChannelIngredient::operator==(const ChannelIngredient &other) const
{
    return m_position == other.m_position && m_colorantCode == other.m_colorantCode && m_amount == other.m_amount
        && m_unit == other.m_unit && m_timeEstimate == other.m_timeEstimate && m_state == other.m_state;
}

XmlRpc::XmlRpcValue ChannelIngredient::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    value["position"] = m_position;
    value["colorant"] = m_colorantCode.toStdString();
    value["amount"] = m_amount;
    value["unit"] = static_cast<int>(m_unit);
    // XML-RPC has no 64-bit integer; whole milliseconds are exact in a double.
    value["time"] = static_cast<double>(m_timeEstimate);
    value["state"] = static_cast<int>(m_state);
    return value;
}

ChannelIngredient ChannelIngredient::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    ChannelIngredient ingredient;
    ingredient.m_position = reader.toInt("position");
    ingredient.m_colorantCode = reader.toString("colorant", QString());
    ingredient.m_amount = reader.toDouble("amount");
    const int unit = reader.toInt("unit", Volume);
    ingredient.m_timeEstimate = reader.toInt64("time", 0);
    const int state = reader.toInt("state", Waiting);
    reader.require(ingredient.m_position > 0 && ingredient.m_amount > 0.0 && (unit == Volume || unit == Weight)
                   && ingredient.m_timeEstimate >= 0 && state >= Waiting && state <= Done);
    ingredient.m_unit = static_cast<Unit>(unit);
    ingredient.m_state = static_cast<DosingState>(state);
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? ingredient : ChannelIngredient();
}
