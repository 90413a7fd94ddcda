#include "ExecQStatsAnswer.h"

using XmlRpc::XmlRpcValue;

bool ExecQStatsAnswer::decodeData(const XmlRpcValue &data)
{
    if (data.getType() != XmlRpcValue::TypeStruct || !data.hasMember("reply")
        || data["reply"].getType() != XmlRpcValue::TypeBase64)
        return false;
    const XmlRpcValue::BinaryData &bytes = data["reply"].asBinary();
    m_reply = QByteArray(reinterpret_cast<const char *>(bytes.data()), static_cast<int>(bytes.size()));
    return true;
}

XmlRpcValue ExecQStatsAnswer::encodeData() const
{
    XmlRpcValue data;
    data["reply"] = XmlRpcValue(m_reply.constData(), m_reply.size());
    return data;
}
