#ifndef SIMCONFIGSTORE_H
#define SIMCONFIGSTORE_H

#include "DriverSettings.h"
#include "FW_CalibrationProfiles.h"
#include "FW_Configuration.h"
#include "MachineID.h"
#include "ProtocolCommandInfo.h"
#include "XmlRpcValue.h"

#include <QtCore/QList>
#include <QtCore/QMap>

class SimScenario;

//! The configuration data the simulated driver hands out, as the scenario
//! gives it: the working and the factory machine configuration, the
//! calibration profiles (default and custom), the driver settings and the
//! commands each machine supports. Results are written with the framework's
//! own value conversions, so the library's answer classes (GetConfigAnswer,
//! GetCalibrationProfilesAnswer, GetDriverSettingsAnswer,
//! GetCommandListAnswer) read back exactly what is stored.
//!
//! Nothing changes after construction, so any thread may read it.
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
    //! GET_CMD_LIST of a machine.
    XmlRpc::XmlRpcValue commandListResult(const MachineID &machine) const;

private:
    FW_Configuration m_working;
    FW_Configuration m_factory;
    FW_CalibrationProfiles m_profiles;
    DriverSettings m_settings;
    QMap<MachineID, QList<ProtocolCommandInfo>> m_commands;
};

#endif // SIMCONFIGSTORE_H
