#ifndef NCCOMMAND_H
#define NCCOMMAND_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QString>

#include <memory>

class FW_Machine;
class ProtoAnswer;
class ProtoCommand;

//! A status query the driver holds until its answer differs from the
//! previous one (long poll): the query, the previous answer, the re-check
//! interval and the longest hold, both in ms.
class AXOCOMM_EXPORT NCCommand
{
public:
    //! Wraps a copy of the query and of the previous answer (each may be null).
    NCCommand(const ProtoCommand *command, const ProtoAnswer *previous, int interval, int timeout);
    //! Builds the query by name (no machine-specific parameters).
    NCCommand(const QString &name, const ProtoAnswer *previous, int interval, int timeout,
              const FW_Machine *machine = nullptr);
    //! Copies the query and the previous answer.
    NCCommand(const NCCommand &other);
    //! Assigns copies of the query and the previous answer.
    NCCommand &operator=(const NCCommand &other);
    //! Destroys the query and the previous answer.
    ~NCCommand();

    //! A copy; owned by the caller.
    NCCommand *clone() const { return new NCCommand(*this); }

    //! The wrapped query; null when none.
    ProtoCommand *protoCommand() const { return m_command.get(); }
    //! The answer the driver compares against; null when none.
    const ProtoAnswer *previousAnswer() const { return m_previous.get(); }
    //! How often the driver re-checks the answer, ms.
    int interval() const { return m_interval; }
    //! The longest hold in ms: the call's own time limit.
    int timeout() const { return m_timeout; }
    //! Name of the wrapped query; empty when none.
    QString command() const;

    //! The query's call parameter plus "prev", "interval" and "timeout".
    XmlRpc::XmlRpcValue toXmlRpcValue(const QString &sessionID, bool *ok) const;

private:
    std::unique_ptr<ProtoCommand> m_command;
    std::unique_ptr<ProtoAnswer> m_previous;
    int m_interval;
    int m_timeout;
};

#endif // NCCOMMAND_H
