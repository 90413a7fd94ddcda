#include "GetMachineListAnswer.h"

using XmlRpc::XmlRpcValue;

GetMachineListAnswer::GetMachineListAnswer(int machineType) : m_machineType(machineType)
{
}

GetMachineListAnswer::GetMachineListAnswer(int machineType, const QList<int> &machineNumbers)
    : m_machineType(machineType)
{
    setNumbers(machineNumbers);
}

GetMachineListAnswer::GetMachineListAnswer(int machineType, const XmlRpcValue &result)
    : m_machineType(machineType)
{
    fromXmlRpcValue(result);
}

bool GetMachineListAnswer::equalTo(const ProtoAnswer *other) const
{
    const GetMachineListAnswer *list = dynamic_cast<const GetMachineListAnswer *>(other);
    return list && list->m_machineType == m_machineType && GetActiveDispAnswer::equalTo(other);
}

QList<int> GetMachineListAnswer::machineNumbers() const
{
    QList<int> numbers;
    for (const MachineID &id : getMachineIDs(0))
        numbers.append(id.machineNumber);
    return numbers;
}

void GetMachineListAnswer::setNumbers(const QList<int> &numbers)
{
    std::vector<std::unique_ptr<MachineStatus>> statuses;
    for (int number : numbers) {
        const MachineID id(number, m_machineType);
        if (id.isDispenser() || (id.isScale() && !id.isMixer()))
            statuses.emplace_back(new DispenserStatus(id));
        else if (id.isMixer())
            statuses.emplace_back(new MixerStatus(id));
        else
            statuses.emplace_back(new MachineStatus(id));
    }
    takeMachineStatusList(std::move(statuses));
}

bool GetMachineListAnswer::decodeData(const XmlRpcValue &data)
{
    if (data.getType() != XmlRpcValue::TypeStruct || data["machines"].getType() != XmlRpcValue::TypeArray)
        return false;
    const XmlRpcValue &machines = data["machines"];
    QList<int> numbers;
    for (int i = 0; i < machines.size(); ++i) {
        if (machines[i].getType() != XmlRpcValue::TypeInt || machines[i].asInt() < 1)
            return false;
        numbers.append(machines[i].asInt());
    }
    setNumbers(numbers);
    return true;
}

XmlRpcValue GetMachineListAnswer::encodeData() const
{
    XmlRpcValue machines = XmlRpcValue::emptyArray();
    const QList<int> numbers = machineNumbers();
    for (int i = 0; i < numbers.size(); ++i)
        machines[i] = numbers.at(i);
    XmlRpcValue data;
    data["machines"] = machines;
    return data;
}
