#ifndef SIMCONFIGSTORE_H
#define SIMCONFIGSTORE_H

#include "BasicCalibrationData.h"
#include "CalibrationData.h"
#include "DriverSettings.h"
#include "FW_CalibrationProfiles.h"
#include "FW_Configuration.h"
#include "FW_Dispenser.h"
#include "MachineID.h"
#include "ProtocolCommandInfo.h"
#include "XmlRpcValue.h"

#include <QtCore/QList>
#include <QtCore/QMap>
#include <QtCore/QStringList>

#include <mutex>

class SimScenario;

//! The configuration data the simulated driver hands out, starting as the
//! scenario gives it: the working and the factory machine configuration, the
//! calibration profiles (default and custom), the driver settings, the
//! commands each machine supports and each dispenser's calibration and
//! recalibration points. Results are written with the framework's
//! own value conversions, so the library's answer classes (GetConfigAnswer,
//! GetCalibrationProfilesAnswer, GetDriverSettingsAnswer,
//! GetCommandListAnswer) read back exactly what is stored.
//!
//! The profiles, the settings and the calibration points change when a
//! client saves them and stay changed for the life of the store; every
//! method is thread-safe (one mutex, never held while calling out).
class SimConfigStore
{
public:
    //! The configuration types of GET_CONFIG's parameter.
    enum ConfigurationType { WorkingConfiguration = 0, FactoryConfiguration = 1 };

    explicit SimConfigStore(const SimScenario &scenario);

    //! The factory configuration: the scenario's machines as they left the
    //! factory, named after their model, revision 0, saved by nobody.
    static FW_Configuration factoryOf(const FW_Configuration &working);
    //! What GET_CMD_LIST reports for a machine whose scenario lists none:
    //! every catalogue command of the machine's kind that the simulator
    //! implements, version 1.
    static QList<ProtocolCommandInfo> implementedCommands(int machineType);

    const FW_Configuration &configuration(int type) const;
    //! GET_CONFIG with its parameters: none or [type]; another type is
    //! refused (rc 5, TE10004).
    XmlRpc::XmlRpcValue configurationResult(const XmlRpc::XmlRpcValue &params) const;
    //! The same with the working configuration as it is now.
    XmlRpc::XmlRpcValue configurationResult(const XmlRpc::XmlRpcValue &params, const FW_Configuration &working,
                                            const FW_Configuration &factory) const;
    //! GET_CALIB_PROFILES.
    XmlRpc::XmlRpcValue calibrationProfilesResult() const;
    //! GET_DRIVER_SETTINGS.
    XmlRpc::XmlRpcValue driverSettingsResult() const;
    //! GET_CMD_LIST of a machine; a machine the scenario did not list (a
    //! clone) supports what the simulator implements for its kind.
    XmlRpc::XmlRpcValue commandListResult(const MachineID &machine) const;

    //! SET_CALIB_PROFILES [profiles, customChanged, defaultChanged]: the
    //! custom and/or the default profiles are replaced by the given ones.
    XmlRpc::XmlRpcValue saveCalibrationProfiles(const XmlRpc::XmlRpcValue &params);
    //! SET_DRIVER_SETTINGS [struct]: the members given replace the current
    //! ones; an unknown member or a malformed value is refused.
    XmlRpc::XmlRpcValue saveDriverSettings(const XmlRpc::XmlRpcValue &params);
    DriverSettings driverSettings() const;

    //! The points of the dispenser: of one circuit, or all for 0.
    QList<CalibrationData> calibrationList(int dispenser, int circuit) const;
    QList<BasicCalibrationData> recalibrationList(int dispenser, int circuit) const;
    //! Replaces the points of the circuits the list names.
    void setCalibrationList(int dispenser, const QList<CalibrationData> &points);
    void setRecalibrationList(int dispenser, const QList<BasicCalibrationData> &points);
    //! The dispenser's calibration points as QR code texts of at most
    //! capacity characters each: "AXOCAL/<k>/<n>/" and a chunk of the text
    //! "D<dispenser>;" followed by "<circuit>,<volume>,<factor>,<steps>,<weight>;"
    //! per point (numbers with three decimals).
    QStringList qrCodes(int dispenser, int capacity) const;

    //! Three points per circuit (0.5, 5 and 50 cc, factor 1, 1000 steps and
    //! 1.3 g per cc) and two recalibration points (1 and 10 cc, factor 1).
    static QList<CalibrationData> defaultCalibrationList(const FW_Dispenser &dispenser);
    static QList<BasicCalibrationData> defaultRecalibrationList(const FW_Dispenser &dispenser);

private:
    mutable std::mutex m_mutex; // guards the profiles, settings and points
    FW_Configuration m_working;
    FW_Configuration m_factory;
    FW_CalibrationProfiles m_profiles;
    DriverSettings m_settings;
    QMap<MachineID, QList<ProtocolCommandInfo>> m_commands;
    QMap<int, QList<CalibrationData>> m_calibration;
    QMap<int, QList<BasicCalibrationData>> m_recalibration;
};

#endif // SIMCONFIGSTORE_H
