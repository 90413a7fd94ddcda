// The log facade: prefix, levels, braces, and life without a logger.

#include "NELogger.h"

#include <gtest/gtest.h>

#include <spdlog/sinks/base_sink.h>
#include <spdlog/spdlog.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace {

class CaptureSink : public spdlog::sinks::base_sink<std::mutex>
{
public:
    std::vector<std::pair<spdlog::level::level_enum, std::string>> lines;

protected:
    void sink_it_(const spdlog::details::log_msg &msg) override
    {
        lines.emplace_back(msg.level, std::string(msg.payload.data(), msg.payload.size()));
    }
    void flush_() override {}
};

class LoggerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        sink = std::make_shared<CaptureSink>();
        logger = std::make_shared<spdlog::logger>("test", sink);
        logger->set_level(spdlog::level::trace);
    }
    void TearDown() override { NELogger::drop(); }

    std::shared_ptr<CaptureSink> sink;
    std::shared_ptr<spdlog::logger> logger;
};

} // namespace

TEST_F(LoggerTest, DroppedUntilALoggerIsHandedOver)
{
    NELogger::instance()->info(QStringLiteral("nobody listens"));
    NELogger::instance()->setLogger(logger);
    NELogger::instance()->info(QStringLiteral("now"));
    ASSERT_EQ(sink->lines.size(), 1u);
    EXPECT_EQ(sink->lines[0].second, "AXOComm - now");

    // drop() forgets the logger; the next instance starts without one.
    NELogger::drop();
    NELogger::instance()->error(QStringLiteral("after drop"));
    EXPECT_EQ(sink->lines.size(), 1u);
    EXPECT_EQ(logger.use_count(), 1);
}

TEST_F(LoggerTest, LevelsPrefixAndBraces)
{
    NELogger *log = NELogger::instance();
    log->setLogger(logger);
    log->trace(QStringLiteral("t"));
    log->debug(QStringLiteral("d"));
    log->info(QStringLiteral("i"));
    log->warning(QStringLiteral("w {} {0} %1"));
    log->error(QStringLiteral("e"));
    log->fatal(QString::fromUtf8("f \xc3\xa9"));
    log->writeLogMsg(7, QStringLiteral("out of range"));
    log->writeLogMsg(-1, QStringLiteral("out of range"));
    log->writeLogMsg(3, QStringLiteral("by number"));

    using L = spdlog::level::level_enum;
    const std::vector<std::pair<L, std::string>> expected = {
        {L::trace, "AXOComm - t"},
        {L::debug, "AXOComm - d"},
        {L::info, "AXOComm - i"},
        {L::warn, "AXOComm - w {} {0} %1"},
        {L::err, "AXOComm - e"},
        {L::critical, "AXOComm - f \xc3\xa9"},
        {L::warn, "AXOComm - by number"},
    };
    EXPECT_EQ(sink->lines, expected);
}

TEST_F(LoggerTest, SwitchedOffAndLoggerThreshold)
{
    NELogger *log = NELogger::instance();
    log->setLogger(logger);
    log->setLoggingEnabled(false);
    log->error(QStringLiteral("silent"));
    log->setLoggingEnabled(true);
    logger->set_level(spdlog::level::warn);
    log->info(QStringLiteral("below the logger's threshold"));
    log->warning(QStringLiteral("kept"));
    log->setLogger(nullptr);
    log->error(QStringLiteral("no logger"));
    ASSERT_EQ(sink->lines.size(), 1u);
    EXPECT_EQ(sink->lines[0].second, "AXOComm - kept");
}

// Threads keep logging while the host hands over a new logger, takes it
// away and switches logging off and on: every line goes whole to one of
// the loggers, and nothing is touched after its logger is gone.
TEST_F(LoggerTest, LoggerReplacedWhileThreadsLog)
{
    NELogger *log = NELogger::instance();
    auto secondSink = std::make_shared<CaptureSink>();
    auto second = std::make_shared<spdlog::logger>("second", secondSink);
    std::atomic<bool> stop{false};
    std::vector<std::thread> writers;
    for (int i = 0; i < 3; ++i)
        writers.emplace_back([&] {
            while (!stop.load())
                log->info(QStringLiteral("line"));
        });
    for (int round = 0; round < 200; ++round) {
        log->setLogger(round % 3 == 0 ? logger : round % 3 == 1 ? second : nullptr);
        log->setLoggingEnabled(round % 7 != 0);
    }
    stop = true;
    for (std::thread &writer : writers)
        writer.join();
    log->setLogger(nullptr);
    // The sinks are locked by their loggers; no writer is left.
    for (const auto &line : sink->lines)
        EXPECT_EQ(line.second, "AXOComm - line");
    for (const auto &line : secondSink->lines)
        EXPECT_EQ(line.second, "AXOComm - line");
}
