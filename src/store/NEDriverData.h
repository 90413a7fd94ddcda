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
    NEDriverData(const NEDriverData &other);
    NEDriverData &operator=(const NEDriverData &other);
    ~NEDriverData();

    //! Deep copy of every field.
    void copy(const NEDriverData &other);

    //! Driver ID, machine lists (both absent or both equal), settings, both
    //! configurations, calibration profiles and version; the status lists
    //! are not compared.
    bool operator==(const NEDriverData &other) const;
    bool operator!=(const NEDriverData &other) const { return !(*this == other); }

    //! Driver ID 0, no machine list, empty status lists, cleared
    //! configurations, default calibration profiles and settings, null version.
    void setDefaults();

    int driverID() const { return m_driverID; }
    void setDriverID(int driverID) { m_driverID = driverID; }

    // Machine records
    bool hasMachineDataList() const { return m_machineDataList != nullptr; }
    //! The owned list; null when there is none.
    NEMachineDataList *machineDataList() const { return m_machineDataList.get(); }
    //! Replaces the list by a copy of the given one (none for null).
    void setMachineDataList(const NEMachineDataList *machineDataList);

    // Configuration
    const FW_Configuration &configuration() const { return m_configuration; }
    FW_Configuration &configuration() { return m_configuration; }
    void setConfiguration(const FW_Configuration &configuration) { m_configuration = configuration; }
    const FW_Configuration &factoryConfiguration() const { return m_factoryConfiguration; }
    FW_Configuration &factoryConfiguration() { return m_factoryConfiguration; }
    void setFactoryConfiguration(const FW_Configuration &configuration) { m_factoryConfiguration = configuration; }
    const FW_CalibrationProfiles &calibrationProfiles() const { return m_calibrationProfiles; }
    FW_CalibrationProfiles &calibrationProfiles() { return m_calibrationProfiles; }
    void setCalibrationProfiles(const FW_CalibrationProfiles &profiles) { m_calibrationProfiles = profiles; }
    const DriverSettings &driverSettings() const { return m_driverSettings; }
    void setDriverSettings(const DriverSettings &settings) { m_driverSettings = settings; }
    const QVersionNumber &driverVersion() const { return m_driverVersion; }
    void setDriverVersion(const QVersionNumber &version) { m_driverVersion = version; }
    //! The configured machine of that MachineID; null when there is none.
    const FW_Machine *machine(const MachineID &machineID) const;

    // Status lists: the latest and the one before
    //! The current list becomes the previous one, then `list` is stored.
    void setDispenserStatusList(const QList<DispenserStatus> &list);
    void setMixerStatusList(const QList<MixerStatus> &list);
    const QList<DispenserStatus> &dispenserStatusList() const { return m_dispenserStatusList; }
    QList<DispenserStatus> &dispenserStatusList() { return m_dispenserStatusList; }
    const QList<DispenserStatus> &dispenserStatusList_OLD() const { return m_dispenserStatusListOld; }
    QList<DispenserStatus> &dispenserStatusList_OLD() { return m_dispenserStatusListOld; }
    const QList<MixerStatus> &mixerStatusList() const { return m_mixerStatusList; }
    QList<MixerStatus> &mixerStatusList() { return m_mixerStatusList; }
    const QList<MixerStatus> &mixerStatusList_OLD() const { return m_mixerStatusListOld; }
    QList<MixerStatus> &mixerStatusList_OLD() { return m_mixerStatusListOld; }
    //! Removes one entry of the current list; false for an index out of range.
    bool removeDispenserStatusAt(int index);
    bool removeMixerStatusAt(int index);

    //! Numbers of the active machines of a status list, in list order.
    QList<int> getActiveDispenserIDs() const { return _getActiveDispenserIDs(m_dispenserStatusList); }
    QList<int> getActiveDispenserIDs_OLD() const { return _getActiveDispenserIDs(m_dispenserStatusListOld); }
    QList<int> getActiveMixerIDs() const { return _getActiveMixerIDs(m_mixerStatusList); }
    QList<int> getActiveMixerIDs_OLD() const { return _getActiveMixerIDs(m_mixerStatusListOld); }
    static QList<int> _getActiveDispenserIDs(const QList<DispenserStatus> &list);
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
