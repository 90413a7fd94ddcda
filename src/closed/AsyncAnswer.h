#ifndef ASYNCANSWER_H
#define ASYNCANSWER_H

#include "XmlRpcAnswer.h"

//! The answer to an asynchronous call: the ticket by which the command's
//! status is followed ({"ticket": int}).
class AXOCOMM_EXPORT AsyncAnswer : public XmlRpcAnswer
{
public:
    AsyncAnswer() = default;
    explicit AsyncAnswer(int ticketID) : m_ticketID(ticketID) {}
    explicit AsyncAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    int ticketID() const { return m_ticketID; }

    ProtoAnswer *clone() const override { return new AsyncAnswer(*this); }
    QString answerName() const override { return QStringLiteral("AsyncAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;
    bool requiresData() const override { return true; }

private:
    int m_ticketID = 0;
};

#endif // ASYNCANSWER_H
