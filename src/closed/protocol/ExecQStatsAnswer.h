#ifndef EXECQSTATSANSWER_H
#define EXECQSTATSANSWER_H

#include "ProtoAnswerT.h"

#include <QtCore/QByteArray>

//! The answer to "EXECQ": the reply text encrypted as the query was
//! ({"reply": base64}; may be empty for an empty reply).
class AXOCOMM_EXPORT ExecQStatsAnswer : public ProtoAnswerT<ExecQStatsAnswer>
{
public:
    ExecQStatsAnswer() = default;
    //! An answer carrying that encrypted reply.
    explicit ExecQStatsAnswer(const QByteArray &encryptedReply) : m_reply(encryptedReply) {}
    //! The answer of a driver's result; check isValid().
    explicit ExecQStatsAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    //! The encrypted reply as it came.
    QByteArray QueryReply() const { return m_reply; }

    QString answerName() const override { return QStringLiteral("ExecQStatsAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;
    bool requiresData() const override { return true; }

private:
    QByteArray m_reply;
};

#endif // EXECQSTATSANSWER_H
