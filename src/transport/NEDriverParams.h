#ifndef NEDRIVERPARAMS_H
#define NEDRIVERPARAMS_H

#include "AXOCommGlobal.h"
#include "AXODriverConnection.h"

#include <QtCore/QList>
#include <QtCore/QPair>
#include <QtCore/QString>

#include <memory>
#include <string>

//! The kind of a driver: the main driver with its own connection, or a
//! slave driver reached through it. The data store answers -1 for a driver
//! it does not hold.
enum DriverTypes {
    AXOdriver = 0,
    SlaveDriver = 1
};

//! One driver as the library knows it: number, kind, endpoint, and per kind
//! of driver thread the number of such threads the host has recorded.
class AXOCOMM_EXPORT NEDriverParams
{
public:
    enum DriverThreadTypes {
        StandardCommandsThread = 0,
        ConfigurationCommandsThread = 1,
        PriorityCommandsThread = 2,
        StopCommandsThread = 3,
        ScaleCommandsThread = 4,
        DriverStatusThread = 5,
        ActiveMachineThread = 6,
        SensorsStatusThread = 7,
        CircuitsStatusThread = 8,
        CircuitsProcessesThread = 9,
        ConnectionStatusThread = 10,
        ScaleWeightThread = 11,
        MixerStatusThread = 12,
        CustomPollingThread = 13
    };
    static constexpr int NumOfDriverThreadTypes = 14;

    NEDriverParams();
    NEDriverParams(int driverID, const AXODriverConnection &connection);
    NEDriverParams(int driverID, DriverTypes driverType);
    NEDriverParams(const NEDriverParams &other);
    NEDriverParams &operator=(const NEDriverParams &other);
    ~NEDriverParams();

    void setDefaults();
    void copy(const NEDriverParams &other);

    int driverID() const { return m_driverID; }
    void setDriverID(int driverID) { m_driverID = driverID; }
    DriverTypes driverType() const { return m_driverType; }
    void setDriverType(DriverTypes driverType) { m_driverType = driverType; }
    bool isAXOdriverType() const { return m_driverType == AXOdriver; }
    bool isSlaveDriverType() const { return m_driverType == SlaveDriver; }

    //! The owned endpoint; null when the driver has none.
    AXODriverConnection *axoDriverConnection() const { return m_connection.get(); }
    bool hasAxoDriverConnection() const { return m_connection != nullptr; }
    void setAXODriverConnection(const AXODriverConnection &connection);

    QString ipAddress() const;
    void setIpAddress(const QString &address);
    int port() const;
    void setPort(int port);
    //! The certificate path in the form the XML-RPC client takes.
    std::string certPath() const;

    QList<QPair<int, int>> threadsStatusList() const { return m_threadsStatusList; }
    void resetThreadsStatusList();
    int getThreadStatus(int threadType, bool *found = nullptr) const;
    bool updateThreadStatus(int threadType, bool started);

    static bool isValidDriverThreadType(DriverThreadTypes threadType);
    //! "Standard commands thread", ...; empty for the custom polling thread.
    static QString threadTypeDescription(DriverThreadTypes threadType);

    bool operator==(const NEDriverParams &other) const;
    bool operator!=(const NEDriverParams &other) const { return !(*this == other); }

private:
    int m_driverID;
    DriverTypes m_driverType;
    std::unique_ptr<AXODriverConnection> m_connection;
    QList<QPair<int, int>> m_threadsStatusList;
};

#endif // NEDRIVERPARAMS_H
