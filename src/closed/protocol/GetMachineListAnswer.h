#ifndef GETMACHINELISTANSWER_H
#define GETMACHINELISTANSWER_H

#include "GetActiveDispAnswer.h"

//! The answer to "GET_DISP_LIST" (machine type 1) and "GET_MIXER_LIST"
//! (machine type 4): the numbers of the driver's machines of that type
//! ({"machines": [int]}, numbers of 1 or more). It offers the machines as a
//! list of statuses that carry only the identity (none of them marked active:
//! a list of machines says nothing about which are in service), so that it
//! reads like the answer of "GET_ACTIVE_DISP".
class AXOCOMM_EXPORT GetMachineListAnswer : public ProtoAnswerT<GetMachineListAnswer, GetActiveDispAnswer>
{
public:
    //! An empty list of machines of that type.
    explicit GetMachineListAnswer(int machineType = MachineID::Dispenser);
    //! A list of those machine numbers of that type.
    GetMachineListAnswer(int machineType, const QList<int> &machineNumbers);
    //! The answer of a driver's result for that type; check isValid().
    GetMachineListAnswer(int machineType, const XmlRpc::XmlRpcValue &result);

    //! The type the numbers belong to (1 dispensers, 4 mixers).
    int machineType() const { return m_machineType; }
    //! The machine numbers, in order.
    QList<int> machineNumbers() const;

    //! Same type and same content.
    bool equalTo(const ProtoAnswer *other) const override;
    QString answerName() const override { return QStringLiteral("GetMachineListAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;

private:
    void setNumbers(const QList<int> &numbers);

    int m_machineType;
};

#endif // GETMACHINELISTANSWER_H
