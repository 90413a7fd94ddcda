#ifndef CONNECTDIALOG_H
#define CONNECTDIALOG_H

#include "ConnectRequest.h"

#include <QtWidgets/QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

//! Where the driver is and at which communication level to start it. Plain
//! HTTP or TLS is shown as the client settings file says; it is changed
//! there, not here.
class ConnectDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ConnectDialog(const ConnectRequest &initial, QWidget *parent = nullptr);

    ConnectRequest request() const;

private:
    QLineEdit *m_address = nullptr;
    QSpinBox *m_port = nullptr;
    QLabel *m_tls = nullptr;
    QComboBox *m_level = nullptr;
};

#endif // CONNECTDIALOG_H
