#ifndef GETCOMMANDSTATUSANSWER_H
#define GETCOMMANDSTATUSANSWER_H

#include "CmdStatus.h"
#include "XmlRpcAnswer.h"

//! The answer to a status query by ticket.
class AXOCOMM_EXPORT GetCommandStatusAnswer : public XmlRpcAnswer
{
public:
    GetCommandStatusAnswer() = default;
    explicit GetCommandStatusAnswer(const CmdStatus &status) : m_status(status) {}
    explicit GetCommandStatusAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    CmdStatus cmdStatus() const { return m_status; }

    ProtoAnswer *clone() const override { return new GetCommandStatusAnswer(*this); }
    QString answerName() const override { return QStringLiteral("GetCommandStatusAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override { return m_status.toXmlRpcValue(); }
    bool requiresData() const override { return true; }

private:
    CmdStatus m_status;
};

#endif // GETCOMMANDSTATUSANSWER_H
