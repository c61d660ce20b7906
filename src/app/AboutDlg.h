#pragma once

#include <QDialog>

// The About box, made from its template IDD_ABOUTBOX: the application icon,
// the name and version, a notice line and "确定". OK, Escape and the close
// button end it.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget *parent = nullptr);
    ~CAboutDlg() override;
};
