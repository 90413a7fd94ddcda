// A protocol client for tests of the simulated driver: one kept-alive
// XML-RPC connection, raw protocol calls, the session handshake made with the
// library's protocol commands, and small readers of results.

#ifndef SIMPROTOCOLCLIENT_H
#define SIMPROTOCOLCLIENT_H

#include "CertifySessionAnswer.h"
#include "CertifySessionCmd.h"
#include "FW_DriverError.h"
#include "FunctionCallType.h"
#include "GetKeyAnswer.h"
#include "GetKeyCmd.h"
#include "LoginAnswer.h"
#include "LoginCmd.h"
#include "ProtoCommand.h"
#include "ProtoCommandList.h"
#include "XmlRpcClient.h"
#include "XmlRpcErrorHandler.h"
#include "XmlRpcUtil.h"

#include <gtest/gtest.h>

#include <QtCore/QStringList>

#include <chrono>
#include <cstdint>

using XmlRpc::XmlRpcClient;
using XmlRpc::XmlRpcValue;

namespace {

typedef std::chrono::steady_clock Clock;

const MachineID kDispenser(1, MachineID::Dispenser);
const MachineID kMixer(2, MachineID::Mixer);

int64_t msSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

int rcOf(const XmlRpcValue &result)
{
    if (result.getType() != XmlRpcValue::TypeStruct || result["rc"].getType() != XmlRpcValue::TypeInt)
        return -99;
    return result["rc"].asInt();
}

// Codes of the error records of a result.
QStringList codesOf(const XmlRpcValue &result)
{
    QStringList codes;
    bool ok = false;
    if (result.getType() == XmlRpcValue::TypeStruct && result.hasMember("errors")) {
        for (const FW_Error &error : FW_ErrorList::fromXmlRpcValue(result["errors"], &ok))
            codes.append(error.errorCode());
    }
    return codes;
}

// One protocol client: a keep-alive XML-RPC connection to the driver.
class ProtoClient
{
public:
    explicit ProtoClient(uint16_t port) : m_client("127.0.0.1", port) {}

    //! The raw call; invalid when no response arrived (a fault is a result).
    XmlRpcValue call(int callType, const XmlRpcValue &parameter, double timeoutSeconds = 30.0)
    {
        XmlRpcValue result;
        const std::string method = ProtoCommandList::functionCallStr(callType).toStdString();
        if (!m_client.execute(method.c_str(), parameter, result, timeoutSeconds))
            return XmlRpcValue();
        return result;
    }

    XmlRpcValue execute(const QString &command, const QString &session = QString(),
                        const XmlRpcValue &params = XmlRpcValue::emptyArray(), int callType = SyncCall)
    {
        return call(callType, parameter(command, session, params));
    }

    //! A notify-changed call; prev left out when invalid.
    XmlRpcValue poll(const QString &command, const QString &session, const XmlRpcValue &prev, int intervalMs,
                     int timeoutMs)
    {
        XmlRpcValue param = parameter(command, session, XmlRpcValue::emptyArray());
        if (prev.valid())
            param["prev"] = prev;
        param["interval"] = intervalMs;
        param["timeout"] = timeoutMs;
        return call(NotifyChangedCall, param);
    }

    //! Sends a protocol command and decodes the result into its answer.
    XmlRpcValue run(ProtoCommand &command, const QString &session, int callType = SyncCall)
    {
        bool ok = false;
        const XmlRpcValue param = command.toXmlRpcValue(session, &ok);
        EXPECT_TRUE(ok) << command.command().toStdString();
        const XmlRpcValue result = call(callType, param);
        FW_DriverError error;
        EXPECT_TRUE(command.setAnswer(result, callType == AsyncCall, &error))
            << command.command().toStdString() << ": " << error.errorText().toStdString() << " " << result.toText();
        return result;
    }

    bool isFault() const { return m_client.isFault(); }
    //! Closes the connection; from another thread, ends a call in flight.
    void close() { m_client.close(); }

    static XmlRpcValue parameter(const QString &command, const QString &session, const XmlRpcValue &params)
    {
        XmlRpcValue param;
        param["proto"] = ProtoCommand::ProtocolVersion;
        param["cmd"] = command.toStdString();
        param["session"] = session.toStdString();
        param["params"] = params;
        return param;
    }

private:
    XmlRpcClient m_client;
};

// Keeps the transport's error texts of calls that are meant to fail off the output.
class QuietTransport : public XmlRpc::XmlRpcErrorHandler
{
public:
    QuietTransport() : m_previous(XmlRpcUtil::getErrorHandler()) { XmlRpcUtil::setErrorHandler(this); }
    ~QuietTransport() override { XmlRpcUtil::setErrorHandler(m_previous); }
    void error(const char *) override {}

private:
    XmlRpc::XmlRpcErrorHandler *m_previous;
};

template<typename T>
T answerOf(const ProtoCommand &command)
{
    const T *answer = dynamic_cast<const T *>(command.getProtoAnswer());
    return answer ? *answer : T();
}

const QString kClientID = QStringLiteral("tst_simprotocol");

QString loginSession(ProtoClient &client, const MachineID &machine, int accessLevel = 1)
{
    LoginCmd login(machine, kClientID, 20, accessLevel);
    client.run(login, QString());
    const LoginAnswer answer = answerOf<LoginAnswer>(login);
    EXPECT_EQ(answer.returnCode(), ProtoAnswer::RC_OK);
    return answer.sessionID();
}

// GET_KEY with a fresh client key made for the machine and level the
// session was logged in for; the driver key and the handle of the key.
QString driverKeyFor(ProtoClient &client, const QString &session, const MachineID &machine, QString *clientKey,
                     int *handle, int accessLevel = 1)
{
    GetKeyCmd::createSharedKey(*clientKey, *handle, machine, kClientID, accessLevel);
    GetKeyCmd getKey(session, *clientKey);
    client.run(getKey, QString());
    return answerOf<GetKeyAnswer>(getKey).driverKey();
}

CertifySessionAnswer certify(ProtoClient &client, const QString &session, const QString &loginKey)
{
    CertifySessionCmd command(session, loginKey);
    client.run(command, QString());
    return answerOf<CertifySessionAnswer>(command);
}

// The whole handshake; the certified session, or empty.
QString openSession(ProtoClient &client, const MachineID &machine, QString *loginKeyOut = nullptr,
                    int accessLevel = 1)
{
    const QString session = loginSession(client, machine, accessLevel);
    QString clientKey;
    int handle = 0;
    const QString driverKey = driverKeyFor(client, session, machine, &clientKey, &handle, accessLevel);
    const QString loginKey = GetKeyCmd::createLoginKey(driverKey, handle);
    if (loginKeyOut)
        *loginKeyOut = loginKey;
    const CertifySessionAnswer answer = certify(client, session, loginKey);
    EXPECT_TRUE(answer.certified()) << "session " << session.toStdString();
    return answer.certified() ? session : QString();
}

} // namespace

#endif // SIMPROTOCOLCLIENT_H
