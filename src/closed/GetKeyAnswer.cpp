#include "GetKeyAnswer.h"

using XmlRpc::XmlRpcValue;

bool GetKeyAnswer::decodeData(const XmlRpcValue &data)
{
    if (data.getType() != XmlRpcValue::TypeStruct || data["key"].getType() != XmlRpcValue::TypeString)
        return false;
    m_value = QString::fromStdString(data["key"].asString());
    return true;
}

XmlRpcValue GetKeyAnswer::encodeData() const
{
    XmlRpcValue data;
    data["key"] = m_value.toStdString();
    return data;
}
