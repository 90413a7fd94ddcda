#ifndef PROTOCOMMAND_H
#define PROTOCOMMAND_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QList>
#include <QtCore/QString>
#include <QtCore/QVariant>

#include <memory>

class FW_DriverError;
class FW_Machine;
class ProtoAnswer;
class XmlRpcAnswer;

//! A command as it travels to the driver: its name, its parameters, the
//! machine configuration it works on, and once answered, its decoded answer.
//! Commands with typed parameters or a particular answer derive from it.
class AXOCOMM_EXPORT ProtoCommand
{
public:
    //! The type of the translatable texts of a command.
    typedef QString TString;

    //! The "proto" member every call carries.
    static const int ProtocolVersion = 2;

    //! A command named \p name with \p parameters; keeps a copy of \p machine when given.
    explicit ProtoCommand(const QString &name, const QList<QVariant> &parameters = QList<QVariant>(),
                          const FW_Machine *machine = nullptr);
    //! Copies the command, with copies of its machine and its answer.
    ProtoCommand(const ProtoCommand &other);
    //! Assigns the command, with copies of its machine and its answer.
    ProtoCommand &operator=(const ProtoCommand &other);
    //! Destroys the command with its machine and answer.
    virtual ~ProtoCommand();

    //! A copy of this command, of the same class; owned by the caller.
    virtual ProtoCommand *clone() const;

    //! The command name as the driver knows it, e.g. "LOGIN".
    QString command() const { return m_name; }
    //! The untyped parameters.
    QList<QVariant> parameters() const { return m_parameters; }
    //! Replaces the untyped parameters.
    void setParameters(const QList<QVariant> &parameters) { m_parameters = parameters; }
    //! The machine configuration the command works on; null when none.
    const FW_Machine *machine() const { return m_machine.get(); }

    //! The call parameter: {"proto", "cmd", "session", "params"}. *ok tells
    //! whether every parameter could be written.
    virtual XmlRpc::XmlRpcValue toXmlRpcValue(const QString &sessionID, bool *ok) const;

    //! Decodes the driver's result into this command's answer (a ticket
    //! answer for an asynchronous call). False, with the reason in *error
    //! when given, when the result is not an answer of this command.
    bool setAnswer(const XmlRpc::XmlRpcValue &result, bool async, FW_DriverError *error);
    //! The decoded answer, owned by the command; null (and *ok false) when none.
    ProtoAnswer *getProtoAnswer(bool *ok = nullptr) const;
    //! The same answer as a result with return code and errors.
    XmlRpcAnswer *getXmlRpcAnswer(bool *ok = nullptr) const;
    //! Stores a clone of the answer; false for null or an answer that is not a result.
    bool setProtoAnswer(const ProtoAnswer *answer);
    //! Drops the stored answer.
    void clearProtoAnswer();

    //! Estimated execution time on that machine in ms; 0 when not known.
    virtual qint64 executionTimeEstimate(const FW_Machine *machine) const;

    //! A readable name of the command, e.g. "Get disp status".
    QString commandString() const;
    //! What the machine is doing while the command runs, e.g. "Dispensing";
    //! empty for queries.
    TString commandActionString() const;
    //! The readable name of a command without a name: "Unknown command".
    static QString defaultCommandString();
    //! A generic action text: "Executing command".
    static TString defaultActionString();

    //! A new answer object of the class this command's results decode into.
    virtual XmlRpcAnswer *createAnswer() const;

protected:
    //! The "params" array; by default the parameters converted one by one.
    virtual XmlRpc::XmlRpcValue paramsToXmlRpc(bool *ok) const;
    //! The session text the call carries; session commands carry their own.
    virtual QString callSession(const QString &sessionID) const { return sessionID; }

private:
    QString m_name;
    QList<QVariant> m_parameters;
    std::unique_ptr<FW_Machine> m_machine;
    std::unique_ptr<ProtoAnswer> m_answer;
};

#endif // PROTOCOMMAND_H
