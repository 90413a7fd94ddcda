#include "SaveMachineConfigCmd.h"

#include "FW_Machine.h"

namespace {

FW_Configuration holding(const FW_Machine &machine)
{
    FW_Configuration configuration;
    configuration.addMachine(machine);
    return configuration;
}

} // namespace

SaveMachineConfigCmd::SaveMachineConfigCmd(const FW_Machine &machine, bool overwrite, bool factory)
    : ProtoCommand(QStringLiteral("SAVE_MACHINE_CONFIG"),
                   QList<QVariant>{QVariant::fromValue(holding(machine)), overwrite, factory}, &machine),
      m_holder(holding(machine)),
      m_overwrite(overwrite),
      m_factory(factory)
{
}

std::unique_ptr<FW_Machine> SaveMachineConfigCmd::machine() const
{
    const QList<const FW_Machine *> machines = m_holder.getMachines();
    return std::unique_ptr<FW_Machine>(machines.isEmpty() ? nullptr : machines.first()->clone());
}

SaveMachineConfigCmd *SaveMachineConfigCmd::fromParameters(const QList<QVariant> &parameters)
{
    if (parameters.size() != 3 || parameters.at(0).userType() != qMetaTypeId<FW_Configuration>())
        return nullptr;
    const FW_Configuration holder = parameters.at(0).value<FW_Configuration>();
    const QList<const FW_Machine *> machines = holder.getMachines();
    if (machines.size() != 1)
        return nullptr;
    return new SaveMachineConfigCmd(*machines.first(), parameters.at(1).toBool(), parameters.at(2).toBool());
}

XmlRpc::XmlRpcValue SaveMachineConfigCmd::paramsToXmlRpc(bool *ok) const
{
    const std::unique_ptr<FW_Machine> machine = this->machine();
    XmlRpc::XmlRpcValue params = XmlRpc::XmlRpcValue::emptyArray();
    params[0] = machine ? machine->toXmlRpcValue() : XmlRpc::XmlRpcValue::emptyStruct();
    params[1] = m_overwrite;
    params[2] = m_factory;
    if (ok)
        *ok = machine != nullptr;
    return params;
}
