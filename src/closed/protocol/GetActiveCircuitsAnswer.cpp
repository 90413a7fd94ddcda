#include "GetActiveCircuitsAnswer.h"

#include "FW_ListUtils.h"

using XmlRpc::XmlRpcValue;

GetActiveCircuitsAnswer::GetActiveCircuitsAnswer(int process, const QList<int> &positions,
                                                 const QList<int> &statusMasks)
    : m_process(process)
{
    const int count = qMin(positions.size(), statusMasks.size());
    m_positions = positions.mid(0, count);
    m_masks = statusMasks.mid(0, count);
}

int GetActiveCircuitsAnswer::statusMask(int position) const
{
    const int index = m_positions.indexOf(position);
    return index >= 0 ? m_masks.at(index) : -1;
}

QList<int> GetActiveCircuitsAnswer::getPositionsIDForStatusMask(int statusMask) const
{
    QList<int> positions;
    for (int i = 0; i < m_positions.size(); ++i)
        if (m_masks.at(i) == statusMask)
            positions.append(m_positions.at(i));
    return positions;
}

QString GetActiveCircuitsAnswer::statusTypeMasksStr() const
{
    return createListStr(m_masks, QStringLiteral(","));
}

bool GetActiveCircuitsAnswer::decodeData(const XmlRpcValue &data)
{
    if (data.getType() != XmlRpcValue::TypeStruct || data["process"].getType() != XmlRpcValue::TypeInt
        || data["positions"].getType() != XmlRpcValue::TypeArray)
        return false;
    const XmlRpcValue &entries = data["positions"];
    QList<int> positions, masks;
    for (int i = 0; i < entries.size(); ++i) {
        const XmlRpcValue &entry = entries[i];
        if (entry.getType() != XmlRpcValue::TypeStruct || entry["position"].getType() != XmlRpcValue::TypeInt
            || entry["status"].getType() != XmlRpcValue::TypeInt)
            return false;
        const int position = entry["position"].asInt();
        const int mask = entry["status"].asInt();
        if (position < 1 || mask < 0 || positions.contains(position))
            return false;
        positions.append(position);
        masks.append(mask);
    }
    m_process = data["process"].asInt();
    m_positions = positions;
    m_masks = masks;
    return true;
}

XmlRpcValue GetActiveCircuitsAnswer::encodeData() const
{
    XmlRpcValue entries = XmlRpcValue::emptyArray();
    for (int i = 0; i < m_positions.size(); ++i) {
        XmlRpcValue entry;
        entry["position"] = m_positions.at(i);
        entry["status"] = m_masks.at(i);
        entries[i] = entry;
    }
    XmlRpcValue data;
    data["process"] = m_process;
    data["positions"] = entries;
    return data;
}
