#include "TintAnswer.h"

using XmlRpc::XmlRpcValue;

QList<ChannelIngredient> TintAnswer::dispensedIngredients() const
{
    QList<ChannelIngredient> ingredients;
    for (const FormulaChannel &channel : m_dispensed)
        ingredients.append(channel.ingredients());
    return ingredients;
}

bool TintAnswer::decodeData(const XmlRpcValue &data)
{
    if (data.getType() != XmlRpcValue::TypeStruct || data["dispensed"].getType() != XmlRpcValue::TypeArray)
        return false;
    const XmlRpcValue &array = data["dispensed"];
    QList<FormulaChannel> channels;
    for (int i = 0; i < array.size(); ++i) {
        bool ok = false;
        channels.append(FormulaChannel::fromXmlRpcValue(array[i], &ok));
        if (!ok)
            return false;
    }
    m_dispensed = channels;
    return true;
}

XmlRpcValue TintAnswer::encodeData() const
{
    XmlRpcValue array = XmlRpcValue::emptyArray();
    for (int i = 0; i < m_dispensed.size(); ++i)
        array[i] = m_dispensed.at(i).toXmlRpcValue();
    XmlRpcValue data;
    data["dispensed"] = array;
    return data;
}
