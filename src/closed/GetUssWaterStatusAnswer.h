#ifndef GETUSSWATERSTATUSANSWER_H
#define GETUSSWATERSTATUSANSWER_H

#include "UssWaterChangeStatus.h"
#include "XmlRpcAnswer.h"

//! The answer to "GET_USS_W_STATUS": the water-change status of the
//! dispenser's ultrasonic nozzle cleaner (the data is the status struct).
class AXOCOMM_EXPORT GetUssWaterStatusAnswer : public XmlRpcAnswer
{
public:
    GetUssWaterStatusAnswer() = default;
    explicit GetUssWaterStatusAnswer(const UssWaterChangeStatus &status) : m_status(status) {}
    explicit GetUssWaterStatusAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    UssWaterChangeStatus ussWaterChangeStatus() const { return m_status; }

    ProtoAnswer *clone() const override { return new GetUssWaterStatusAnswer(*this); }
    QString answerName() const override { return QStringLiteral("GetUssWaterStatusAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override { return m_status.toXmlRpcValue(); }
    bool requiresData() const override { return true; }

private:
    UssWaterChangeStatus m_status;
};

#endif // GETUSSWATERSTATUSANSWER_H
