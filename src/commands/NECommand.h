#ifndef NECOMMAND_H
#define NECOMMAND_H

#include "AXOCommGlobal.h"
#include "CmdStatus.h"
#include "FW_ErrorList.h"
#include "FunctionCallType.h"
#include "MachineID.h"
#include "NEDriverParams.h"
#include "ProtoAnswer.h"
#include "ProtoCommand.h"

#include <QtCore/QList>
#include <QtCore/QMetaObject>
#include <QtCore/QMutex>
#include <QtCore/QObject>
#include <QtCore/QVariant>
#include <QtCore/QWaitCondition>

#include <functional>
#include <memory>

class Formula;
class FormulaProgress;
class FW_Machine;
class NCCommand;
class XmlRpcAnswer;

//! One request for one driver, optionally addressed to one machine, with
//! everything that happens to it until it is finished: its protocol
//! command, parameters, execution status, answer, errors, formula progress
//! and life-cycle state.
//!
//! A command is a QObject and at the same time a copyable value that
//! travels by value in queued signals ("NECommand" meta-type). It owns
//! clones of everything handed to it. The host thread, a queue worker and a
//! driver thread use it at the same time; its own mutexes guard it.
class AXOCOMM_EXPORT NECommand : public QObject
{
    Q_OBJECT

public:
    //! Where the command is in its life: idle, enqueued, sent, then executed
    //! (the library is done with it) or aborted (interrupted before it ran).
    enum NECmdState { NECmdIdle = 0, NECmdEnqueued = 1, NECmdSent = 2, NECmdExecuted = 3, NECmdAborted = 4 };
    Q_ENUM(NECmdState)

    //! An empty command: no driver, machine or protocol command.
    NECommand();
    //! By name; a dispensing command (TINT and its kin) also asks the driver,
    //! blocking, whether the dispenser reports formula progress; throws FW_Exception when the catalogue does not know it or
    //! the protocol command cannot be built.
    NECommand(int driverID, const MachineID &machineID, const QString &name);
    //! By name with one parameter; throws FW_Exception as above.
    NECommand(int driverID, const MachineID &machineID, const QString &name, const QVariant &parameter);
    //! By name with its parameters; throws FW_Exception as above.
    NECommand(int driverID, const MachineID &machineID, const QString &name, const QList<QVariant> &parameters);
    //! By name with its parameters and a copy of the machine configuration
    //! it works on; throws FW_Exception as above.
    NECommand(int driverID, const MachineID &machineID, const QString &name, const QList<QVariant> &parameters,
        const FW_Machine *machine);
    //! Adopts a copy of a ready protocol command.
    NECommand(int driverID, const MachineID &machineID, const ProtoCommand *protoCommand);
    //! A notify-changed query.
    NECommand(int driverID, const MachineID &machineID, const NCCommand *ncCommand);
    //! A deep copy of the content, status, errors and state; not of the
    //! signal connections nor of a driver thread's hold.
    NECommand(const NECommand &other);
    //! A deep copy, as the copy constructor.
    NECommand &operator=(const NECommand &other);
    ~NECommand() override;

    //! Copies the other command's content, status, errors and state over this one's.
    void copy(const NECommand &other);

