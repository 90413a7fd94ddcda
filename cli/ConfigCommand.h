#ifndef CONFIGCOMMAND_H
#define CONFIGCOMMAND_H

#include "CommSession.h"

#include <QtCore/QByteArray>
#include <QtCore/QStringList>

class FW_Configuration;

//! "axocomm config get|save": reads the driver's machine configuration
//! (working or factory) as JSON or in the driver's own form (the XML-RPC
//! value), or saves one read from a file in either form.
class ConfigCommand
{
public:
    //! The exit status: 0 read or saved, 1 the driver, the library or the
    //! file failed, 2 bad usage.
    int run(const QStringList &args);

    //! The configuration in the form asked for.
    static QByteArray encode(const FW_Configuration &configuration, bool driverForm);
    //! A configuration from JSON or from the driver's form (told apart by
    //! the first character); false with *error when it is none.
    static bool decode(const QByteArray &text, FW_Configuration *configuration, QString *error);

private:
    int get();
    int save();

    bool m_save = false;
    QString m_host;
    int m_port = 0;
    QString m_file;
    bool m_factory = false;
    bool m_driverForm = false;
    CommSession m_session;
};

#endif // CONFIGCOMMAND_H
