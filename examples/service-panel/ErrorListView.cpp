#include "ErrorListView.h"

#include "MachineTreeModel.h"

#include <AXOComm/AXOComm.h>

#include <QtWidgets/QHeaderView>

ErrorListView::ErrorListView(QWidget *parent) : QTreeWidget(parent)
{
    setHeaderLabels({tr("Machine"), tr("Code"), tr("Text")});
    setRootIsDecorated(false);
    header()->setSectionResizeMode(MachineColumn, QHeaderView::ResizeToContents);
    header()->setSectionResizeMode(CodeColumn, QHeaderView::ResizeToContents);
    header()->setStretchLastSection(true);
}

void ErrorListView::setDriver(int driverID)
{
    m_driverID = driverID;
    refresh();
}

void ErrorListView::refresh()
{
    clear();
    if (m_driverID <= 0)
        return;
    AXOCommData *store = AXOCommData::instance();
    QList<MachineID> machines{MachineID(0, MachineID::Dispenser), MachineID(0, MachineID::Mixer)};
    const QList<MachineStatus *> statuses = store->getMachineStatusList(m_driverID, MachineID::AllTypes);
    for (MachineStatus *status : statuses) {
        machines << status->machineID();
        delete status;
    }
    for (const MachineID &machine : machines) {
        const QString where = machine.machineNumber == 0 ? tr("Driver (%1)").arg(machine.typeText().toLower())
                                                         : MachineTreeModel::machineName(machine);
        for (const FW_Error &error : store->getErrorList(m_driverID, machine)) {
            auto *item = new QTreeWidgetItem(this);
            item->setText(MachineColumn, where);
            item->setText(CodeColumn, error.errorCode());
            item->setText(TextColumn, error.errorMsg());
            item->setForeground(CodeColumn, QBrush(Qt::red));
        }
    }
}

QStringList ErrorListView::codes() const
{
    QStringList result;
    for (int i = 0; i < topLevelItemCount(); ++i)
        result << topLevelItem(i)->text(CodeColumn);
    return result;
}
