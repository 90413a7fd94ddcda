#ifndef SETDBFILECMD_H
#define SETDBFILECMD_H

#include "ProtoCommand.h"

#include <QtCore/QByteArray>

//! "SETDBFILE": hands the driver a statistics database file
//! (params = [base64]); the driver stores it as its "stats.db".
class AXOCOMM_EXPORT SetDbFileCmd : public ProtoCommand
{
public:
    //! Hands the driver those file bytes.
    explicit SetDbFileCmd(const QByteArray &bytes);

    //! The file bytes sent.
    QByteArray bytes() const { return m_bytes; }
    ProtoCommand *clone() const override { return new SetDbFileCmd(*this); }

private:
    QByteArray m_bytes;
};

#endif // SETDBFILECMD_H
