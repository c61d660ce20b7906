#include "AboutDlg.h"

#include "BrewdeckApp.h"
#include "CommandIds.h"
#include "DialogUnits.h"
#include "FormBuilder.h"
#include "FormResources.h"
#include "FrameResources.h"
#include "resource.h"

CAboutDlg::CAboutDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
    const fw::DialogResource &dialog = res::dialogTemplate(IDD_ABOUTBOX);
    setObjectName(QStringLiteral("IDD_ABOUTBOX"));
    setWindowTitle(QString::fromUtf8(dialog.caption));
    setFont(fw::dialogFont(dialog));
    const fw::DialogUnits units(font());
    setFixedSize(units.size(dialog.width, dialog.height));
    setWindowIcon(res::loadIcon(IDR_MAINFRAME));

    const fw::FormControls controls = fw::buildForm(this, units, dialog, &res::loadIcon, [this](int id) {
        if (id == fw::ids::IDOK)
            accept();
    });
    if (QWidget *ok = controls.byId(fw::ids::IDOK))
        ok->setFocus();
}

CAboutDlg::~CAboutDlg() = default;

void CBrewdeckApp::OnAppAbout()
{
    CAboutDlg dialog(fw::Application::messageParent());
    dialog.exec();
}
