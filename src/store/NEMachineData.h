#ifndef NEMACHINEDATA_H
#define NEMACHINEDATA_H

#include "AXOCommGlobal.h"
#include "FW_ErrorList.h"
#include "FW_Program.h"
#include "MachineDriverStatusAnswer.h"
#include "MachineID.h"
#include "ProtocolCommandInfo.h"

#include <QtCore/QList>

#include <memory>

//! What the library knows about one machine of a driver: its errors and
//! error history, the commands the driver supports for it, its firmware
//! program and boot-loader mode, and the current and previous driver status
//! answers. NEDispenserData and NEMixerData add what is particular to their
//! kind; clone() copies a record of any kind.
//!
//! The record does no locking: the data store guards it. Pointers handed out
//! by the status getters point into the record and die with the next update;
//! the *Copy() getters return independent clones for use outside the lock.
class AXOCOMM_EXPORT NEMachineData
{
public:
    //! A record of machine {0, 0}, empty.
    NEMachineData();
    //! An empty record of that machine.
    explicit NEMachineData(const MachineID &machineID);
    //! A record of that machine with those errors.
    NEMachineData(const MachineID &machineID, const FW_ErrorList &errors);
    //! A deep copy (copy()).
    NEMachineData(const NEMachineData &other);
    //! A deep copy (copy()).
    NEMachineData &operator=(const NEMachineData &other);
    //! Frees the status answers.
    virtual ~NEMachineData();

    //! A new deep copy of this record, of its own kind; the caller owns it.
    virtual NEMachineData *clone() const;

    //! A new record for a machine: type bit 1 a dispenser record {number, 1},
    //! else bit 4 a mixer record {number, 4}, else none. The caller owns it.
    static NEMachineData *buildMachineData(const MachineID &machineID);

    //! Copies every field of the base record, cloning both status answers.
    void copy(const NEMachineData &other);

    //! Machine, both error lists, boot-loader flag, firmware program, the
    //! command lists as sets of equal length, and the two status answers.
    bool operator==(const NEMachineData &other) const;
    //! Not operator==().
    bool operator!=(const NEMachineData &other) const { return !(*this == other); }

    //! The machine.
    MachineID machineID() const { return m_machineID; }
    //! Sets the machine.
    void setMachineID(const MachineID &machineID) { m_machineID = machineID; }

    //! Machine {0, 0}, no errors, no history, no commands, boot loader off,
    //! no status answers. The firmware program is kept.
    void setMachineDefaults();

    // Errors
    //! The current errors, owned by the record.
    const FW_ErrorList *machineErrors() const { return &m_errors; }
    //! The same, writable.
    FW_ErrorList *machineErrors() { return &m_errors; }
    //! Every error recorded, owned by the record.
    const FW_ErrorList *machineErrorsHistory() const { return &m_errorsHistory; }
    //! The same, writable.
    FW_ErrorList *machineErrorsHistory() { return &m_errorsHistory; }
    //! Replaces the current errors.
    void setMachineErrors(const FW_ErrorList &errors) { m_errors = errors; }
    //! Replaces the history.
    void setMachineErrorsHistory(const FW_ErrorList &errors) { m_errorsHistory = errors; }
    //! Adds to the current errors.
    void appendMachineErrors(const FW_ErrorList &errors) { m_errors.append(errors); }
    //! Adds to the history.
    void appendMachineErrorsHistory(const FW_ErrorList &errors) { m_errorsHistory.append(errors); }

    // Supported commands and firmware
    //! The commands the driver supports for the machine.
    const QList<ProtocolCommandInfo> &currentCommandList() const { return m_commandList; }
    //! Replaces them.
    void setCommandList(const QList<ProtocolCommandInfo> &commands) { m_commandList = commands; }
    //! The firmware program.
    const FW_Program &fwProgram() const { return m_fwProgram; }
    //! Sets the firmware program.
    void setFwProgram(const FW_Program &program) { m_fwProgram = program; }
    //! The machine runs its boot loader.
    bool isBootLoaderActive() const { return m_bootLoaderActive; }
    //! Sets that flag.
    void setBootLoaderActive(bool active) { m_bootLoaderActive = active; }

    // Driver status answers
    //! Stores a clone of the answer (none for null) as the current status;
    //! a current status that existed becomes the previous one.
    void setCurrentMachineStatus(const MachineDriverStatusAnswer *status);
    //! Replaces the previous status by a clone of the answer, or none.
    void setPreviousMachineStatus(const MachineDriverStatusAnswer *status);
    //! The current status, owned by the record; null when none.
    const MachineDriverStatusAnswer *currentMachineDriverStatus() const { return m_currentStatus.get(); }
    //! The previous status, owned by the record; null when none.
    const MachineDriverStatusAnswer *previousMachineDriverStatus() const { return m_previousStatus.get(); }
    //! A copy of the current status; null when none.
    std::unique_ptr<MachineDriverStatusAnswer> currentMachineDriverStatusCopy() const;
    //! A copy of the previous status; null when none.
    std::unique_ptr<MachineDriverStatusAnswer> previousMachineDriverStatusCopy() const;
    //! A current status is stored.
    bool hasMachineStatus() const { return m_currentStatus != nullptr; }
    //! A previous status is stored.
    bool hasPreviousMachineStatus() const { return m_previousStatus != nullptr; }

protected:
    //! A clone of an answer of any class, as the declared class; null for null.
    template<typename T>
    static std::unique_ptr<T> cloneAnswer(const T *answer)
    {
        // clone() of a T (or of a class derived from it) yields a T.
        return std::unique_ptr<T>(answer ? static_cast<T *>(answer->clone()) : nullptr);
    }

private:
    MachineID m_machineID;
    FW_ErrorList m_errors;
    FW_ErrorList m_errorsHistory;
    QList<ProtocolCommandInfo> m_commandList;
    bool m_bootLoaderActive = false;
    FW_Program m_fwProgram;
    std::unique_ptr<MachineDriverStatusAnswer> m_currentStatus;
    std::unique_ptr<MachineDriverStatusAnswer> m_previousStatus;
};

#endif // NEMACHINEDATA_H
