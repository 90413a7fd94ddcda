// The current-machine facade: the selection of the current driver and
// machine, the re-emission of the store's change signals that concern them,
// and the operations that ask the store for them. Queries and firmware
// checks of their own are in AXOCurrentCommDataQueries.cpp.

#include "AXOCurrentCommData.h"

#include <QtCore/QMutexLocker>
#include <QtCore/QWaitCondition>

AXOCurrentCommData *AXOCurrentCommData::m_Instance = nullptr;

namespace {
QMutex s_instanceMutex;
QMutex s_dropMutex;
} // namespace

// The store emits in whichever thread changed it; its signals reach the
// facade through this gate, which lets them pass only while the facade
// exists and lets the facade's end wait for those passing.
class AXOCurrentCommData::Gate
{
public:
    explicit Gate(AXOCurrentCommData *facade) : m_facade(facade) { }

    //! Runs call(facade) unless the gate was closed.
    template<typename Call>
    void pass(Call call)
    {
        AXOCurrentCommData *facade = nullptr;
        {
            QMutexLocker locker(&m_mutex);
            facade = m_facade;
            if (!facade)
                return;
            ++m_passing;
        }
        call(facade);
        QMutexLocker locker(&m_mutex);
        if (--m_passing == 0)
            m_idle.wakeAll();
    }

    //! Lets nothing pass any longer; returns once nothing is passing.
    void close()
    {
        QMutexLocker locker(&m_mutex);
        m_facade = nullptr;
        while (m_passing > 0)
            m_idle.wait(&m_mutex);
    }

private:
    QMutex m_mutex;
    QWaitCondition m_idle;
    AXOCurrentCommData *m_facade;
    int m_passing = 0;
};

AXOCurrentCommData::AXOCurrentCommData(QObject *parent) : QObject(parent), m_gate(std::make_shared<Gate>(this))
{
    qRegisterMetaType<MachineID>("MachineID");
}

AXOCurrentCommData::~AXOCurrentCommData()
{
    m_gate->close();
}

AXOCurrentCommData *AXOCurrentCommData::instance()
{
    QMutexLocker locker(&s_instanceMutex);
    if (!m_Instance)
        m_Instance = new AXOCurrentCommData();
    if (!m_Instance->m_store) {
        m_Instance->m_store = AXOCommData::instance();
        m_Instance->follow(m_Instance->m_store);
    }
    return m_Instance;
}

void AXOCurrentCommData::drop()
{
    QMutexLocker dropLocker(&s_dropMutex);
    AXOCurrentCommData *facade = nullptr;
    {
        QMutexLocker locker(&s_instanceMutex);
        facade = m_Instance;
    }
    if (!facade)
        return;
    // Without the instance lock: a receiver of a re-emission in progress may
    // still ask instance() for the facade, which lives until it has returned.
    facade->m_gate->close();
    {
        QMutexLocker locker(&s_instanceMutex);
        m_Instance = nullptr;
    }
    delete facade;
}

// ---------------------------------------------------------------- selection

AXOCurrentCommData::Selection AXOCurrentCommData::selection() const
{
    QMutexLocker locker(&m_mutex);
    return Selection { m_driverID, m_machineID };
}

void AXOCurrentCommData::select(const MachineID &machineID)
{
    {
        QMutexLocker locker(&m_mutex);
        if (m_machineID == machineID)
            return;
        m_machineID = machineID;
    }
    emit NECurrentMachineChanged(machineID);
}

void AXOCurrentCommData::setCurrentDriverID(int driverID)
{
    QMutexLocker locker(&m_mutex);
    m_driverID = driverID;
}

int AXOCurrentCommData::currentDriverID() const
{
    return selection().driverID;
}

bool AXOCurrentCommData::setCurrentMachineID(const MachineID &machineID)
{
    if (machineID.isDispenser() && machineID.machineNumber >= 0) {
        select(MachineID(machineID.machineNumber, MachineID::Dispenser));
        return true;
    }
    if (machineID.isMixer()) {
        select(MachineID(machineID.machineNumber, MachineID::Mixer));
        return true;
    }
    return false;
}

bool AXOCurrentCommData::setCurrentDispenserID(int dispID)
{
    if (dispID < 0)
        return false;
    select(MachineID(dispID, MachineID::Dispenser));
    return true;
}

bool AXOCurrentCommData::setCurrentMixerID(int mixerID)
{
    select(MachineID(mixerID, MachineID::Mixer));
    return true;
}

bool AXOCurrentCommData::setCurrentDispenser(const FW_Dispenser &dispenser)
{
    const int number = dispenser.machineNumber();
    if (!getSharedConfiguration().existDispenserById(number))
        return false;
    select(MachineID(number, MachineID::Dispenser));
    return true;
}

MachineID AXOCurrentCommData::currentMachineID() const
{
    return selection().machine;
}

int AXOCurrentCommData::currentDispenserID() const
{
    return selection().dispenserID();
}

int AXOCurrentCommData::currentMixerID() const
{
    return selection().mixerID();
}

