#include "CertifySessionAnswer.h"

using XmlRpc::XmlRpcValue;

bool CertifySessionAnswer::decodeData(const XmlRpcValue &data)
{
    if (data.getType() != XmlRpcValue::TypeStruct || data["certified"].getType() != XmlRpcValue::TypeBoolean)
        return false;
    m_value = data["certified"].asBool();
    return true;
}

XmlRpcValue CertifySessionAnswer::encodeData() const
{
    XmlRpcValue data;
    data["certified"] = m_value;
    return data;
}
