#include "NEXmlRpcClient.h"

unsigned NEXmlRpcClient::handleEvent(unsigned eventType)
{
    const unsigned mask = XmlRpc::XmlRpcClient::handleEvent(eventType);
    if (mask == 0 && _connectionState != IDLE)
        m_executeResult = ExecConnectionError;
    return mask;
}

const char *NEXmlRpcClient::executeResultName(NEXmlRpcExecuteResult result)
{
    switch (result) {
    case ExecOk: return "ExecOk";
    case ExecConnectionError: return "ExecConnectionError";
    case ExecTimeout: return "ExecTimeout";
    case ExecRequestError: return "ExecRequestError";
    }
    return "";
}
