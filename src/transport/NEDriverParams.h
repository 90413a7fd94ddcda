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
    //! The kinds of driver thread, one per driver, machine and kind.
    enum DriverThreadTypes {
        StandardCommandsThread = 0,      //!< drains the machine's standard queue
        ConfigurationCommandsThread = 1, //!< drains its configuration queue
        PriorityCommandsThread = 2,      //!< drains its priority queue
        StopCommandsThread = 3,          //!< drains its stop queue
        ScaleCommandsThread = 4,         //!< drains its scale queue
        DriverStatusThread = 5,          //!< polls a dispenser's driver status
        ActiveMachineThread = 6,         //!< polls the driver's machine list
        SensorsStatusThread = 7,         //!< polls a dispenser's sensors
        CircuitsStatusThread = 8,        //!< polls a dispenser's circuits
        CircuitsProcessesThread = 9,     //!< follows a dispenser's circuit processes
        ConnectionStatusThread = 10,     //!< polls which machines the driver reaches
        ScaleWeightThread = 11,          //!< polls a scale's weight
        MixerStatusThread = 12,          //!< polls a mixer's driver status
        CustomPollingThread = 13         //!< polls the board's sensors (GET_SENSORS_STATUS)
    };
    //! The number of thread kinds.
    static constexpr int NumOfDriverThreadTypes = 14;

    //! Driver 1, main kind, no endpoint.
    NEDriverParams();
    //! A main driver with that endpoint.
    NEDriverParams(int driverID, const AXODriverConnection &connection);
    //! A driver of that kind without endpoint.
    NEDriverParams(int driverID, DriverTypes driverType);
    //! A deep copy (the endpoint too).
    NEDriverParams(const NEDriverParams &other);
    //! A deep copy (the endpoint too).
    NEDriverParams &operator=(const NEDriverParams &other);
    ~NEDriverParams();

    //! Back to driver 1, main kind, no endpoint, no threads counted.
    void setDefaults();
    //! Copies the other's values over these.
    void copy(const NEDriverParams &other);

    //! The driver's ID.
    int driverID() const { return m_driverID; }
    //! Sets the driver's ID.
    void setDriverID(int driverID) { m_driverID = driverID; }
    //! The driver's kind.
    DriverTypes driverType() const { return m_driverType; }
    //! Sets the driver's kind.
    void setDriverType(DriverTypes driverType) { m_driverType = driverType; }
    //! A main driver.
    bool isAXOdriverType() const { return m_driverType == AXOdriver; }
    //! A slave driver.
    bool isSlaveDriverType() const { return m_driverType == SlaveDriver; }

    //! The owned endpoint; null when the driver has none.
    AXODriverConnection *axoDriverConnection() const { return m_connection.get(); }
    //! Whether the driver has an endpoint.
    bool hasAxoDriverConnection() const { return m_connection != nullptr; }
    //! Keeps a copy of the endpoint.
    void setAXODriverConnection(const AXODriverConnection &connection);

    //! The endpoint's address as text; empty without one.
    QString ipAddress() const;
    //! Sets the endpoint's address; ignored without an endpoint.
    void setIpAddress(const QString &address);
    //! The endpoint's port; 0 without one.
    int port() const;
    //! Sets the endpoint's port; ignored without an endpoint.
    void setPort(int port);
    //! The certificate path in the form the XML-RPC client takes.
    std::string certPath() const;

    //! Per thread kind, the number of threads the host recorded as started.
    QList<QPair<int, int>> threadsStatusList() const { return m_threadsStatusList; }
    //! Every count back to 0.
    void resetThreadsStatusList();
    //! The count of that kind; *found false for an unknown kind.
    int getThreadStatus(int threadType, bool *found = nullptr) const;
    //! Counts a thread of that kind started (or stopped); false for an
    //! unknown kind or a stop below 0.
    bool updateThreadStatus(int threadType, bool started);

    //! One of the DriverThreadTypes.
    static bool isValidDriverThreadType(DriverThreadTypes threadType);
    //! "Standard commands thread", ...; empty for the custom polling thread.
    static QString threadTypeDescription(DriverThreadTypes threadType);

    //! Same ID, kind and endpoint (address and port); the counts are not compared.
    bool operator==(const NEDriverParams &other) const;
    //! Not operator==().
    bool operator!=(const NEDriverParams &other) const { return !(*this == other); }

private:
    int m_driverID;
    DriverTypes m_driverType;
    std::unique_ptr<AXODriverConnection> m_connection;
    QList<QPair<int, int>> m_threadsStatusList;
};

#endif // NEDRIVERPARAMS_H
