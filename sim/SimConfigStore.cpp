#include "SimConfigStore.h"

#include "GetCalibrationProfilesAnswer.h"
#include "GetCommandListAnswer.h"
#include "GetConfigAnswer.h"
#include "GetDriverSettingsAnswer.h"
#include "ProtoCommandList.h"
#include "SimDriverModel.h"
#include "SimProtocolHandler.h"
#include "SimScenario.h"

using XmlRpc::XmlRpcValue;

SimConfigStore::SimConfigStore(const SimScenario &scenario)
    : m_working(scenario.configuration()),
      m_factory(factoryOf(scenario.configuration())),
      m_profiles(scenario.calibrationProfiles()),
      m_settings(scenario.driverSettings())
{
    for (const MachineID &id : m_working.getMachinesID()) {
        const QList<ProtocolCommandInfo> listed = scenario.commandList(id);
        m_commands.insert(id, listed.isEmpty() ? implementedCommands(id.machineType) : listed);
    }
}

FW_Configuration SimConfigStore::factoryOf(const FW_Configuration &working)
{
    FW_Configuration factory = working;
    for (FW_Machine *machine : factory.getMachines()) {
        machine->setName(FW_Machine::modelName(machine->model()));
        machine->setRevision(0);
        machine->setCID(QString());
    }
    return factory;
}

QList<ProtocolCommandInfo> SimConfigStore::implementedCommands(int machineType)
{
    QList<ProtocolCommandInfo> commands;
    for (const QString &name : ProtoCommandList::commandNames()) {
        const ProtoCommandRecord *record = ProtoCommandList::record(name);
        if (record->addressesMachine() && (record->machineTypes & machineType) != 0
            && SimProtocolHandler::implements(name))
            commands.append(ProtocolCommandInfo(name, 1));
    }
    return commands;
}

const FW_Configuration &SimConfigStore::configuration(int type) const
{
    return type == FactoryConfiguration ? m_factory : m_working;
}

XmlRpcValue SimConfigStore::configurationResult(const XmlRpcValue &params) const
{
    return configurationResult(params, m_working, m_factory);
}

XmlRpcValue SimConfigStore::configurationResult(const XmlRpcValue &params, const FW_Configuration &working,
                                                const FW_Configuration &factory) const
{
    int type = WorkingConfiguration;
    if (params.getType() == XmlRpcValue::TypeArray && params.size() > 0) {
        const XmlRpcValue &first = params[0];
        if (first.getType() != XmlRpcValue::TypeInt
            || (first.asInt() != WorkingConfiguration && first.asInt() != FactoryConfiguration))
            return SimDriverModel::failure(ProtoAnswer::RC_INVALID_PARAMS, SimDriverModel::InvalidParams,
                                           QStringLiteral("GET_CONFIG"));
        type = first.asInt();
    }
    return GetConfigAnswer(type == WorkingConfiguration ? working : factory).toXmlRpcValue();
}

XmlRpcValue SimConfigStore::calibrationProfilesResult() const
{
    return GetCalibrationProfilesAnswer(m_profiles).toXmlRpcValue();
}

XmlRpcValue SimConfigStore::driverSettingsResult() const
{
    return GetDriverSettingsAnswer(m_settings).toXmlRpcValue();
}

XmlRpcValue SimConfigStore::commandListResult(const MachineID &machine) const
{
    return GetCommandListAnswer(m_commands.value(machine)).toXmlRpcValue();
}
