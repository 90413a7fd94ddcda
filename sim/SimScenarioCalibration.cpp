// The calibration lists and the slave boards of a scenario's machines.

#include "SimEvent.h"
#include "SimJsonReader.h"
#include "SimScenario.h"

namespace {

QString versionText(const FW_Version &version)
{
    return QStringLiteral("%1.%2.%3").arg(version.majorVersion()).arg(version.minorVersion()).arg(version.build());
}

// The members of a recalibration point; false when one is malformed.
bool readBasicPoint(SimJsonReader &point, BasicCalibrationData *data)
{
    data->setCircuit(point.integer("circuit", 0, 1, true));
    data->setVolume(point.number("volume", 0.0, 0.0, false));
    data->setFactor(point.number("factor", 1.0, 0.0, true));
    return point.ok();
}

template<class Read>
void readArray(const QJsonArray &array, const QString &path, QString *problem, Read read)
{
    for (int i = 0; i < array.size() && problem->isEmpty(); ++i) {
        QJsonObject object;
        if (!SimJsonReader::element(array, i, path, &object, problem))
            return;
        SimJsonReader item(object, QStringLiteral("%1[%2]").arg(path).arg(i), problem);
        read(item);
    }
}

QJsonObject basicPointToJson(const BasicCalibrationData &point)
{
    return QJsonObject{{QStringLiteral("circuit"), point.circuit()},
                       {QStringLiteral("volume"), point.volume()},
                       {QStringLiteral("factor"), point.factor()}};
}

} // namespace

void SimScenario::setCalibrationList(int dispenser, const QList<CalibrationData> &points)
{
    if (points.isEmpty())
        m_calibration.remove(dispenser);
    else
        m_calibration.insert(dispenser, points);
}

void SimScenario::setRecalibrationList(int dispenser, const QList<BasicCalibrationData> &points)
{
    if (points.isEmpty())
        m_recalibration.remove(dispenser);
    else
        m_recalibration.insert(dispenser, points);
}

void SimScenario::setSlaveBoards(const MachineID &id, const QList<FW_Program> &boards)
{
    if (boards.isEmpty())
        m_slaveBoards.remove(id);
    else
        m_slaveBoards.insert(id, boards);
}

bool SimScenario::readMachineCalibration(const QJsonObject &object, const QString &path, const MachineID &id,
                                         QString *problem)
{
    SimJsonReader machine(object, path, problem);
    QList<CalibrationData> calibration;
    readArray(machine.array("calibration"), path + QStringLiteral(".calibration"), problem, [&](SimJsonReader &point) {
        point.allow({"circuit", "volume", "factor", "steps", "weight"});
        CalibrationData data;
        if (!readBasicPoint(point, &data))
            return;
        data.setSteps(point.integer("steps", 0, 0));
        data.setWeight(point.number("weight", 0.0, 0.0, false));
        calibration.append(data);
    });
    QList<BasicCalibrationData> recalibration;
    readArray(machine.array("recalibration"), path + QStringLiteral(".recalibration"), problem,
              [&](SimJsonReader &point) {
                  point.allow({"circuit", "volume", "factor"});
                  BasicCalibrationData data;
                  if (readBasicPoint(point, &data))
                      recalibration.append(data);
              });
    QList<FW_Program> boards;
    readArray(machine.array("slaveBoards"), path + QStringLiteral(".slaveBoards"), problem, [&](SimJsonReader &board) {
        board.allow({"board", "name", "version", "bootLoader"});
        const int address = board.integer("board", 0, 1, true);
        const QString name = board.string("name", QString(), true);
        const QString text = board.string("version", QString(), true);
        bool versionOk = false;
        const FW_Version version = SimEvent::parseVersion(text, &versionOk);
        if (board.ok() && !versionOk)
            board.fail("version", QStringLiteral("must be a version such as \"3.2.1\""));
        if (board.ok())
            boards.append(FW_Program(address, name, version, board.boolean("bootLoader", false)));
    });
    if (!problem->isEmpty())
        return false;
    setCalibrationList(id.machineNumber, calibration);
    setRecalibrationList(id.machineNumber, recalibration);
    setSlaveBoards(id, boards);
    return true;
}

void SimScenario::writeMachineCalibration(const MachineID &id, QJsonObject &object) const
{
    QJsonArray calibration;
    QJsonArray recalibration;
    if (id.machineType == MachineID::Dispenser) {
        for (const CalibrationData &point : m_calibration.value(id.machineNumber)) {
            QJsonObject item = basicPointToJson(point);
            item.insert(QStringLiteral("steps"), point.steps());
            item.insert(QStringLiteral("weight"), point.weight());
            calibration.append(item);
        }
        for (const BasicCalibrationData &point : m_recalibration.value(id.machineNumber))
            recalibration.append(basicPointToJson(point));
    }
    QJsonArray boards;
    for (const FW_Program &program : m_slaveBoards.value(id)) {
        boards.append(QJsonObject{{QStringLiteral("board"), program.boardAddress()},
                                  {QStringLiteral("name"), program.name()},
                                  {QStringLiteral("version"), versionText(program.version())},
                                  {QStringLiteral("bootLoader"), program.isBootLoaderActive()}});
    }
    if (!calibration.isEmpty())
        object.insert(QStringLiteral("calibration"), calibration);
    if (!recalibration.isEmpty())
        object.insert(QStringLiteral("recalibration"), recalibration);
    if (!boards.isEmpty())
        object.insert(QStringLiteral("slaveBoards"), boards);
}