MachineID::SerialDeviceType AXOCurrentCommData::currentDevice() const
{
    return static_cast<MachineID::SerialDeviceType>(selection().machine.machineType);
}

bool AXOCurrentCommData::isCurrentDeviceDispenser() const
{
    return currentDevice() == MachineID::Dispenser;
}

bool AXOCurrentCommData::isCurrentDeviceMixer() const
{
    return currentDevice() == MachineID::Mixer;
}

// ---------------------------------------------------------------- re-emission

template<typename Signal, typename Handler>
void AXOCurrentCommData::follow(AXOCommData *store, Signal signal, Handler handler)
{
    // Directly, in the emitting thread: the decision is taken against the
    // selection of the moment of the change, and needs no event loop.
    const std::shared_ptr<Gate> gate = m_gate;
    connect(
        store, signal, this,
        [gate, handler](const auto &...args) {
            gate->pass([&](AXOCurrentCommData *facade) { handler(facade, facade->selection(), args...); });
        },
        Qt::DirectConnection);
}

void AXOCurrentCommData::follow(AXOCommData *store)
{
    using Reemit = void (AXOCurrentCommData::*)();

    // Changes of the driver as a whole.
    const auto ofDriver = [this, store](auto signal, Reemit reemit) {
        follow(store, signal, [reemit](AXOCurrentCommData *facade, const Selection &current, int driverID) {
            if (driverID == current.driverID)
                (facade->*reemit)();
        });
    };
    ofDriver(&AXOCommData::NEDispenserStatusListChanged,
             &AXOCurrentCommData::NECurrentDispenserStatusListChangedSignal);
    ofDriver(&AXOCommData::NEMachineStatusListChanged, &AXOCurrentCommData::NECurrentMachineStatusListChangedSignal);
    ofDriver(&AXOCommData::NEScaleStatusListChanged, &AXOCurrentCommData::NECurrentScaleStatusListChangedSignal);
    ofDriver(&AXOCommData::NEConfigurationChanged, &AXOCurrentCommData::NESharedConfigurationChanged);
    ofDriver(&AXOCommData::NEDefaultCalibrationProfilesChanged,
             &AXOCurrentCommData::NESharedDefaultCalibrationProfilesChanged);
    ofDriver(&AXOCommData::NECustomCalibrationProfilesChanged,
             &AXOCurrentCommData::NESharedCustomCalibrationProfilesChanged);

    // Changes of one dispenser, with the values they carry: the current
    // dispenser ID, 0 while a mixer is current.
    const auto ofDispenser = [this, store](auto signal, auto reemit) {
        follow(store, signal,
               [reemit](AXOCurrentCommData *facade, const Selection &current, int driverID, int dispID,
                        const auto &...values) {
                   if (driverID == current.driverID && dispID == current.dispenserID())
                       (facade->*reemit)(values...);
               });
    };
    ofDispenser(&AXOCommData::NEDispenserDriverStatusChangedSignal,
                &AXOCurrentCommData::NECurrentDispenserDriverStatusChangedSignal);
    ofDispenser(&AXOCommData::NECurrentScaleWeightChangedSignal,
                &AXOCurrentCommData::NECurrentScaleWeightChangedSignal);
    ofDispenser(&AXOCommData::NEUSSCleaningStatusChangedSignal,
                &AXOCurrentCommData::NEUSSCleaningStatusChangedSignal);
    ofDispenser(&AXOCommData::NEHumidifierValuesChangedSignal,
                &AXOCurrentCommData::NECurrentHumidifierValuesChangedSignal);
    ofDispenser(&AXOCommData::NEGearACMotorValuesChangedSignal,
                &AXOCurrentCommData::NECurrentGearACMotorValuesChangedSignal);

    // Changes of one machine.
    const auto ofMachine = [this, store](auto signal, Reemit reemit) {
        follow(store, signal,
               [reemit](AXOCurrentCommData *facade, const Selection &current, int driverID,
                        const MachineID &machineID) {
                   if (driverID == current.driverID && machineID == current.machine)
                       (facade->*reemit)();
               });
    };
    ofMachine(&AXOCommData::NEMachineDriverStatusChangedSignal,
              &AXOCurrentCommData::NECurrentMachineDriverStatusChangedSignal);
    ofMachine(&AXOCommData::NEFirmwareVersionChangedSignal,
              &AXOCurrentCommData::NECurrentFirmwareVersionChangedSignal);
    ofMachine(&AXOCommData::NEFirmwareProgramChangedSignal,
              &AXOCurrentCommData::NECurrentFirmwareProgramChangedSignal);

    // Errors: of the current machine, of the generic machine of its kind
    // ({0, 1} while a dispenser is current), and all of the driver's while no
    // machine is current.
    follow(store, &AXOCommData::NEErrorListUpdated,
           [](AXOCurrentCommData *facade, const Selection &current, int driverID, const MachineID &machineID,
              bool changed) {
               if (driverID != current.driverID)
                   return;
               if (machineID == current.machine || current.machine.machineNumber == 0
                   || (machineID.machineNumber == 0 && machineID.machineType == current.machine.machineType))
                   emit facade->NECurrentErrorListUpdated(changed);
           });
}
