#ifndef GETKEYANSWER_H
#define GETKEYANSWER_H

#include "XmlRpcAnswer.h"

//! The answer to "GET_KEY": the driver key ({"key": string}).
class AXOCOMM_EXPORT GetKeyAnswer : public XmlRpcAnswer
{
public:
    GetKeyAnswer() = default;
    explicit GetKeyAnswer(const QString &value) : m_value(value) {}
    explicit GetKeyAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    QString driverKey() const { return m_value; }

    ProtoAnswer *clone() const override { return new GetKeyAnswer(*this); }
    QString answerName() const override { return QStringLiteral("GetKeyAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;
    bool requiresData() const override { return true; }

private:
    QString m_value = QString();
};

#endif // GETKEYANSWER_H
