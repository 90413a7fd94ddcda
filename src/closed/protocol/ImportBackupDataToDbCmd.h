#ifndef IMPORTBACKUPDATATODBCMD_H
#define IMPORTBACKUPDATATODBCMD_H

#include "ProtoCommand.h"

//! "IMPORT_BACKUP_TO_DB": imports a backup into a database (params =
//! [backup path, target directory, target database file name]); paths are
//! the driver host's.
class AXOCOMM_EXPORT ImportBackupDataToDbCmd : public ProtoCommand
{
public:
    //! Imports the backup into that file of that directory.
    ImportBackupDataToDbCmd(const QString &backup, const QString &directory, const QString &file)
        : ProtoCommand(QStringLiteral("IMPORT_BACKUP_TO_DB"), QList<QVariant>{backup, directory, file})
    {
    }
    ProtoCommand *clone() const override { return new ImportBackupDataToDbCmd(*this); }
};

#endif // IMPORTBACKUPDATATODBCMD_H
