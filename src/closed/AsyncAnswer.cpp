#include "AsyncAnswer.h"

using XmlRpc::XmlRpcValue;

bool AsyncAnswer::decodeData(const XmlRpcValue &data)
{
    if (data.getType() != XmlRpcValue::TypeStruct || data["ticket"].getType() != XmlRpcValue::TypeInt
        || data["ticket"].asInt() <= 0)
        return false;
    m_ticketID = data["ticket"].asInt();
    return true;
}

XmlRpcValue AsyncAnswer::encodeData() const
{
    XmlRpcValue data;
    data["ticket"] = m_ticketID;
    return data;
}
