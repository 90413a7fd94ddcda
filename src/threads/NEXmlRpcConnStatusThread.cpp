#include "NEXmlRpcConnStatusThread.h"

#include "GetConnectionStatusAnswer.h"
#include "ProtoCommandList.h"

NCCommand NEXmlRpcConnStatusThread::makeQuery(const ProtoAnswer *previous) const
{
    return NCCommand(ProtoCommandList::cmdStr(ProtoCommandList::GET_CONN_STATUS), previous, kPollInterval, kPollHold,
                     nullptr);
}

FW_DriverError NEXmlRpcConnStatusThread::queryConstructionError() const
{
    return FW_DriverError(QStringLiteral("An error occurred in connection status command construction"),
                          QStringLiteral("TE00323"));
}

bool NEXmlRpcConnStatusThread::acceptsAnswer(const ProtoAnswer &answer) const
{
    return dynamic_cast<const GetConnectionStatusAnswer *>(&answer) != nullptr;
}
