#include "GetActiveCircuitsCmd.h"

#include "FW_Version.h"

GetActiveCircuitsCmd::GetActiveCircuitsCmd(CircuitProcess process)
    : ProtoCommand(QStringLiteral("GET_ACTIVE_CIRCUITS"), QList<QVariant>{static_cast<int>(process)}),
      m_process(process)
{
}

bool GetActiveCircuitsCmd::isCircuitProcessSupported(int process, const FW_Version &version)
{
    if (!version.isValid() || process <= CircuitProcessNone || process >= CircuitProcessCount)
        return false;
    const int needed = process >= CircuitProcessNozzleValveDX ? 4 : 2;
    return version.protocolVersion() >= needed;
}
