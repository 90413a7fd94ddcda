#ifndef XMLRPCANSWER_H
#define XMLRPCANSWER_H

#include "AXOCommGlobal.h"
#include "FW_ErrorList.h"
#include "ProtoAnswer.h"

//! The result of a command: return code, error records and the data.
//! Answers of particular commands derive from it and decode the data into
//! fields of their own (decodeData / encodeData); this class keeps the data
//! as it came.
class AXOCOMM_EXPORT XmlRpcAnswer : public ProtoAnswer
{
public:
    //! An answer of a successful command without data.
    XmlRpcAnswer();
    //! Decodes a result; check isValid().
    explicit XmlRpcAnswer(const XmlRpc::XmlRpcValue &result);
    //! Destroys the answer.
    ~XmlRpcAnswer() override;

    //! Decodes the envelope and, for a result with data, the data. False
    //! (and an answer that is not valid) when the value is not a result of
    //! this answer's command.
    bool fromXmlRpcValue(const XmlRpc::XmlRpcValue &result);
    //! Whether the last decoded value was a result of this answer's command.
    bool isValid() const { return m_valid; }

    //! The "rc" of the result (see ProtocolRetCode).
    int returnCode() const { return m_returnCode; }
    //! Sets the "rc" of the result.
    void setReturnCode(int rc) { m_returnCode = rc; }
    //! Whether the return code is anything but RC_OK.
    bool isCmdFailed() const { return m_returnCode != RC_OK; }
    //! Whether the result carries error records.
    bool hasErrors() const { return !m_errors.isEmpty(); }
    //! The error records of the result.
    FW_ErrorList errors() const { return m_errors; }
    //! Replaces the error records.
    void setErrors(const FW_ErrorList &errors) { m_errors = errors; }
    //! Adds one error record.
    void appendError(const FW_Error &error) { m_errors.append(error); }
    //! Whether data() is a valid value.
    bool hasData() const;
    //! The data as the answer writes it (as it came, for a failed command).
    XmlRpc::XmlRpcValue data() const { return m_returnCode == RC_OK ? encodeData() : m_data; }

    //! A copy of this answer.
    ProtoAnswer *clone() const override { return new XmlRpcAnswer(*this); }
    //! Same answer class, return code, errors and data.
    bool equalTo(const ProtoAnswer *other) const override;
    //! The result with the data as data() gives it.
    XmlRpc::XmlRpcValue toXmlRpcValue() const override;
    //! "XmlRpcAnswer".
    QString answerName() const override { return QStringLiteral("XmlRpcAnswer"); }

    //! A result built by a driver: {"rc", "errors", "data"} (data left out when invalid).
    static XmlRpc::XmlRpcValue makeResult(int rc, const FW_ErrorList &errors,
                                          const XmlRpc::XmlRpcValue &data = XmlRpc::XmlRpcValue());

protected:
    //! Takes the data of a successful result; false when it is malformed.
    virtual bool decodeData(const XmlRpc::XmlRpcValue &data);
    //! Writes the data back; invalid for an answer without data.
    virtual XmlRpc::XmlRpcValue encodeData() const;
    //! Whether a successful result must carry data.
    virtual bool requiresData() const { return false; }

private:
    bool m_valid;
    int m_returnCode;
    FW_ErrorList m_errors;
    XmlRpc::XmlRpcValue m_data;
};

#endif // XMLRPCANSWER_H
