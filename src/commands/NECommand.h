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
    enum NECmdState { NECmdIdle = 0, NECmdEnqueued = 1, NECmdSent = 2, NECmdExecuted = 3, NECmdAborted = 4 };
    Q_ENUM(NECmdState)

    NECommand();
    //! By name; throws FW_Exception when the catalogue does not know it or
    //! the protocol command cannot be built.
    NECommand(int driverID, const MachineID &machineID, const QString &name);
    NECommand(int driverID, const MachineID &machineID, const QString &name, const QVariant &parameter);
    NECommand(int driverID, const MachineID &machineID, const QString &name, const QList<QVariant> &parameters);
    NECommand(int driverID, const MachineID &machineID, const QString &name, const QList<QVariant> &parameters,
        const FW_Machine *machine);
    //! Adopts a copy of a ready protocol command.
    NECommand(int driverID, const MachineID &machineID, const ProtoCommand *protoCommand);
    //! A notify-changed query.
    NECommand(int driverID, const MachineID &machineID, const NCCommand *ncCommand);
    NECommand(const NECommand &other);
    NECommand &operator=(const NECommand &other);
    ~NECommand() override;

    void copy(const NECommand &other);

    // Identity and content.
    QString command() const;
    QString commandString() const;
    ProtoCommand::TString commandActionString() const;
    operator QString() const;
    int driverID() const { return m_driverID; }
    void setDriverID(int driverID) { m_driverID = driverID; }
    MachineID machineID() const { return m_machineID; }
    void setMachineID(const MachineID &machineID) { m_machineID = machineID; }
    //! The machine number when the command is for a dispenser, else -1.
    int targetDispID() const;
    void setTargetDispID(int dispID) { m_machineID = MachineID(dispID, MachineID::Dispenser); }
    //! A copy of the machine configuration the command works on; null when none.
    std::unique_ptr<FW_Machine> machine() const;
    void setMachine(const FW_Machine *machine);
    //! A copy of the protocol command; null when none.
    std::unique_ptr<ProtoCommand> protoCommand() const;
    void setProtoCommand(const ProtoCommand *protoCommand);
    std::unique_ptr<NCCommand> getNCCommand() const;
    void setNC_Command(const NCCommand *ncCommand);
    bool hasValidProtoCommand() const;
    bool hasValidNC_Command() const;
    QList<QVariant> parameters() const { return m_parameters; }
    void setParameters(const QList<QVariant> &parameters) { m_parameters = parameters; }
    void addParameter(const QVariant &parameter) { m_parameters.append(parameter); }
    int numOfParameters() const { return m_parameters.size(); }
    bool hasParameters() const { return !m_parameters.isEmpty(); }
    FunctionCallType driverCallType() const { return m_driverCallType; }
    void setDriverCallType(FunctionCallType type) { m_driverCallType = type; }
    bool isSyncCommandCall() const { return m_driverCallType == SyncCall; }
    bool isAsyncCommandCall() const { return m_driverCallType == AsyncCall; }
    bool isNotifyChangedCommandCall() const { return m_driverCallType == NotifyChangedCall; }
    bool isBlockingCall() const { return m_blockingCall; }
    void setBlockingCall(bool blocking) { m_blockingCall = blocking; }
    bool silentExecution() const { return m_silentExecution; }
    void setSilentExecution(bool silent) { m_silentExecution = silent; }
    bool pollingExecution() const { return m_pollingExecution; }
    void setPollingExecution(bool polling) { m_pollingExecution = polling; }
    bool formulaProgressSupported() const { return m_formulaProgressSupported; }

    // Execution status.
    //! A copy, merged with the formula progress (the larger time left, the
    //! smaller percentage).
    CmdStatus executionStatus() const;
    void setExecutionStatus(const CmdStatus &status);
    void setExecutionStatus(const class GetCommandStatusAnswer *answer);
    void setExecutionStatus(const XmlRpcAnswer *answer);
    void setExecutionStatus(CmdStatus::CommandStatusList status);
    void setExecutionStatus(ProtoAnswer::ProtocolRetCode rc);
    bool startedExecution() const { return status() < CmdStatus::CMD_WAITING; }
    bool isInProgress() const { return status() == CmdStatus::CMD_IN_PROGRESS; }
    bool isDoneSuccessfully() const { return status() == CmdStatus::CMD_DONE; }
    bool isExecuted() const { return status() <= CmdStatus::CMD_DONE; }
    bool hasExecutionErrors() const { return status() == CmdStatus::CMD_EXEC_ERRORS; }
    bool hasBeenRefused() const { return status() == CmdStatus::CMD_REFUSED; }
    bool hasBeenInterrupted() const { return status() == CmdStatus::CMD_INTERRUPTED; }
    bool isFailed() const;

    // Hand-over between the queue worker and the driver thread. A command
    // taken from its queue is held by the driver thread until the thread
    // releases it; the thread never touches it after the release, and the
    // worker treats it as finished only once it is final and released.
    struct StatusSnapshot
    {
        int status = CmdStatus::CMD_CREATED;
        bool held = false;
        quint64 generation = 0;
    };
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
    CompletionHook takeCompletionHook();
    //! The driver thread's last touch: a status that is not final yet becomes
    //! "interrupted", the hold ends and the waiting worker is woken.
    void releaseFromThread();

    // Answer.
    //! Hands the driver's result to the protocol command for decoding.
    bool setAnswer(const XmlRpc::XmlRpcValue &result, bool async, FW_DriverError *error);
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
    void clearProtoAnswer();
    //! The XML-RPC parameter of the call.
    XmlRpc::XmlRpcValue toXmlRpcValue(const QString &sessionID, bool *ok) const;

    // Errors.
    void appendError(const FW_Error &error);
    void appendError(const FW_Error *error);
    void setErrors(const FW_ErrorList &errors);
    FW_ErrorList errors() const;
    bool hasErrors() const;
    //! Records and logs the failure, sets status -1; always false.
    bool setFailureExecution(const FW_DriverError &error);
    bool setFailureExecution(const FW_ErrorList &errors);

    // Timing, in ms.
    qint64 callTimeout() const;
    qint64 commandTimeout() const;
    qint64 getCmdEstimatedExecutionTime(const FW_Machine *machine) const;
    bool hasExecutionTimeEstimation(const FW_Machine *machine) const;

    // Classification by name.
    bool isConfigurationCommand() const;
    bool isErogationCommand(bool strict) const;
    bool isFwUpdateCommand() const;
    bool unstoppableCommand() const;
    bool quickCommandExecution() const;
    bool hasHighSchedulingPriority() const;
    bool ignoreStatusChange() const;

    // Formula progress.
    bool getErogationFormula(Formula &formula) const;
    FormulaProgress formulaProgress() const;
    void setFormulaProgress(const FormulaProgress &progress);
    void clearFormulaProgress();
    bool hasFormulaProgress() const;

    // State.
    NECmdState cmdState() const;
    void setCmdState(const NECmdState &state);

    bool equalTo(const NECommand &other, bool full) const;
    bool operator==(const NECommand &other) const { return equalTo(other, false); }
    bool operator!=(const NECommand &other) const { return !equalTo(other, false); }

    static FunctionCallType driverCallType(const QString &name, int driverType);

    void createConnections();

public slots:
    void NECommandExecutedSlot(const NECommand &command);
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
