#include "GetErrorsAnswer.h"

using XmlRpc::XmlRpcValue;

bool GetErrorsAnswer::decodeData(const XmlRpcValue &data)
{
    if (data.getType() != XmlRpcValue::TypeStruct || data["errors"].getType() != XmlRpcValue::TypeArray)
        return false;
    bool ok = false;
    const FW_ErrorList errors = FW_ErrorList::fromXmlRpcValue(data["errors"], &ok);
    if (ok)
        m_machineErrors = errors;
    return ok;
}

XmlRpcValue GetErrorsAnswer::encodeData() const
{
    XmlRpcValue data;
    data["errors"] = m_machineErrors.toXmlRpcValue();
    return data;
}
