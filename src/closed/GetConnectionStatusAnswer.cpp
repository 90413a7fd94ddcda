#include "GetConnectionStatusAnswer.h"

using XmlRpc::XmlRpcValue;

namespace {

bool readIDs(const XmlRpcValue &array, QList<MachineID> *ids)
{
    if (array.getType() != XmlRpcValue::TypeArray)
        return false;
    for (int i = 0; i < array.size(); ++i) {
        bool ok = false;
        ids->append(MachineID::fromXmlRpcValue(array[i], &ok));
        if (!ok)
            return false;
    }
    return true;
}

XmlRpcValue writeIDs(const QList<MachineID> &ids)
{
    XmlRpcValue array = XmlRpcValue::emptyArray();
    for (int i = 0; i < ids.size(); ++i)
        array[i] = ids.at(i).toXmlRpcValue();
    return array;
}

} // namespace

bool GetConnectionStatusAnswer::decodeData(const XmlRpcValue &data)
{
    QList<MachineID> connected, disconnected;
    if (data.getType() != XmlRpcValue::TypeStruct || !readIDs(data["connected"], &connected)
        || !readIDs(data["disconnected"], &disconnected))
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
    data["connected"] = writeIDs(m_connected);
    data["disconnected"] = writeIDs(m_disconnected);
    return data;
}
