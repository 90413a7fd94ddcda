#ifndef GETDBFILECMD_H
#define GETDBFILECMD_H

#include "ProtoCommand.h"

//! "GETDBFILE": reads one of the driver's database files by name
//! (params = [name]); the answer carries its bytes (GetDbFileAnswer).
class AXOCOMM_EXPORT GetDbFileCmd : public ProtoCommand
{
public:
    //! Reads the database file of that name.
    explicit GetDbFileCmd(const QString &fileName);

    //! The name of the file read.
    QString fileName() const { return m_fileName; }
    ProtoCommand *clone() const override { return new GetDbFileCmd(*this); }

private:
    QString m_fileName;
};

#endif // GETDBFILECMD_H
