#ifndef CMDSTATUS_H
#define CMDSTATUS_H

#include "AXOCommGlobal.h"
#include "XmlRpcAnswer.h"

#include <QtCore/QMetaType>

//! The execution status of a command: status code, percentage, time left
//! and, once final, the command's complete result.
class AXOCOMM_EXPORT CmdStatus
{
public:
    enum CommandStatusList {
        CMD_CREATED = 3,
        CMD_WAITING = 2,
        CMD_IN_PROGRESS = 1,
        CMD_DONE = 0,
        CMD_EXEC_ERRORS = -1,
        CMD_REFUSED = -2,
        CMD_INTERRUPTED = -3,
        CMD_FINISHED = -4
    };

    CmdStatus();

    int status() const { return m_status; }
    void setStatus(int status) { m_status = status; }
    //! Final: done, failed, refused, interrupted or finished otherwise.
    bool isFinished() const { return m_status <= CMD_DONE; }
    int percentage() const { return m_percentage; }
    void setPercentage(int percentage) { m_percentage = percentage; }
    //! Estimated ms to the end; 0 when unknown.
    int timeLeft() const { return m_timeLeft; }
    void setTimeLeft(int ms) { m_timeLeft = ms; }
    //! The final result ({"rc", "errors", "data"}); invalid until final.
    XmlRpc::XmlRpcValue resultValue() const { return m_result; }
    void setResultValue(const XmlRpc::XmlRpcValue &result) { m_result = result; }
    //! The final result as return code and errors; *ok false when there is
    //! none or it does not decode.
    XmlRpcAnswer getXmlRpcAnswer(bool *ok = nullptr) const;
    void clear();

    //! "Done", "In progress", ...
    static QString getDescription(int status);

    bool operator==(const CmdStatus &other) const;
    bool operator!=(const CmdStatus &other) const { return !(*this == other); }

    //! {"status", "percentage", "timeLeft", "result" when final}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    static CmdStatus fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    int m_status;
    int m_percentage;
    int m_timeLeft;
    XmlRpc::XmlRpcValue m_result;
};

Q_DECLARE_METATYPE(CmdStatus)

#endif // CMDSTATUS_H
