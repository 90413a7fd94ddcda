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
    //! The status codes: above 0 not finished, 0 done, below 0 failed.
    enum CommandStatusList {
        CMD_CREATED = 3,      //!< "Created": not sent yet
        CMD_WAITING = 2,      //!< "Waiting": in a queue
        CMD_IN_PROGRESS = 1,  //!< "In progress": running on the driver
        CMD_DONE = 0,         //!< "Done": succeeded
        CMD_EXEC_ERRORS = -1, //!< "Execution errors": failed, with error records
        CMD_REFUSED = -2,     //!< "Refused"
        CMD_INTERRUPTED = -3, //!< "Interrupted": ended before it ran, or cut short
        CMD_FINISHED = -4     //!< "Finished": ended otherwise
    };

    //! Created, 0 %, no time left, no result.
    CmdStatus();

    //! A CommandStatusList value.
    int status() const { return m_status; }
    //! Sets the status code.
    void setStatus(int status) { m_status = status; }
    //! Final: done, failed, refused, interrupted or finished otherwise.
    bool isFinished() const { return m_status <= CMD_DONE; }
    //! Progress, 0 to 100, as the driver reports it.
    int percentage() const { return m_percentage; }
    //! Sets the progress.
    void setPercentage(int percentage) { m_percentage = percentage; }
    //! Estimated ms to the end; 0 when unknown.
    int timeLeft() const { return m_timeLeft; }
    //! Sets the estimated time left, ms.
    void setTimeLeft(int ms) { m_timeLeft = ms; }
    //! The final result ({"rc", "errors", "data"}); invalid until final.
    XmlRpc::XmlRpcValue resultValue() const { return m_result; }
    //! Sets the final result.
    void setResultValue(const XmlRpc::XmlRpcValue &result) { m_result = result; }
    //! The final result as return code and errors; *ok false when there is
    //! none or it does not decode.
    XmlRpcAnswer getXmlRpcAnswer(bool *ok = nullptr) const;
    //! Back to the state of a new status.
    void clear();

    //! "Done", "In progress", ...
    static QString getDescription(int status);

    //! Same status, percentage, time left and result.
    bool operator==(const CmdStatus &other) const;
    //! Not operator==().
    bool operator!=(const CmdStatus &other) const { return !(*this == other); }

    //! {"status", "percentage", "timeLeft", "result" when final}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! The status of such a struct; *ok false when it is not one.
    static CmdStatus fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    int m_status;
    int m_percentage;
    int m_timeLeft;
    XmlRpc::XmlRpcValue m_result;
};

Q_DECLARE_METATYPE(CmdStatus)

#endif // CMDSTATUS_H
