#include "GetConnectionStatusAnswer.h"

using XmlRpc::XmlRpcValue;

bool GetConnectionStatusAnswer::decodeData(const XmlRpcValue &data)
{
    QList<MachineID> connected, disconnected;
    if (data.getType() != XmlRpcValue::TypeStruct || !AnswerData::read(data["connected"], &connected)
        || !AnswerData::read(data["disconnected"], &disconnected))
        return false;
    for (const MachineID &id : connected)
        if (disconnected.contains(id))
            return false;
    m_connected = connected;
    m_disconnected = disconnected;
    return true;
}

XmlRpcValue GetConnectionStatusAnswer::encodeData() const
{
    XmlRpcValue data;
    data["connected"] = AnswerData::write(m_connected);
    data["disconnected"] = AnswerData::write(m_disconnected);
    return data;
}
