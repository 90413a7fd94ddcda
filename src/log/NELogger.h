#ifndef NELOGGER_H
#define NELOGGER_H

#include "AXOCommGlobal.h"

#include <QtCore/QString>

#include <memory>

namespace spdlog {
class logger;
}

//! The library's log facade over a logger the host application hands in.
//! Every message is prefixed "AXOComm - "; without a logger, or while
//! logging is switched off, messages are dropped.
class AXOCOMM_EXPORT NELogger
{
public:
    static NELogger *instance();
    static void drop();

    void setLogger(std::shared_ptr<spdlog::logger> logger);
    std::shared_ptr<spdlog::logger> logger() const { return m_logger; }
    void setLoggingEnabled(bool enabled) { m_loggingEnabled = enabled; }
    bool loggingEnabled() const { return m_loggingEnabled; }

    void trace(const QString &message);
    void debug(const QString &message);
    void info(const QString &message);
    void warning(const QString &message);
    void error(const QString &message);
    void fatal(const QString &message);
    //! The same at spdlog level 0 (trace) to 5 (critical); other levels are dropped.
    void writeLogMsg(int level, const QString &message);
    //! Whether a message at that level would be written; lets hot paths skip
    //! building texts nobody reads.
    bool isEnabled(int level) const;
    bool isDebugEnabled() const { return isEnabled(1); }

protected:
    NELogger();
    NELogger(const NELogger &other);
    NELogger &operator=(const NELogger &other);
    ~NELogger();

private:
    static NELogger *m_Instance;

    bool m_loggingEnabled;
    std::shared_ptr<spdlog::logger> m_logger;
};

#endif // NELOGGER_H
