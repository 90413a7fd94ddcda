#include "NELogger.h"

#include <QtCore/QMutex>

#include <spdlog/spdlog.h>

NELogger *NELogger::m_Instance = nullptr;

namespace {
QMutex s_instanceMutex;
}

NELogger::NELogger() : m_loggingEnabled(true)
{
}

NELogger::NELogger(const NELogger &other)
    : m_loggingEnabled(other.loggingEnabled()), m_logger(other.logger())
{
}

NELogger &NELogger::operator=(const NELogger &other)
{
    if (this != &other) {
        setLoggingEnabled(other.loggingEnabled());
        setLogger(other.logger());
    }
    return *this;
}
NELogger::~NELogger() = default;

NELogger *NELogger::instance()
{
    QMutexLocker locker(&s_instanceMutex);
    if (!m_Instance)
        m_Instance = new NELogger();
    return m_Instance;
}

void NELogger::drop()
{
    QMutexLocker locker(&s_instanceMutex);
    delete m_Instance;
    m_Instance = nullptr;
}

void NELogger::setLogger(std::shared_ptr<spdlog::logger> logger)
{
    std::atomic_store(&m_logger, std::move(logger));
}

void NELogger::trace(const QString &message)
{
    writeLogMsg(spdlog::level::trace, message);
}

void NELogger::debug(const QString &message)
{
    writeLogMsg(spdlog::level::debug, message);
}

void NELogger::info(const QString &message)
{
    writeLogMsg(spdlog::level::info, message);
}

void NELogger::warning(const QString &message)
{
    writeLogMsg(spdlog::level::warn, message);
}

void NELogger::error(const QString &message)
{
    writeLogMsg(spdlog::level::err, message);
}

void NELogger::fatal(const QString &message)
{
    writeLogMsg(spdlog::level::critical, message);
}

bool NELogger::isEnabled(int level) const
{
    if (!loggingEnabled() || level < spdlog::level::trace || level > spdlog::level::critical)
        return false;
    const std::shared_ptr<spdlog::logger> logger = this->logger();
    return logger && logger->should_log(static_cast<spdlog::level::level_enum>(level));
}

void NELogger::writeLogMsg(int level, const QString &message)
{
    if (!loggingEnabled() || level < spdlog::level::trace || level > spdlog::level::critical)
        return;
    const std::shared_ptr<spdlog::logger> logger = this->logger();
    const auto spdLevel = static_cast<spdlog::level::level_enum>(level);
    if (!logger || !logger->should_log(spdLevel))
        return;
    const QByteArray text = QStringLiteral("AXOComm - %1").arg(message).toUtf8();
    if (loggingEnabled())
        logger->log(spdlog::source_loc{}, spdLevel, "{}",
                    spdlog::string_view_t(text.constData(), static_cast<size_t>(text.size())));
}