    // Identity and content.
    //! The catalogue name, e.g. "TINT"; empty without a protocol command.
    QString command() const;
    //! The protocol command's method text; a default one without a protocol command.
    QString commandString() const;
    //! The protocol command's action text; a default one without a protocol command.
    ProtoCommand::TString commandActionString() const;
    //! "Command NAME", for log lines.
    operator QString() const;
    //! The driver the command goes to.
    int driverID() const { return m_driverID; }
    //! Readdresses the command to another driver.
    void setDriverID(int driverID) { m_driverID = driverID; }
    //! The machine the command is for; {0, 1} for a driver-level command.
    MachineID machineID() const { return m_machineID; }
    //! Readdresses the command to another machine.
    void setMachineID(const MachineID &machineID) { m_machineID = machineID; }
    //! The machine number when the command is for a dispenser, else -1.
    int targetDispID() const;
    //! Addresses the command to dispenser {dispID, 1}.
    void setTargetDispID(int dispID) { m_machineID = MachineID(dispID, MachineID::Dispenser); }
    //! A copy of the machine configuration the command works on; null when none.
    std::unique_ptr<FW_Machine> machine() const;
    //! Keeps a copy of the machine configuration; null is ignored.
    void setMachine(const FW_Machine *machine);
    //! A copy of the protocol command; null when none.
    std::unique_ptr<ProtoCommand> protoCommand() const;
    //! Keeps a copy of the protocol command.
    void setProtoCommand(const ProtoCommand *protoCommand);
    //! A copy of the notify-changed query; null when none.
    std::unique_ptr<NCCommand> getNCCommand() const;
    //! Keeps a copy of the notify-changed query.
    void setNC_Command(const NCCommand *ncCommand);
    //! Whether the command carries a protocol command.
    bool hasValidProtoCommand() const;
    //! Whether the command carries a notify-changed query.
    bool hasValidNC_Command() const;
    //! The parameters it was built with.
    QList<QVariant> parameters() const { return m_parameters; }
    //! Replaces the parameters (the protocol command is not rebuilt).
    void setParameters(const QList<QVariant> &parameters) { m_parameters = parameters; }
    //! Appends a parameter (the protocol command is not rebuilt).
    void addParameter(const QVariant &parameter) { m_parameters.append(parameter); }
    //! The number of parameters.
    int numOfParameters() const { return m_parameters.size(); }
    //! Whether it has parameters.
    bool hasParameters() const { return !m_parameters.isEmpty(); }
    //! How the driver is called: one call, by ticket, or held until a change.
    FunctionCallType driverCallType() const { return m_driverCallType; }
    //! Sets how the driver is called.
    void setDriverCallType(FunctionCallType type) { m_driverCallType = type; }
    //! One call whose answer is the result.
    bool isSyncCommandCall() const { return m_driverCallType == SyncCall; }
    //! A ticket-followed command (a long process).
    bool isAsyncCommandCall() const { return m_driverCallType == AsyncCall; }
    //! A query the driver holds until its answer changes.
    bool isNotifyChangedCommandCall() const { return m_driverCallType == NotifyChangedCall; }
    //! Whether it was last executed blocking (set by the execute calls).
    bool isBlockingCall() const { return m_blockingCall; }
    //! Set by the execute calls.
    void setBlockingCall(bool blocking) { m_blockingCall = blocking; }
    //! Whether its execution emits no command signals.
    bool silentExecution() const { return m_silentExecution; }
    //! With true, executing it emits no enqueued, sent, progress or executed signal.
    void setSilentExecution(bool silent) { m_silentExecution = silent; }
    //! Whether a polling thread runs it.
    bool pollingExecution() const { return m_pollingExecution; }
    //! Marks the command as a polling thread's.
    void setPollingExecution(bool polling) { m_pollingExecution = polling; }
    //! Whether the dispenser reports this dispensing's formula progress (decided at construction).
    bool formulaProgressSupported() const { return m_formulaProgressSupported; }

    // Execution status.
    //! A copy, merged with the formula progress (the larger time left, the
    //! smaller percentage).
    CmdStatus executionStatus() const;
    //! Replaces the status (the library's threads do; a host has no need to).
    void setExecutionStatus(const CmdStatus &status);
    //! The status a ticket query answered; null is ignored.
    void setExecutionStatus(const class GetCommandStatusAnswer *answer);
    //! The status that the answer's return code means; null is ignored.
    void setExecutionStatus(const XmlRpcAnswer *answer);
    //! Sets the status code only.
    void setExecutionStatus(CmdStatus::CommandStatusList status);
    //! Done for RC_OK, refused, interrupted, else execution errors.
    void setExecutionStatus(ProtoAnswer::ProtocolRetCode rc);
    //! Sent to the driver: in progress or ended.
    bool startedExecution() const { return status() < CmdStatus::CMD_WAITING; }
    //! Running on the driver.
    bool isInProgress() const { return status() == CmdStatus::CMD_IN_PROGRESS; }
    //! Ended successfully.
    bool isDoneSuccessfully() const { return status() == CmdStatus::CMD_DONE; }
    //! Ended, successfully or not.
    bool isExecuted() const { return status() <= CmdStatus::CMD_DONE; }
    //! Ended with execution errors.
    bool hasExecutionErrors() const { return status() == CmdStatus::CMD_EXEC_ERRORS; }
    //! Refused as a whole.
    bool hasBeenRefused() const { return status() == CmdStatus::CMD_REFUSED; }
    //! Interrupted, by the driver or by the library.
    bool hasBeenInterrupted() const { return status() == CmdStatus::CMD_INTERRUPTED; }
    //! Execution errors, refused or interrupted.
    bool isFailed() const;

