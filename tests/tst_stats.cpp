// The statistics operations of the command API against the simulated
// driver: the encrypted query, colorant usage, refill events and the
// gravimetric training status, and their failures.

#include "StartedDriver.h"

#include "AXOCurrentCommData.h"
#include "ColorantUsageDispStats.h"
#include "FW_Dispenser.h"
#include "QueryReply.h"
#include "RefillStatData.h"
#include "SimStatsData.h"

namespace {

const MachineID kDispenser(1, MachineID::Dispenser);

} // namespace

class StatsTest : public StartedDriverTest
{
protected:
    SimScenario scenario() const override
    {
        SimScenario scenario = SimScenario::defaultScenario();
        SimStatsData stats = SimStatsData::defaults(scenario.configuration());
        SimStatsData::Event dispensed;
        dispensed.dispenser = 1;
        dispensed.kind = QStringLiteral("dispense");
        dispensed.position = 3;
        dispensed.colorant = QStringLiteral("YE2");
        dispensed.amount = 12.5;
        dispensed.time = QDateTime(QDate(2024, 5, 2), QTime(8, 30), Qt::UTC);
        stats.events.append(dispensed);
        stats.training.insert(1, QStringLiteral("trained"));
        scenario.setStats(stats);
        return scenario;
    }

    void SetUp() override
    {
        StartedDriverTest::SetUp();
        if (HasFatalFailure())
            return;
        AXOCurrentCommData::instance()->setCurrentDriverID(driverID);
        ASSERT_TRUE(AXOCurrentCommData::instance()->setCurrentMachineID(kDispenser));
    }

    void TearDown() override
    {
        AXOCurrentCommData::drop();
        StartedDriverTest::TearDown();
    }

    bool query(const std::string &text, std::string *reply, QueryReply *parsed)
    {
        std::string queryText = text;
        return NECmdManager::ExecQueryStats(driverID, queryText, *reply, *parsed);
    }

    //! Whether the error was reported for the machine (the history keeps it
    //! when a later driver status replaces the current list).
    bool hasError(const MachineID &machine, const char *code)
    {
        return started::hasCode(store->getErrorHistoryList(driverID, machine), QLatin1String(code));
    }

    FW_Dispenser dispenser(const QString &serial = QStringLiteral("SIM-D-0001"))
    {
        FW_Dispenser d(1);
        d.setSerialNumber(serial);
        return d;
    }
};

TEST_F(StatsTest, QueryRoundTripGivesTheTextWithoutItsPadding)
{
    std::string reply = "left over";
    QueryReply parsed;
    ASSERT_TRUE(query("SELECT position, colorant, amount FROM usage WHERE dispenser = 1 AND colorant = 'YE2'",
                      &reply, &parsed));
    // 25 bytes of reply: it came back zero padded to 32 and lost the zeros.
    EXPECT_EQ(reply, "position\tcolorant\tamount\n3\tYE2\t30\n");
    EXPECT_EQ(parsed.columns(), (QStringList{"position", "colorant", "amount"}));
    ASSERT_EQ(parsed.rowCount(), 1);
    EXPECT_EQ(parsed.value(0, QStringLiteral("amount")), QStringLiteral("30"));

    // A query of whole blocks travels without padding; a text after a zero
    // byte is not part of the query.
    const std::string blocks = QByteArray("select KIND, amount from EVENTS;").leftJustified(32, ' ').toStdString();
    ASSERT_EQ(blocks.size(), 32u);
    ASSERT_TRUE(query(blocks + std::string(1, '\0') + "garbage", &reply, &parsed));
    EXPECT_EQ(reply, "kind\tamount\ndispense\t12.5\n");
}

TEST_F(StatsTest, RefillEventsAddedAppearInLaterQueries)
{
    const QDateTime when(QDate(2024, 6, 1), QTime(10, 0, 5), Qt::UTC);
    ASSERT_TRUE(NECmdManager::addStatEvents(driverID, 1,
                                            {RefillStatData(5, QStringLiteral("RE1"), 250.0, when),
                                             RefillStatData(6, QStringLiteral("RE2"), 125.5, when.addSecs(60))}));
    std::string reply;
    QueryReply parsed;
    ASSERT_TRUE(query("SELECT position, colorant, amount, time FROM events WHERE kind = 'refill';", &reply, &parsed));
    ASSERT_EQ(parsed.rowCount(), 2) << reply;
    EXPECT_EQ(parsed.row(0), (QStringList{"5", "RE1", "250", "2024-06-01T10:00:05Z"}));
    EXPECT_EQ(parsed.value(1, QStringLiteral("amount")), QStringLiteral("125.5"));

    // A refill on a circuit the dispenser does not have is refused whole.
    EXPECT_FALSE(NECmdManager::addStatEvents(driverID, 1, {RefillStatData(99, QStringLiteral("RE1"), 1.0, when)}));
    EXPECT_TRUE(hasError(kDispenser, "TE00478"));
    ASSERT_TRUE(query("SELECT * FROM events WHERE kind = 'refill'", &reply, &parsed));
    EXPECT_EQ(parsed.rowCount(), 2);
}

