#ifndef PROTOCOMMANDRECORD_H
#define PROTOCOMMANDRECORD_H

#include "AXOCommGlobal.h"

#include <QtCore/QString>

//! One row of the command catalogue: what a command is called, the firmware
//! command behind it and how the library and the driver treat it. The fields
//! are in the order of the catalogue's rows; docs/catalogue.md explains each
//! and the rules by which they were assigned.
class AXOCOMM_EXPORT ProtoCommandRecord
{
public:
    //! What a command is about (first integer).
    enum CommandGroup {
        StatusGroup = 1,        //!< reads of machine state
        ProcessGroup = 2,       //!< machine operations: movements, reset, stirring, cleaning, mixing
        DispensingGroup = 3,    //!< dispensing processes and formula queries
        ErrorsGroup = 4,        //!< the machine's error list
        ConfigurationGroup = 5, //!< machine configuration and calibration data
        FirmwareGroup = 6,      //!< boards, firmware versions and updates, board data
        SessionGroup = 7,       //!< the login handshake
        DriverGroup = 8,        //!< the driver itself: information, settings, machine lists, links
        MachineDataGroup = 9,   //!< circuits, canisters, colorants, devices and levels of a dispenser
        ScaleGroup = 10,        //!< scales and gravimetric dispensing
        StatisticsGroup = 11,   //!< statistics queries and recorded events
        FilesGroup = 12,        //!< database, log and resource files, imports
        ServiceGroup = 13,      //!< tests and diagnostics
        SimulationGroup = 14    //!< settings of the driver's machine simulation
    };

    //! Bits of machineTypes (second integer); the same bits as a MachineID's type.
    enum MachineTypeBits {
        DriverOnly = 0, //!< concerns the driver, no kind of machine
        DispenserBit = 1, //!< dispensers
        ScaleBit = 2, //!< scales
        MixerBit = 4 //!< mixers
    };

    //! What the driver reports while the command runs (third integer).
    enum ProgressKind {
        ProgressNone = 0,    //!< answered in one call
        ProgressTicket = 1,  //!< percentage and time left in the ticket status
        ProgressFormula = 2  //!< as ProgressTicket, and per-circuit formula progress
    };

    //! What the result of the command holds (fourth integer).
    enum AnswerKind {
        AnswerAck = 0,    //!< only the outcome (return code, errors)
        AnswerRecord = 1, //!< one data record
        AnswerList = 2,   //!< a list of records
        AnswerFile = 3    //!< file contents
    };

    //! Configuration class (fifth integer).
    enum ConfigurationClass {
        NotConfiguration = 0, //!< no configuration command
        StrictConfiguration = 1, //!< stores a configuration; always called synchronously
        LooseConfiguration = 2   //!< reads or changes configuration or calibration data
    };

    //! Scale class (sixth integer).
    enum ScaleClass {
        NotScale = 0, //!< no scale command
        StrictScale = 1, //!< needs the scale itself; served by the scale commands thread
        LooseScale = 2   //!< scale or gravimetric data, served like any other command
    };

    //! Which session the command travels in (seventh integer).
    enum SessionKind {
        DriverLevel = 0,      //!< addressed to the driver; sent without a session
        MachineSession = 1,   //!< addressed to a machine; sent in that machine's session
        SessionHandshake = 2  //!< opens or closes a session; carries what it needs itself
    };

    //! Who may run the command (last integer).
    enum AccessLevel {
        OperatorAccess = 1, //!< every session
        ServiceAccess = 2, //!< service and factory sessions
        FactoryAccess = 3 //!< factory sessions only
    };

    int identifier = -1; //!< catalogue number; -1 for an invalid record
    QString name; //!< command name as the driver knows it, e.g. "LOGIN"
    QString firmwareCode;   //!< four hexadecimal digits, "00" for simulation commands, or empty
    QString shortCode;      //!< two characters of the serial status protocol, or empty
    int group = 0;          //!< CommandGroup
    int machineTypes = DriverOnly; //!< MachineTypeBits the command concerns
    int progressKind = ProgressNone; //!< ProgressKind
    int answerKind = AnswerAck; //!< AnswerKind
    bool checkBusy = false;          //!< refused while the machine is busy
    bool trackExecutionTime = false; //!< a long process: called asynchronously and followed by ticket
    int configurationClass = NotConfiguration; //!< ConfigurationClass
    int scaleClass = NotScale; //!< ScaleClass
    bool dispensing = false;         //!< colorant leaves the canisters
    int timeLimit = 0;               //!< milliseconds for one synchronous call; 0: none
    bool highPriority = false;       //!< overtakes the machine's running process
    bool notifyChanged = false;      //!< the driver can long-poll it
    int sessionKind = DriverLevel; //!< SessionKind
    bool firmwareUpdate = false;     //!< replaces a board's firmware
    bool simulationOnly = false;     //!< accepted only by a driver that simulates its machines
    int accessLevel = OperatorAccess; //!< AccessLevel

    //! Whether the record has an identifier and a name.
    bool isValid() const { return identifier >= 0 && !name.isEmpty(); }
    //! The command needs a machine session (it is addressed to a machine).
    bool addressesMachine() const { return sessionKind == MachineSession; }
    //! A strict configuration command; with strict false, any configuration class.
    bool isConfiguration(bool strict) const;
    //! A strict scale command; with strict false, any scale class.
    bool isScale(bool strict) const;

    //! "Status", "Process", ...; empty for an unknown group.
    static QString groupName(int group);
};

#endif // PROTOCOMMANDRECORD_H
