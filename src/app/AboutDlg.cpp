#include "AboutDlg.h"

#include "BrewdeckApp.h"

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("IDD_ABOUTBOX"));
}

CAboutDlg::~CAboutDlg() = default;

void CBrewdeckApp::OnAppAbout()
{
    CAboutDlg dialog(fw::Application::messageParent());
    dialog.exec();
}