TEST_F(StatsTest, ColorantUsageInItsThreeSelections)
{
    FW_Dispenser d = dispenser();
    QList<ColorantUsageDispStats> usage;
    ASSERT_TRUE(NECmdManager::getColorantsUsageStats(driverID, d, usage, QStringLiteral("BL1"), 0, 0, {}, 0));
    ASSERT_EQ(usage.size(), 1);
    EXPECT_EQ(usage.first(), ColorantUsageDispStats(QStringLiteral("SIM-D-0001"), 8, 8, QStringLiteral("BL1"), 80.0, 8));

    ASSERT_TRUE(NECmdManager::getColorantsUsageStats(driverID, d, usage, QString(), 4, 2, {}, 0));
    ASSERT_EQ(usage.size(), 1); // the canister wins over the position
    EXPECT_EQ(usage.first().colorant(), QStringLiteral("OR1"));

    ASSERT_TRUE(NECmdManager::getColorantsUsageStats(driverID, d, usage, QString(), 0, 0,
                                                     {QStringLiteral("BK1"), QStringLiteral("WH1"), QStringLiteral("YE1")}, 2));
    ASSERT_EQ(usage.size(), 2);
    EXPECT_EQ(usage.at(0).position(), 1);
    EXPECT_EQ(usage.at(1).position(), 2);
    ASSERT_TRUE(NECmdManager::getColorantsUsageStats(driverID, d, usage, QString(), 0, 16, {}, 0));
    ASSERT_EQ(usage.size(), 1);
    EXPECT_EQ(usage.first().colorant(), QStringLiteral("NE1"));

    // A serial number the driver does not know: its error reaches the
    // current dispenser's list, the caller's list stays as it was.
    FW_Dispenser stranger = dispenser(QStringLiteral("NO-SUCH-SERIAL"));
    EXPECT_FALSE(NECmdManager::getColorantsUsageStats(driverID, stranger, usage, QStringLiteral("BL1"), 0, 0, {}, 0));
    EXPECT_TRUE(hasError(kDispenser, "TE10005"));
    EXPECT_EQ(usage.size(), 1);
}

TEST_F(StatsTest, GravimetricTrainingStatus)
{
    QString status;
    ASSERT_TRUE(NECmdManager::GravimetricTrainingStatus(driverID, 0, status));
    EXPECT_EQ(status, QStringLiteral("trained"));
    status = QStringLiteral("unchanged");
    EXPECT_FALSE(NECmdManager::GravimetricTrainingStatus(driverID, 42, status));
    EXPECT_EQ(status, QStringLiteral("unchanged"));
    EXPECT_TRUE(hasError(started::kGenericDispenser, "TE00719"));
}

TEST_F(StatsTest, RefusedQueriesReportTheirCode)
{
    std::string reply = "stale";
    QueryReply parsed(QStringLiteral("a\nb\n"));
    for (const char *text : {"DELETE FROM usage", "SELECT nothing FROM usage", "SELECT * FROM orders",
                             "SELECT * FROM usage WHERE amount > 3", "SELECT * FROM usage WHERE colorant = 'YE2"}) {
        EXPECT_FALSE(query(text, &reply, &parsed)) << text;
        EXPECT_TRUE(reply.empty()) << text;
    }
    EXPECT_EQ(parsed.rowCount(), 1);
    EXPECT_TRUE(hasError(started::kGenericDispenser, "TE00572"));
}

TEST(QueryReplyTable, ReadsHeaderAndRows)
{
    const QueryReply table(QStringLiteral("a\tB\r\n1\t2\t3\n4\n"));
    EXPECT_EQ(table.columns(), (QStringList{"a", "B"}));
    EXPECT_EQ(table.rows(), (QList<QStringList>{{"1", "2"}, {"4", ""}}));
    EXPECT_EQ(table.value(1, QStringLiteral("b")), QString());
    EXPECT_EQ(table.value(0, QStringLiteral("b")), QStringLiteral("2"));
    EXPECT_TRUE(QueryReply(QString()).isEmpty());
    EXPECT_TRUE(QueryReply(QStringLiteral("\n")).isEmpty());
    EXPECT_EQ(QueryReply(QueryReply::format({"x", "y"}, {{"1", "2"}})).rows(), (QList<QStringList>{{"1", "2"}}));
}

TEST(SimStatsScenario, StatsSurviveJsonAndBadOnesAreRefused)
{
    SimScenario scenario = SimScenario::defaultScenario();
    SimStatsData stats;
    stats.usage.append({1, 2, 7, QStringLiteral("YE1"), 3.5, 2});
    stats.training.insert(1, QStringLiteral("training 40%"));
    scenario.setStats(stats);
    QString error;
    const SimScenario back = SimScenario::fromJson(scenario.toJson(), &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(back.stats(), stats);

    QByteArray json = SimScenario::defaultScenario().toJson();
    json.replace("\"version\"", "\"stats\": {\"events\": [{\"dispenser\": 1, \"kind\": \"spill\", \"position\": 1, "
                                "\"colorant\": \"WH1\", \"amount\": 1, \"time\": \"2024-05-02T08:30:00Z\"}]}, \"version\"");
    SimScenario::fromJson(json, &error);
    EXPECT_TRUE(error.contains(QLatin1String("stats.events[0]"))) << error.toStdString();
}
