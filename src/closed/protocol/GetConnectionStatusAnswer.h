#ifndef GETCONNECTIONSTATUSANSWER_H
#define GETCONNECTIONSTATUSANSWER_H

#include "MachineID.h"
#include "ProtoAnswerT.h"

#include <QtCore/QList>

//! The answer to "GET_CONN_STATUS": which of the driver's machines it
//! reaches on their ports now and which it lost ({"connected": [MachineID
//! struct], "disconnected": [MachineID struct]}; no machine in both).
class AXOCOMM_EXPORT GetConnectionStatusAnswer : public ProtoAnswerT<GetConnectionStatusAnswer>
{
public:
    GetConnectionStatusAnswer() = default;
    //! An answer with those connected and disconnected machines.
    GetConnectionStatusAnswer(const QList<MachineID> &connected, const QList<MachineID> &disconnected)
        : m_connected(connected), m_disconnected(disconnected)
    {
    }
    //! The answer of a driver's result; check isValid().
    explicit GetConnectionStatusAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    //! The machines the driver reaches.
    QList<MachineID> connectedMachines() const { return m_connected; }
    //! The machines the driver lost.
    QList<MachineID> disconnectedMachines() const { return m_disconnected; }
    //! Whether the machine is among the connected ones.
    bool isConnected(const MachineID &id) const { return m_connected.contains(id); }
    //! No machine is disconnected.
    bool allConnected() const { return m_disconnected.isEmpty(); }

    QString answerName() const override { return QStringLiteral("GetConnectionStatusAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;
    bool requiresData() const override { return true; }

private:
    QList<MachineID> m_connected;
    QList<MachineID> m_disconnected;
};

#endif // GETCONNECTIONSTATUSANSWER_H
