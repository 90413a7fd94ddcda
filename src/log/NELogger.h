#ifndef NELOGGER_H
#define NELOGGER_H

#include "AXOCommGlobal.h"

#include <QtCore/QString>

#include <atomic>
#include <memory>

namespace spdlog {
class logger;
}

//! The library's log facade over a logger the host application hands in.
//! Every message is prefixed "AXOComm - "; without a logger, or while
//! logging is switched off, messages are dropped.
//!
//! The library's threads log concurrently, so the logger's sinks must be
//! thread-safe. The logger and the switch may be changed at any time: a
//! message being written when the logger is replaced still goes to the old
//! one, which is kept alive until it is written.
class AXOCOMM_EXPORT NELogger
{
public:
    //! The facade, created on the first call.
    static NELogger *instance();
    //! Deletes the facade; nothing may log any more.
    static void drop();

    //! The logger every message goes to; null drops them.
    void setLogger(std::shared_ptr<spdlog::logger> logger);
    //! The logger handed in; null when none.
    std::shared_ptr<spdlog::logger> logger() const { return std::atomic_load(&m_logger); }
    //! Switches all logging on or off (on by default).
    void setLoggingEnabled(bool enabled) { m_loggingEnabled.store(enabled); }
    //! Whether logging is on.
    bool loggingEnabled() const { return m_loggingEnabled.load(); }

    //! Logs at spdlog's trace level.
    void trace(const QString &message);
    //! Logs at spdlog's debug level.
    void debug(const QString &message);
    //! Logs at spdlog's info level.
    void info(const QString &message);
    //! Logs at spdlog's warn level.
    void warning(const QString &message);
    //! Logs at spdlog's err level.
    void error(const QString &message);
    //! Logs at spdlog's critical level.
    void fatal(const QString &message);
    //! The same at spdlog level 0 (trace) to 5 (critical); other levels are dropped.
    void writeLogMsg(int level, const QString &message);
    //! Whether a message at that level would be written; lets hot paths skip
    //! building texts nobody reads.
    bool isEnabled(int level) const;
    //! isEnabled() at the debug level.
    bool isDebugEnabled() const { return isEnabled(1); }

protected:
    //! Logging on, no logger.
    NELogger();
    //! Copies the logger and the switch.
    NELogger(const NELogger &other);
    //! Copies the logger and the switch.
    NELogger &operator=(const NELogger &other);
    ~NELogger();

private:
    static NELogger *m_Instance;

    std::atomic<bool> m_loggingEnabled;
    //! Read and written through std::atomic_load / std::atomic_store only.
    std::shared_ptr<spdlog::logger> m_logger;
};

#endif // NELOGGER_H
