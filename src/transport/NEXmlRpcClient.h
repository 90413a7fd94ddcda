#ifndef NEXMLRPCCLIENT_H
#define NEXMLRPCCLIENT_H

#include "AXOCommGlobal.h"
#include "XmlRpcClient.h"

//! Outcome of one XML-RPC call made by a driver thread.
enum NEXmlRpcExecuteResult {
    ExecOk = 0,              //!< the call returned a parsed response
    ExecConnectionError = 1, //!< no client, set-up failed, or the exchange broke off
    ExecTimeout = 2,         //!< the time limit ran out while reading the response
    ExecRequestError = 3     //!< already executing, request not generated, or response not parsed
};

//! The client a driver thread owns: it remembers why the last exchange broke off.
class AXOCOMM_EXPORT NEXmlRpcClient : public XmlRpc::XmlRpcClient
{
public:
    using XmlRpc::XmlRpcClient::XmlRpcClient;

    //! The outcome of the last exchange.
    NEXmlRpcExecuteResult executeResult() const { return m_executeResult; }
    //! Sets executeResult().
    void setExecuteResult(NEXmlRpcExecuteResult result) { m_executeResult = result; }

    //! The readable name of an outcome ("ExecOk", ...).
    static const char *executeResultName(NEXmlRpcExecuteResult result);

    unsigned handleEvent(unsigned eventType) override;

private:
    NEXmlRpcExecuteResult m_executeResult = ExecOk;
};

#endif // NEXMLRPCCLIENT_H
