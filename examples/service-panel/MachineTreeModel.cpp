#include "MachineTreeModel.h"

#include <memory>

MachineTreeModel::MachineTreeModel(QObject *parent) : QStandardItemModel(parent)
{
    setHorizontalHeaderLabels({tr("Driver / machine"), tr("Activity"), tr("Driver status")});
}

void MachineTreeModel::setDriver(int driverID, const QString &endpoint)
{
    m_driverID = driverID;
    m_endpoint = endpoint;
    refresh();
}

QString MachineTreeModel::machineName(const MachineID &machine)
{
    const QString type = machine.typeText();
    return QStringLiteral("%1 %2").arg(type.isEmpty() ? tr("Machine") : type).arg(machine.machineNumber);
}

QList<QStandardItem *> MachineTreeModel::driverRow() const
{
    AXOCommData *store = AXOCommData::instance();
    QVersionNumber version;
    const bool registered = store->getDriverType(m_driverID) >= 0;
    store->getDriverVersion(m_driverID, version);
    auto *name = new QStandardItem(tr("Driver %1").arg(m_driverID));
    auto *activity = new QStandardItem(registered ? tr("connected") : tr("not connected"));
    auto *status = new QStandardItem(version.isNull() ? m_endpoint
                                                      : tr("%1, version %2").arg(m_endpoint, version.toString()));
    status->setToolTip(status->text());
    return {name, activity, status};
}

QString MachineTreeModel::driverStatusText(const MachineStatus &status) const
{
    QStringList parts;
    const std::unique_ptr<MachineDriverStatusAnswer> answer =
        AXOCommData::instance()->currentMachineDriverStatus(m_driverID, status.machineID());
    if (answer && answer->hasMachineStatusAnswer() && !answer->machineStatusAnswer()->stateText().isEmpty())
        parts << answer->machineStatusAnswer()->stateText();
    else if (!status.stateText().isEmpty())
        parts << status.stateText();
    if (status.isBusy())
        parts << tr("busy");
    if (answer)
        parts << (answer->acceptCommands() ? tr("accepts commands") : tr("refuses commands"));
    if (status.errorCount() > 0)
        parts << tr("%n error(s)", nullptr, status.errorCount());
    return parts.join(QStringLiteral(", "));
}

QList<QStandardItem *> MachineTreeModel::machineRow(const MachineStatus &status, const MachineID &current) const
{
    const MachineID id = status.machineID();
    QString label = machineName(id);
    if (!status.modelName().isEmpty())
        label += QStringLiteral(" (%1)").arg(status.modelName());
    const bool isCurrent = id.machineNumber == current.machineNumber && (id.machineType & current.machineType) != 0;
    if (isCurrent)
        label += tr("  [current]");
    auto *name = new QStandardItem(label);
    name->setData(QVariant::fromValue(id), MachineRole);
    if (isCurrent) {
        QFont font = name->font();
        font.setBold(true);
        name->setFont(font);
    }
    auto *activity = new QStandardItem(status.isActive() ? tr("active") : tr("inactive"));
    activity->setForeground(QBrush(status.isActive() ? Qt::darkGreen : Qt::gray));
    auto *driverStatus = new QStandardItem(driverStatusText(status));
    driverStatus->setToolTip(driverStatus->text());
    return {name, activity, driverStatus};
}

void MachineTreeModel::refresh()
{
    removeRows(0, rowCount());
    if (m_driverID <= 0)
        return;
    const QList<QStandardItem *> driver = driverRow();
    const MachineID current = AXOCurrentCommData::instance()->currentMachineID();
    const QList<MachineStatus *> statuses = AXOCommData::instance()->getMachineStatusList(m_driverID, MachineID::AllTypes);
    for (MachineStatus *status : statuses) {
        driver.first()->appendRow(machineRow(*status, current));
        delete status;
    }
    appendRow(driver);
}
