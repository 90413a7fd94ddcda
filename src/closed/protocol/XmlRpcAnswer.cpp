#include "XmlRpcAnswer.h"

using XmlRpc::XmlRpcValue;

XmlRpcAnswer::XmlRpcAnswer() : m_valid(true), m_returnCode(RC_OK)
{
}

XmlRpcAnswer::XmlRpcAnswer(const XmlRpcValue &result) : XmlRpcAnswer()
{
    fromXmlRpcValue(result);
}

XmlRpcAnswer::~XmlRpcAnswer() = default;

bool XmlRpcAnswer::fromXmlRpcValue(const XmlRpcValue &result)
{
    m_valid = false;
    m_returnCode = RC_ERROR;
    m_errors.clear();
    m_data.clear();
    if (result.getType() != XmlRpcValue::TypeStruct || result["rc"].getType() != XmlRpcValue::TypeInt)
        return false;
    bool ok = true;
    const FW_ErrorList errors =
        result.hasMember("errors") ? FW_ErrorList::fromXmlRpcValue(result["errors"], &ok) : FW_ErrorList();
    if (!ok)
        return false;
    m_returnCode = result["rc"].asInt();
    m_errors = errors;
    const XmlRpcValue &data = result["data"];
    if (m_returnCode == RC_OK) {
        if (data.valid() ? !decodeData(data) : requiresData())
            return false;
    } else if (data.valid()) {
        m_data = data; // kept as it came; a failed command's data is not decoded
    }
    m_valid = true;
    return true;
}

bool XmlRpcAnswer::hasData() const
{
    return m_returnCode == RC_OK ? encodeData().valid() : m_data.valid();
}

bool XmlRpcAnswer::decodeData(const XmlRpcValue &data)
{
    m_data = data;
    return true;
}

XmlRpcValue XmlRpcAnswer::encodeData() const
{
    return m_data;
}

bool XmlRpcAnswer::equalTo(const ProtoAnswer *other) const
{
    const XmlRpcAnswer *answer = dynamic_cast<const XmlRpcAnswer *>(other);
    return answer && answer->answerName() == answerName() && answer->m_returnCode == m_returnCode
        && answer->m_errors == m_errors && answer->encodeData() == encodeData();
}

XmlRpcValue XmlRpcAnswer::toXmlRpcValue() const
{
    return makeResult(m_returnCode, m_errors, m_returnCode == RC_OK ? encodeData() : m_data);
}

XmlRpcValue XmlRpcAnswer::makeResult(int rc, const FW_ErrorList &errors, const XmlRpcValue &data)
{
    XmlRpcValue result;
    result["rc"] = rc;
    result["errors"] = errors.toXmlRpcValue();
    if (data.valid())
        result["data"] = data;
    return result;
}
