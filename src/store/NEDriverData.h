#ifndef NEDRIVERDATA_H
#define NEDRIVERDATA_H

#include "AXOCommGlobal.h"
#include "DispenserStatus.h"
#include "DriverSettings.h"
#include "FW_CalibrationProfiles.h"
#include "FW_Configuration.h"
#include "MachineID.h"
#include "MixerStatus.h"
#include "NEMachineDataList.h"

#include <QtCore/QList>
#include <QtCore/QVersionNumber>

#include <memory>

class FW_Machine;
class MachineStatus;

//! What the library knows about one driver: its machine records, the latest
//! and the previous status lists of its dispensers and mixers, its shared and
//! factory configurations, calibration profiles, settings and version.
//!
//! The record does no locking: the data store guards it. Copies are deep.
class AXOCOMM_EXPORT NEDriverData
{
public:
    //! Defaults and no machine list.
    NEDriverData();
    //! Defaults and a machine list with the driver's generic dispenser {0, 1}
    //! and generic mixer {0, 4}.
    explicit NEDriverData(int driverID);
    //! Defaults and a copy of the given machine list (none for null).
    NEDriverData(int driverID, const NEMachineDataList *machineDataList);
    //! A deep copy.
    NEDriverData(const NEDriverData &other);
    //! A deep copy.
    NEDriverData &operator=(const NEDriverData &other);
    //! Frees the machine list.
    ~NEDriverData();

    //! Deep copy of every field.
    void copy(const NEDriverData &other);

    //! Driver ID, machine lists (both absent or both equal), settings, both
    //! configurations, calibration profiles and version; the status lists
    //! are not compared.
    bool operator==(const NEDriverData &other) const;
    //! Not operator==().
    bool operator!=(const NEDriverData &other) const { return !(*this == other); }

    //! Driver ID 0, no machine list, empty status lists, cleared
    //! configurations, default calibration profiles and settings, null version.
    void setDefaults();

    //! The driver's ID.
    int driverID() const { return m_driverID; }
    //! Sets the driver's ID.
    void setDriverID(int driverID) { m_driverID = driverID; }

    // Machine records
    //! Whether the record has a machine list.
    bool hasMachineDataList() const { return m_machineDataList != nullptr; }
    //! The owned list; null when there is none.
    NEMachineDataList *machineDataList() const { return m_machineDataList.get(); }
    //! Replaces the list by a copy of the given one (none for null).
    void setMachineDataList(const NEMachineDataList *machineDataList);

    // Configuration
    //! The shared (working) configuration.
    const FW_Configuration &configuration() const { return m_configuration; }
    //! The same, writable.
    FW_Configuration &configuration() { return m_configuration; }
    //! Replaces the shared configuration.
    void setConfiguration(const FW_Configuration &configuration) { m_configuration = configuration; }
    //! The factory configuration.
    const FW_Configuration &factoryConfiguration() const { return m_factoryConfiguration; }
    //! The same, writable.
    FW_Configuration &factoryConfiguration() { return m_factoryConfiguration; }
    //! Replaces the factory configuration.
    void setFactoryConfiguration(const FW_Configuration &configuration) { m_factoryConfiguration = configuration; }
    //! The calibration profiles.
    const FW_CalibrationProfiles &calibrationProfiles() const { return m_calibrationProfiles; }
    //! The same, writable.
    FW_CalibrationProfiles &calibrationProfiles() { return m_calibrationProfiles; }
    //! Replaces the profiles.
    void setCalibrationProfiles(const FW_CalibrationProfiles &profiles) { m_calibrationProfiles = profiles; }
    //! The driver's settings.
    const DriverSettings &driverSettings() const { return m_driverSettings; }
    //! Replaces the settings.
    void setDriverSettings(const DriverSettings &settings) { m_driverSettings = settings; }
    //! The driver's version; null when unknown.
    const QVersionNumber &driverVersion() const { return m_driverVersion; }
    //! Sets the version.
    void setDriverVersion(const QVersionNumber &version) { m_driverVersion = version; }
    //! The configured machine of that MachineID; null when there is none.
    const FW_Machine *machine(const MachineID &machineID) const;

    // Status lists: the latest and the one before
    //! The current list becomes the previous one, then `list` is stored.
    void setDispenserStatusList(const QList<DispenserStatus> &list);
    //! The same for the mixers.
    void setMixerStatusList(const QList<MixerStatus> &list);
    //! The latest dispenser list.
    const QList<DispenserStatus> &dispenserStatusList() const { return m_dispenserStatusList; }
    //! The same, writable.
    QList<DispenserStatus> &dispenserStatusList() { return m_dispenserStatusList; }
    //! The dispenser list before it.
    const QList<DispenserStatus> &dispenserStatusList_OLD() const { return m_dispenserStatusListOld; }
    //! The same, writable.
    QList<DispenserStatus> &dispenserStatusList_OLD() { return m_dispenserStatusListOld; }
    //! The latest mixer list.
    const QList<MixerStatus> &mixerStatusList() const { return m_mixerStatusList; }
    //! The same, writable.
    QList<MixerStatus> &mixerStatusList() { return m_mixerStatusList; }
    //! The mixer list before it.
    const QList<MixerStatus> &mixerStatusList_OLD() const { return m_mixerStatusListOld; }
    //! The same, writable.
    QList<MixerStatus> &mixerStatusList_OLD() { return m_mixerStatusListOld; }
    //! Removes one entry of the current list; false for an index out of range.
    bool removeDispenserStatusAt(int index);
    //! The same for the mixer list.
    bool removeMixerStatusAt(int index);

    //! Numbers of the active machines of a status list, in list order.
    QList<int> getActiveDispenserIDs() const { return _getActiveDispenserIDs(m_dispenserStatusList); }
    //! The same for the previous dispenser list.
    QList<int> getActiveDispenserIDs_OLD() const { return _getActiveDispenserIDs(m_dispenserStatusListOld); }
    //! The same for the mixer list.
    QList<int> getActiveMixerIDs() const { return _getActiveMixerIDs(m_mixerStatusList); }
    //! The same for the previous mixer list.
    QList<int> getActiveMixerIDs_OLD() const { return _getActiveMixerIDs(m_mixerStatusListOld); }
    //! The numbers of the active dispensers of a list.
    static QList<int> _getActiveDispenserIDs(const QList<DispenserStatus> &list);
    //! The numbers of the active mixers of a list.
    static QList<int> _getActiveMixerIDs(const QList<MixerStatus> &list);

    //! For a set of machine-type bits: {number, 1} of every active dispenser
    //! (bit 1), then {number, 4} of every active mixer (bit 4).
    QList<MachineID> getActiveMachineIDs(int machineTypes) const;
    //! For a set of machine-type bits: new clones of the current dispenser
    //! statuses (bit 1), then of the mixer statuses (bit 4). The caller
    //! deletes them.
    QList<MachineStatus *> machineStatusList(int machineTypes) const;

private:
    int m_driverID = 0;
    std::unique_ptr<NEMachineDataList> m_machineDataList;
    QList<DispenserStatus> m_dispenserStatusList;
    QList<DispenserStatus> m_dispenserStatusListOld;
    QList<MixerStatus> m_mixerStatusList;
    QList<MixerStatus> m_mixerStatusListOld;
    FW_Configuration m_configuration;
    FW_Configuration m_factoryConfiguration;
    FW_CalibrationProfiles m_calibrationProfiles;
    DriverSettings m_driverSettings;
    QVersionNumber m_driverVersion;
};

#endif // NEDRIVERDATA_H
