#ifndef AXOCOMMMANAGER_H
#define AXOCOMMMANAGER_H

#include "AXOCommGlobal.h"

#include <QtCore/QObject>
#include <QtCore/QString>

//! The entry point with which the host starts and stops the communication
//! with its drivers. One instance per process, from instance() to drop().
class AXOCOMM_EXPORT AXOCommManager : public QObject
{
    Q_OBJECT

public:
    static AXOCommManager *instance();
    static void drop();

    //! Writes the embedded client certificate to a new temporary file and
    //! returns its path. The file is left on disk for the TLS connections.
    QString getCertsFilePath();

private:
    explicit AXOCommManager(QObject *parent = nullptr);
    ~AXOCommManager() override;

    static AXOCommManager *m_Instance;
};

#endif // AXOCOMMMANAGER_H
