#pragma once

#include <QDialog>

/// The About box: the program icon, the product name, one line of credits and OK.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