    // Hand-over between the queue worker and the driver thread. A command
    // taken from its queue is held by the driver thread until the thread
    // releases it; the thread never touches it after the release, and the
    // worker treats it as finished only once it is final and released.
    //! What the queue worker waits on, read together.
    struct StatusSnapshot
    {
        int status = CmdStatus::CMD_CREATED; //!< the status code
        bool held = false;                   //!< a driver thread holds the command
        quint64 generation = 0;              //!< counts the status changes
    };
    //! The status, the hold and the generation, read together.
    StatusSnapshot statusSnapshot() const;
    //! Waits at most ms for a status change after generation seen; returns
    //! the snapshot then.
    StatusSnapshot waitForStatusChange(quint64 seen, unsigned long ms) const;
    //! Called under the queue lock as a driver thread takes the command.
    void markTakenByThread();

    //! What finishes a command nobody waits for (a non-blocking send): run
    //! once by whoever ends it (the driver thread's release, or the end of
    //! its queue), after that one's last touch.
    using CompletionHook = std::function<void()>;
    //! Installs the hook; false, installing nothing, when the command has
    //! already ended (final and not held): the caller finishes it itself.
    bool setCompletionHook(CompletionHook hook);
    //! Removes and returns the installed hook (empty when none).
    CompletionHook takeCompletionHook();
    //! The driver thread's last touch: a status that is not final yet becomes
    //! "interrupted", the hold ends and the waiting worker is woken.
    void releaseFromThread();

    // Answer.
    //! Hands the driver's result to the protocol command for decoding.
    bool setAnswer(const XmlRpc::XmlRpcValue &result, bool async, FW_DriverError *error);
    //! Hands a decoded answer to the protocol command; false without one.
    bool setProtoAnswer(const ProtoAnswer *answer);
    //! A copy of the decoded answer; null (and *ok false) when none.
    std::unique_ptr<ProtoAnswer> getProtoAnswer(bool *ok = nullptr) const;
    //! A copy of the answer when it is of that class (whatever the status); null otherwise.
    template<typename Answer>
    std::unique_ptr<Answer> answerAs() const
    {
        std::unique_ptr<ProtoAnswer> answer = getProtoAnswer();
        if (!dynamic_cast<Answer *>(answer.get()))
            return nullptr;
        return std::unique_ptr<Answer>(static_cast<Answer *>(answer.release()));
    }
    //! A copy of the answer as a result; null without a protocol command.
    std::unique_ptr<XmlRpcAnswer> getXmlRpcAnswer(bool *ok = nullptr) const;
    //! Forgets the answer.
    void clearProtoAnswer();
    //! The XML-RPC parameter of the call.
    XmlRpc::XmlRpcValue toXmlRpcValue(const QString &sessionID, bool *ok) const;

    // Errors.
    //! Adds an error record.
    void appendError(const FW_Error &error);
    //! Adds a copy of the record; null is ignored.
    void appendError(const FW_Error *error);
    //! Replaces the error records.
    void setErrors(const FW_ErrorList &errors);
    //! A copy of the error records, in the order they came.
    FW_ErrorList errors() const;
    //! Whether it has error records.
    bool hasErrors() const;
    //! Records and logs the failure, sets status -1; always false.
    bool setFailureExecution(const FW_DriverError &error);
    //! The same with several records.
    bool setFailureExecution(const FW_ErrorList &errors);

    // Timing, in ms.
    //! The time limit of one call to the driver, ms: 11 s for a
    //! ticket-followed command, else its estimate (or the catalogue's
    //! timeout) plus 10 s; 0 for none.
    qint64 callTimeout() const;
    //! The time limit of the whole command: its estimate plus 50 s; 0 (none)
    //! for dispensing, firmware updates and commands without an estimate.
    qint64 commandTimeout() const;
    //! How long the command should take on that machine; 0 when unknown.
    qint64 getCmdEstimatedExecutionTime(const FW_Machine *machine) const;
    //! Whether there is such an estimate.
    bool hasExecutionTimeEstimation(const FW_Machine *machine) const;

    // Classification by name.
    //! SAVE_CONFIG, SAVE_DISP_CONFIG or SAVE_MACHINE_CONFIG.
    bool isConfigurationCommand() const;
    //! A dispensing command: strictly TINT, TINT2 or PURGE, else any the catalogue counts as one.
    bool isErogationCommand(bool strict) const;
    //! UPDATE_FW or SEND_FW_PACKAGE.
    bool isFwUpdateCommand() const;
    //! A command a STOP must not cut short (configuration, database and activation commands).
    bool unstoppableCommand() const;
    //! A command the machine takes while busy, or a configuration command.
    bool quickCommandExecution() const;
    //! A command that goes to the priority queue and overtakes the running process.
    bool hasHighSchedulingPriority() const;
    //! A notify-changed query, a command without action text, or a polling thread's.
    bool ignoreStatusChange() const;

