#ifndef DISPENSINGTESTFROMXMLTODBCMD_H
#define DISPENSINGTESTFROMXMLTODBCMD_H

#include "ProtoCommand.h"

//! "DISP_TEST_XML_TO_DB": imports a dispensing-test XML file into a
//! database (params = [source XML path, target database path]); paths are
//! the driver host's.
class AXOCOMM_EXPORT DispensingTestFromXmlToDbCmd : public ProtoCommand
{
public:
    //! Imports the XML file at \p source into the database at \p target.
    DispensingTestFromXmlToDbCmd(const QString &source, const QString &target)
        : ProtoCommand(QStringLiteral("DISP_TEST_XML_TO_DB"), QList<QVariant>{source, target})
    {
    }
    //! Path of the XML file.
    QString source() const { return parameters().value(0).toString(); }
    //! Path of the database.
    QString target() const { return parameters().value(1).toString(); }
    ProtoCommand *clone() const override { return new DispensingTestFromXmlToDbCmd(*this); }
};

#endif // DISPENSINGTESTFROMXMLTODBCMD_H
