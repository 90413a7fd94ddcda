#ifndef CERTIFYSESSIONANSWER_H
#define CERTIFYSESSIONANSWER_H

#include "XmlRpcAnswer.h"

//! The answer to "CERTIFY_SESSION" ({"certified": bool}).
class AXOCOMM_EXPORT CertifySessionAnswer : public XmlRpcAnswer
{
public:
    CertifySessionAnswer() = default;
    explicit CertifySessionAnswer(const bool &value) : m_value(value) {}
    explicit CertifySessionAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    bool certified() const { return m_value; }

    ProtoAnswer *clone() const override { return new CertifySessionAnswer(*this); }
    QString answerName() const override { return QStringLiteral("CertifySessionAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;
    bool requiresData() const override { return true; }

private:
    bool m_value = bool();
};

#endif // CERTIFYSESSIONANSWER_H