    // Formula progress.
    //! The formula of a TINT, TINT2 or PURGE; false for other commands.
    bool getErogationFormula(Formula &formula) const;
    //! A copy of the formula progress; an empty one when none.
    FormulaProgress formulaProgress() const;
    //! Replaces the formula progress.
    void setFormulaProgress(const FormulaProgress &progress);
    //! Forgets the formula progress.
    void clearFormulaProgress();
    //! Whether the command follows a formula progress.
    bool hasFormulaProgress() const;

    // State.
    //! The life-cycle state. Once NECmdExecuted or NECmdAborted the library
    //! no longer touches a command it was handed without copy.
    NECmdState cmdState() const;
    //! Sets the state (the library does). For a dispensing command with
    //! formula progress, "enqueued" starts following it (asking the driver,
    //! blocking, how it will run the formula) and a final state stops.
    void setCmdState(const NECmdState &state);

    //! Same name and driver and the same machine configuration; with full
    //! also the same formula progress and state.
    bool equalTo(const NECommand &other, bool full) const;
    //! equalTo(other, false).
    bool operator==(const NECommand &other) const { return equalTo(other, false); }
    //! Not equalTo(other, false).
    bool operator!=(const NECommand &other) const { return !equalTo(other, false); }

    //! How a command of that name is called on a driver of that type:
    //! the long processes by ticket, the rest in one call.
    static FunctionCallType driverCallType(const QString &name, int driverType);

    //! Starts following the store's signals that update the formula progress
    //! (in the threads that emit them); replaces an earlier following.
    void createConnections();

public slots:
    //! Applies a circuits answer (GET_ACTIVE_CIRCUITS) of its dispenser to the formula progress.
    void NECommandExecutedSlot(const NECommand &command);
    //! Applies its dispenser's status (the dispensing trigger) to the formula progress.
    void NEMachineDriverStatusChangedSlot(int driverID, const MachineID &machineID);

private:
    friend class NEQueueThread;
    //! The state alone, without the formula-progress bookkeeping.
    void setStateField(NECmdState state);
    //! With m_statusMutex held: a new status generation; waiters woken for
    //! progress, or when no driver thread holds the command.
    void publishStatusLocked(bool progress);
    void setDefaults();
    void freeOwned();
    int status() const;
    void finishConstruction(const MachineID &machineID);
    void disconnectFormulaSlots();

    std::unique_ptr<ProtoCommand> m_protoCommand;
    std::unique_ptr<NCCommand> m_ncCommand;
    bool m_blockingCall;
    FunctionCallType m_driverCallType;
    int m_driverID;
    MachineID m_machineID;
    CmdStatus m_executionStatus;
    QList<QVariant> m_parameters;
    std::unique_ptr<FW_Machine> m_machine;
    FW_ErrorList m_errors;
    bool m_silentExecution;
    bool m_pollingExecution;
    std::unique_ptr<FormulaProgress> m_formulaProgress;
    NECmdState m_cmdState;
    bool m_formulaProgressSupported;
    //! While a dispensing command follows its formula: the store's signals
    //! reach it directly in the threads that emit them, through this
    //! follower, which forgets the command before the command stops
    //! following or goes away (a call in flight keeps the follower alive).
    struct FormulaFollower
    {
        QMutex mutex;
        NECommand *command = nullptr; // guarded by mutex
    };
    std::shared_ptr<FormulaFollower> m_follower; // guarded by m_followMutex
    QMetaObject::Connection m_executedConnection; // guarded by m_followMutex
    QMetaObject::Connection m_statusConnection;   // guarded by m_followMutex
    mutable QMutex m_followMutex;

    bool m_heldByThread = false;
    CompletionHook m_completionHook;
    quint64 m_statusGeneration = 0;
    mutable QWaitCondition m_statusChanged;

    mutable QMutex m_statusMutex;
    mutable QMutex m_progressMutex;
    mutable QMutex m_stateMutex;
    mutable QMutex m_contentMutex;
};

Q_DECLARE_METATYPE(NECommand)

#endif // NECOMMAND_H
