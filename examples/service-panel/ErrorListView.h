#ifndef ERRORLISTVIEW_H
#define ERRORLISTVIEW_H

#include <QtWidgets/QTreeWidget>

//! The driver's errors as the store holds them: per row the machine they are
//! recorded on (the driver's generic machines for start and connection
//! errors), the code and the text. Read again on every refresh.
class ErrorListView : public QTreeWidget
{
    Q_OBJECT

public:
    enum Column { MachineColumn, CodeColumn, TextColumn };

    explicit ErrorListView(QWidget *parent = nullptr);

    //! The driver shown; 0 for none.
    void setDriver(int driverID);
    void refresh();
    //! The codes listed, in order.
    QStringList codes() const;

private:
    int m_driverID = 0;
};

#endif // ERRORLISTVIEW_H
