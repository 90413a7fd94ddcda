#ifndef SIMCOMMANDGROUP_H
#define SIMCOMMANDGROUP_H

#include "MachineID.h"
#include "XmlRpcValue.h"

#include <QtCore/QString>
#include <QtCore/QStringList>

class SimDriverModel;

//! One command as the protocol handler passes it on, after the call shape,
//! catalogue, call kind, session, machine kind and access level were checked.
//! A driver-level command has no machine (number 0, type 0).
struct SimCall
{
    SimDriverModel &model;
    int identifier;   //!< catalogue row (ProtoCommandList::CommandListValue)
    QString command;  //!< catalogue name
    QString session;  //!< the session the command travelled in (may be empty)
    MachineID machine;
    XmlRpc::XmlRpcValue params; //!< always an array
    int callType;     //!< 1 sync, 2 async, 4 notify-changed
};

//! A group of commands the simulator answers beyond its core (sessions,
//! statuses, processes). serve() answers the call and returns true when the
//! command is one of the group's; names() lists the group's commands.
struct SimCommandGroup
{
    QStringList (*names)();
    bool (*serve)(const SimCall &call, XmlRpc::XmlRpcValue *result);
};

//! The groups, in the order they are asked.
const QList<SimCommandGroup> &simCommandGroups();

// Each group lives in a file of its own.
QStringList simSensorCommandNames();
bool simServeSensorCommand(const SimCall &call, XmlRpc::XmlRpcValue *result);
QStringList simStatsCommandNames();
bool simServeStatsCommand(const SimCall &call, XmlRpc::XmlRpcValue *result);
QStringList simDataCommandNames();
bool simServeDataCommand(const SimCall &call, XmlRpc::XmlRpcValue *result);
QStringList simCalibrationCommandNames();
bool simServeCalibrationCommand(const SimCall &call, XmlRpc::XmlRpcValue *result);

#endif // SIMCOMMANDGROUP_H
