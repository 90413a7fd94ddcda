#ifndef EXECQSTATSCMD_H
#define EXECQSTATSCMD_H

#include "ProtoCommand.h"

#include <QtCore/QByteArray>

//! "EXECQ": a query of the driver's statistics database, encrypted
//! (params = [query: base64]). The query text is encrypted with AES-128 in
//! ECB mode under Key, zero padded, and travels with the trailing zero bytes
//! of the ciphertext dropped; the driver completes the last block with zero
//! bytes again. The reply comes back encrypted the same way
//! (ExecQStatsAnswer). docs/protocol.md gives the query language.
class AXOCOMM_EXPORT ExecQStatsCmd : public ProtoCommand
{
public:
    //! The statistics key both ends share: 16 characters (AES-128) and the
    //! terminating zero, which is not part of the key.
    static const char Key[17];

    //! Runs a query already encrypted (see the class description).
    explicit ExecQStatsCmd(const QByteArray &encryptedQuery);

    //! The encrypted query, the command's only parameter.
    QByteArray encryptedQuery() const { return m_query; }
    ProtoCommand *clone() const override { return new ExecQStatsCmd(*this); }

    //! The command again from its parameters (one byte array); null when
    //! they are not that.
    static ExecQStatsCmd *fromParameters(const QList<QVariant> &parameters);

protected:
    XmlRpc::XmlRpcValue paramsToXmlRpc(bool *ok) const override;

private:
    QByteArray m_query;
};

#endif // EXECQSTATSCMD_H
