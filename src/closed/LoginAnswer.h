#ifndef LOGINANSWER_H
#define LOGINANSWER_H

#include "XmlRpcAnswer.h"

//! The answer to "LOGIN": the new session ID ({"session": string}).
class AXOCOMM_EXPORT LoginAnswer : public XmlRpcAnswer
{
public:
    LoginAnswer() = default;
    explicit LoginAnswer(const QString &value) : m_value(value) {}
    explicit LoginAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    QString sessionID() const { return m_value; }

    ProtoAnswer *clone() const override { return new LoginAnswer(*this); }
    QString answerName() const override { return QStringLiteral("LoginAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;
    bool requiresData() const override { return true; }

private:
    QString m_value = QString();
};

#endif // LOGINANSWER_H
