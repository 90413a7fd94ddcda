#include "ClearErrorsAnswer.h"

using XmlRpc::XmlRpcValue;

bool ClearErrorsAnswer::decodeData(const XmlRpcValue &data)
{
    if (data.getType() != XmlRpcValue::TypeStruct || data["cleared"].getType() != XmlRpcValue::TypeInt
        || data["cleared"].asInt() < 0)
        return false;
    m_cleared = data["cleared"].asInt();
    return true;
}

XmlRpcValue ClearErrorsAnswer::encodeData() const
{
    XmlRpcValue data;
    data["cleared"] = m_cleared;
    return data;
}
