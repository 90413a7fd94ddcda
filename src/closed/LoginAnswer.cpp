#include "LoginAnswer.h"

using XmlRpc::XmlRpcValue;

bool LoginAnswer::decodeData(const XmlRpcValue &data)
{
    if (data.getType() != XmlRpcValue::TypeStruct || data["session"].getType() != XmlRpcValue::TypeString)
        return false;
    m_value = QString::fromStdString(data["session"].asString());
    return true;
}

XmlRpcValue LoginAnswer::encodeData() const
{
    XmlRpcValue data;
    data["session"] = m_value.toStdString();
    return data;
}
