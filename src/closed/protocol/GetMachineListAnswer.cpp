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
    QList<int> numbers;
    if (data.getType() != XmlRpcValue::TypeStruct || !AnswerData::read(data["machines"], &numbers))
        return false;
    for (int number : numbers)
        if (number < 1)
            return false;
    setNumbers(numbers);
    return true;
}

XmlRpcValue GetMachineListAnswer::encodeData() const
{
    XmlRpcValue data;
    data["machines"] = AnswerData::write(machineNumbers());
    return data;
}
