#include "FW_Dispenser.h"

#include "FW_XmlRpcReader.h"

#include <algorithm>

namespace {

bool byPosition(const FW_Circuit &a, const FW_Circuit &b)
{
    return a.position() < b.position();
}

} // namespace

FW_Dispenser::FW_Dispenser(int number) : FW_Machine(MachineID(number, MachineID::Dispenser))
{
}

bool FW_Dispenser::setCircuits(const QList<FW_Circuit> &circuits)
{
    QList<FW_Circuit> sorted = circuits;
    std::sort(sorted.begin(), sorted.end(), byPosition);
    for (int i = 0; i < sorted.size(); ++i)
        if (sorted.at(i).position() < 1 || (i > 0 && sorted.at(i - 1).position() == sorted.at(i).position()))
            return false;
    m_circuits = sorted;
    return true;
}

bool FW_Dispenser::setCircuit(const FW_Circuit &circuit)
{
    if (circuit.position() < 1)
        return false;
    const int index = indexOf(circuit.position());
    if (index >= 0) {
        m_circuits[index] = circuit;
    } else {
        auto it = std::upper_bound(m_circuits.begin(), m_circuits.end(), circuit, byPosition);
        m_circuits.insert(it, circuit);
    }
    return true;
}

bool FW_Dispenser::removeCircuit(int position)
{
    const int index = indexOf(position);
    if (index < 0)
        return false;
    m_circuits.removeAt(index);
    return true;
}

const FW_Circuit *FW_Dispenser::circuit(int position) const
{
    const int index = indexOf(position);
    return index >= 0 ? &m_circuits.at(index) : nullptr;
}

QList<int> FW_Dispenser::getPositionsIDList(bool onlyEnabled) const
{
    QList<int> positions;
    for (const FW_Circuit &c : m_circuits)
        if (!onlyEnabled || c.isEnabled())
            positions.append(c.position());
    return positions;
}

void FW_Dispenser::setDevices(const QList<int> &kinds)
{
    m_devices.clear();
    for (int kind : kinds)
        if (!m_devices.contains(kind))
            m_devices.append(kind);
}

int FW_Dispenser::setGravimetricSettings(const QList<CircuitGravSettings> &settings)
{
    int applied = 0;
    for (const CircuitGravSettings &s : settings) {
        const int index = indexOf(s.position());
        if (index >= 0) {
            m_circuits[index].setGravSettings(s);
            ++applied;
        }
    }
    return applied;
}

QList<CircuitGravSettings> FW_Dispenser::gravimetricSettings(const QList<int> &positions) const
{
    QList<CircuitGravSettings> settings;
    for (const FW_Circuit &c : m_circuits)
        if (positions.isEmpty() || positions.contains(c.position()))
            settings.append(c.gravSettings());
    return settings;
}

int FW_Dispenser::indexOf(int position) const
{
    for (int i = 0; i < m_circuits.size(); ++i)
        if (m_circuits.at(i).position() == position)
            return i;
    return -1;
}

bool FW_Dispenser::isEqual(const FW_Machine &other) const
{
    const FW_Dispenser &o = static_cast<const FW_Dispenser &>(other);
    return FW_Machine::isEqual(other) && m_circuits == o.m_circuits && m_devices == o.m_devices
        && m_transmission == o.m_transmission && m_dosingMode == o.m_dosingMode && m_scaleNumber == o.m_scaleNumber;
}

XmlRpc::XmlRpcValue FW_Dispenser::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value = FW_Machine::toXmlRpcValue();
    XmlRpc::XmlRpcValue &circuits = value["circuits"];
    circuits.setSize(0);
    for (int i = 0; i < m_circuits.size(); ++i)
        circuits[i] = m_circuits.at(i).toXmlRpcValue();
    XmlRpc::XmlRpcValue &devices = value["devices"];
    devices.setSize(0);
    for (int i = 0; i < m_devices.size(); ++i)
        devices[i] = m_devices.at(i);
    value["transmission"] = static_cast<int>(m_transmission);
    value["dosingMode"] = static_cast<int>(m_dosingMode);
    value["scale"] = m_scaleNumber;
    return value;
}

FW_Dispenser FW_Dispenser::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_Dispenser dispenser;
    bool valid = dispenser.readCommon(value, MachineID::Dispenser);
    FW_XmlRpcReader reader(value);
    reader.require(valid);
    QList<FW_Circuit> circuits;
    const XmlRpc::XmlRpcValue &circuitArray = reader.array("circuits");
    for (int i = 0; i < circuitArray.size() && reader.ok(); ++i) {
        bool circuitOk = false;
        circuits.append(FW_Circuit::fromXmlRpcValue(circuitArray[i], &circuitOk));
        reader.require(circuitOk);
    }
    reader.require(reader.ok() && dispenser.setCircuits(circuits));
    const XmlRpc::XmlRpcValue &devices = reader.optionalArray("devices");
    for (int i = 0; i < devices.size(); ++i)
        if (reader.require(devices[i].getType() == XmlRpc::XmlRpcValue::TypeInt))
            dispenser.m_devices.append(devices[i].asInt());
    const int transmission = reader.toInt("transmission", IndividualMotors);
    const int mode = reader.toInt("dosingMode", Volumetric);
    dispenser.m_scaleNumber = reader.toInt("scale", 0);
    reader.require(transmission >= IndividualMotors && transmission <= SingleTransmission && mode >= Volumetric
                   && mode <= GravimetricSoftware && dispenser.m_scaleNumber >= 0);
    dispenser.m_transmission = static_cast<Transmission>(transmission);
    dispenser.m_dosingMode = static_cast<DosingMode>(mode);
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? dispenser : FW_Dispenser();
}
