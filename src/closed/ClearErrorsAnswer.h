#ifndef CLEARERRORSANSWER_H
#define CLEARERRORSANSWER_H

#include "XmlRpcAnswer.h"

//! The answer to "CLEAR_ERRORS": how many of the machine's errors the driver
//! cleared ({"cleared": int}).
class AXOCOMM_EXPORT ClearErrorsAnswer : public XmlRpcAnswer
{
public:
    ClearErrorsAnswer() = default;
    explicit ClearErrorsAnswer(int cleared) : m_cleared(cleared) {}
    explicit ClearErrorsAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    int clearedCount() const { return m_cleared; }

    ProtoAnswer *clone() const override { return new ClearErrorsAnswer(*this); }
    QString answerName() const override { return QStringLiteral("ClearErrorsAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;
    bool requiresData() const override { return true; }

private:
    int m_cleared = 0;
};

#endif // CLEARERRORSANSWER_H
