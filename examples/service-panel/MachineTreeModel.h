#ifndef MACHINETREEMODEL_H
#define MACHINETREEMODEL_H

#include <AXOComm/AXOComm.h>

#include <QtGui/QStandardItemModel>

//! The driver and its machines as the store last reported them: per row the
//! machine, its activity and its driver status; the current machine is
//! marked. Read again from the store on every refresh.
class MachineTreeModel : public QStandardItemModel
{
    Q_OBJECT

public:
    enum Column { MachineColumn, ActivityColumn, StatusColumn };
    //! The machine's MachineID on its row's first item.
    static const int MachineRole = Qt::UserRole + 1;

    explicit MachineTreeModel(QObject *parent = nullptr);

    //! The driver shown; 0 for none (the tree empties).
    void setDriver(int driverID, const QString &endpoint);
    void refresh();

    //! "Dispenser 1", "Mixer 2".
    static QString machineName(const MachineID &machine);

private:
    QList<QStandardItem *> driverRow() const;
    QList<QStandardItem *> machineRow(const MachineStatus &status, const MachineID &current) const;
    QString driverStatusText(const MachineStatus &status) const;

    int m_driverID = 0;
    QString m_endpoint;
};

#endif // MACHINETREEMODEL_H
