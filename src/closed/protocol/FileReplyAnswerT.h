#ifndef FILEREPLYANSWERT_H
#define FILEREPLYANSWERT_H

#include "ProtoAnswerT.h"

#include <QtCore/QByteArray>

//! An answer carrying the contents of a file ({"file": base64}); the bytes
//! may be empty. Derived is the answer class.
template<class Derived>
class FileReplyAnswerT : public ProtoAnswerT<Derived>
{
public:
    //! An answer with no bytes.
    FileReplyAnswerT() = default;
    //! An answer carrying those bytes.
    explicit FileReplyAnswerT(const QByteArray &bytes) : m_bytes(bytes) {}
    //! The answer of a driver's result; check isValid().
    explicit FileReplyAnswerT(const XmlRpc::XmlRpcValue &result) { this->fromXmlRpcValue(result); }

    //! The file's bytes as they were sent.
    QByteArray FileReply() const { return m_bytes; }

protected:
    //! Reads the base64 "file" member; false when missing or of another type.
    bool decodeData(const XmlRpc::XmlRpcValue &data) override
    {
        if (data.getType() != XmlRpc::XmlRpcValue::TypeStruct || !data.hasMember("file")
            || data["file"].getType() != XmlRpc::XmlRpcValue::TypeBase64)
            return false;
        const XmlRpc::XmlRpcValue::BinaryData &bytes = data["file"].asBinary();
        m_bytes = QByteArray(reinterpret_cast<const char *>(bytes.data()), static_cast<int>(bytes.size()));
        return true;
    }

    //! {"file": base64}.
    XmlRpc::XmlRpcValue encodeData() const override
    {
        XmlRpc::XmlRpcValue data;
        data["file"] = XmlRpc::XmlRpcValue(m_bytes.constData(), m_bytes.size());
        return data;
    }

    //! A successful answer must carry the file.
    bool requiresData() const override { return true; }

private:
    QByteArray m_bytes;
};

#endif // FILEREPLYANSWERT_H
