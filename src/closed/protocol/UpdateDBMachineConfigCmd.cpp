#include "UpdateDBMachineConfigCmd.h"

#include "FW_Machine.h"

namespace {

FW_Configuration holding(const FW_Machine &machine)
{
    FW_Configuration configuration;
    configuration.addMachine(machine);
    return configuration;
}

} // namespace

UpdateDBMachineConfigCmd::UpdateDBMachineConfigCmd(const FW_Machine &machine)
    : ProtoCommand(QStringLiteral("UPDATE_DB_CONFIGURATION"), QList<QVariant>{QVariant::fromValue(holding(machine))},
                   &machine),
      m_holder(holding(machine))
{
}

std::unique_ptr<FW_Machine> UpdateDBMachineConfigCmd::machine() const
{
    const QList<const FW_Machine *> machines = m_holder.getMachines();
    return std::unique_ptr<FW_Machine>(machines.isEmpty() ? nullptr : machines.first()->clone());
}

XmlRpc::XmlRpcValue UpdateDBMachineConfigCmd::paramsToXmlRpc(bool *ok) const
{
    const std::unique_ptr<FW_Machine> machine = this->machine();
    XmlRpc::XmlRpcValue params = XmlRpc::XmlRpcValue::emptyArray();
    params[0] = machine ? machine->toXmlRpcValue() : XmlRpc::XmlRpcValue::emptyStruct();
    if (ok)
        *ok = machine != nullptr;
    return params;
}
