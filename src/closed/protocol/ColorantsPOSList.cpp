#include "ColorantsPOSList.h"

#include "FW_XmlRpcReader.h"

bool ColorantsPOSList::operator==(const ColorantsPOSList &other) const
{
    return m_code == other.m_code && m_name == other.m_name && m_positions == other.m_positions;
}

XmlRpc::XmlRpcValue ColorantsPOSList::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    value["colorant"] = m_code.toStdString();
    value["name"] = m_name.toStdString();
    XmlRpc::XmlRpcValue positions = XmlRpc::XmlRpcValue::emptyArray();
    for (int i = 0; i < m_positions.size(); ++i)
        positions[i] = m_positions.at(i);
    value["positions"] = positions;
    return value;
}

ColorantsPOSList ColorantsPOSList::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    ColorantsPOSList list;
    list.m_code = reader.toString("colorant");
    list.m_name = reader.toString("name", QString());
    const XmlRpc::XmlRpcValue &positions = reader.array("positions");
    for (int i = 0; reader.ok() && i < positions.size(); ++i) {
        const XmlRpc::XmlRpcValue &position = positions[i];
        if (reader.require(position.getType() == XmlRpc::XmlRpcValue::TypeInt && position.asInt() > 0))
            list.m_positions.append(position.asInt());
    }
    reader.require(!list.m_code.isEmpty());
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? list : ColorantsPOSList();
}
