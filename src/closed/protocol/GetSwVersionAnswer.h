#ifndef GETSWVERSIONANSWER_H
#define GETSWVERSIONANSWER_H

#include "ProtoAnswerT.h"

#include <QtCore/QVersionNumber>

//! The answer to "GET_SW_VERSION": the driver's software version and the
//! protocol version it speaks ({"version": string, "protocol": int}; the
//! text starts with a dotted version number, "3.2.1" or "3.2.1-rc1").
class AXOCOMM_EXPORT GetSwVersionAnswer : public ProtoAnswerT<GetSwVersionAnswer>
{
public:
    GetSwVersionAnswer() = default;
    //! An answer with that version text and protocol version.
    GetSwVersionAnswer(const QString &versionText, int protocolVersion)
        : m_versionText(versionText), m_protocol(protocolVersion)
    {
    }
    //! The answer of a driver's result; check isValid().
    explicit GetSwVersionAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    //! The dotted number at the start of the text ("3.2.1-rc1" gives 3.2.1).
    QVersionNumber version() const { return QVersionNumber::fromString(m_versionText); }
    //! The text as the driver sent it.
    QString versionText() const { return m_versionText; }
    //! The protocol version the driver speaks.
    int protocolVersion() const { return m_protocol; }

    QString answerName() const override { return QStringLiteral("GetSwVersionAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;
    bool requiresData() const override { return true; }

private:
    QString m_versionText;
    int m_protocol = 0;
};

#endif // GETSWVERSIONANSWER_H
