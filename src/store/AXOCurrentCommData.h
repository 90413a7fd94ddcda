#ifndef AXOCURRENTCOMMDATA_H
#define AXOCURRENTCOMMDATA_H

#include "AXOCommGlobal.h"
#include "MachineID.h"

#include <QtCore/QMutex>
#include <QtCore/QObject>

//! The host's current driver and machine: the driver, dispenser and mixer
//! that commands built without an explicit target go to.
class AXOCOMM_EXPORT AXOCurrentCommData : public QObject
{
    Q_OBJECT

public:
    static AXOCurrentCommData *instance();
    static void drop();

    int currentDriverID() const;
    int currentDispenserID() const;
    int currentMixerID() const;
    MachineID currentMachineID() const;

    void setCurrentDriverID(int driverID);
    void setCurrentDispenserID(int dispID);
    void setCurrentMixerID(int mixerID);
    void setCurrentMachineID(const MachineID &machineID);

private:
    explicit AXOCurrentCommData(QObject *parent = nullptr);
    ~AXOCurrentCommData() override;

    static AXOCurrentCommData *m_Instance;

    mutable QMutex m_mutex;
    int m_driverID = 1;
    int m_dispenserID = 0;
    int m_mixerID = 0;
    MachineID m_machineID{0, MachineID::Dispenser};
};

#endif // AXOCURRENTCOMMDATA_H
