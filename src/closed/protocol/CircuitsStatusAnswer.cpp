#include "CircuitsStatusAnswer.h"

using XmlRpc::XmlRpcValue;

QList<int> CircuitsStatusAnswer::positionsIDList() const
{
    QList<int> positions;
    for (const Circuit &circuit : m_circuits)
        positions.append(circuit.position);
    return positions;
}

bool CircuitsStatusAnswer::circuit(int position, Circuit *out) const
{
    for (const Circuit &circuit : m_circuits) {
        if (circuit.position == position) {
            if (out)
                *out = circuit;
            return true;
        }
    }
    return false;
}

bool CircuitsStatusAnswer::decodeData(const XmlRpcValue &data)
{
    if (data.getType() != XmlRpcValue::TypeStruct || data["circuits"].getType() != XmlRpcValue::TypeArray)
        return false;
    const XmlRpcValue &entries = data["circuits"];
    QList<Circuit> circuits;
    QList<int> seen;
    for (int i = 0; i < entries.size(); ++i) {
        const XmlRpcValue &entry = entries[i];
        if (entry.getType() != XmlRpcValue::TypeStruct || entry["position"].getType() != XmlRpcValue::TypeInt
            || entry["enabled"].getType() != XmlRpcValue::TypeBoolean
            || entry["level"].getType() != XmlRpcValue::TypeDouble
            || entry["status"].getType() != XmlRpcValue::TypeInt)
            return false;
        Circuit circuit;
        circuit.position = entry["position"].asInt();
        circuit.enabled = entry["enabled"].asBool();
        circuit.level = entry["level"].asDouble();
        circuit.status = entry["status"].asInt();
        if (circuit.position < 1 || seen.contains(circuit.position) || !(circuit.level >= 0.0)
            || circuit.status < CircuitNormal || circuit.status > CircuitEmpty)
            return false;
        seen.append(circuit.position);
        circuits.append(circuit);
    }
    m_circuits = circuits;
    return true;
}

XmlRpcValue CircuitsStatusAnswer::encodeData() const
{
    XmlRpcValue list = XmlRpcValue::emptyArray();
    for (int i = 0; i < m_circuits.size(); ++i) {
        const Circuit &circuit = m_circuits.at(i);
        XmlRpcValue entry;
        entry["position"] = circuit.position;
        entry["enabled"] = circuit.enabled;
        entry["level"] = circuit.level;
        entry["status"] = circuit.status;
        list[i] = entry;
    }
    XmlRpcValue data;
    data["circuits"] = list;
    return data;
}
