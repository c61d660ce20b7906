#include "AboutDlg.h"

#include "BrewdeckApp.h"
#include "DialogUnits.h"
#include "FrameResources.h"
#include "resource.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

namespace {

// The dialog's font; fontconfig stands in the nearest face where it is
// missing, and the dialog units follow that face.
QFont dialogFont()
{
    QFont font(QStringLiteral("MS Shell Dlg"));
    font.setPointSize(9);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// The icon is drawn at its own size, as a static icon control does.
constexpr int kIconPixels = 32;

} // namespace

CAboutDlg::CAboutDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("IDD_ABOUTBOX"));
    setWindowTitle(QStringLiteral("关于 Brewdeck"));
    setFont(dialogFont());
    const fw::DialogUnits units(font());
    setFixedSize(units.size(170, 62));

    const QIcon appIcon = res::loadIcon(IDR_MAINFRAME);
    setWindowIcon(appIcon);

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(appIcon.pixmap(QSize(kIconPixels, kIconPixels), devicePixelRatio()));
    icon->setGeometry(QRect(units.x(14), units.y(14), kIconPixels, kIconPixels));

    auto text = [this, &units](const char *name, const QString &caption, int x, int y, int w, int h) {
        auto *label = new QLabel(caption, this);
        label->setObjectName(QLatin1String(name));
        label->setTextFormat(Qt::PlainText);
        label->setGeometry(units.rect(x, y, w, h));
        return label;
    };
    text("aboutVersion", QStringLiteral("Brewdeck, Version 1.0"), 42, 14, 114, 8);
    text("aboutNotice", QStringLiteral("版权所有 (C) 2026"), 42, 26, 114, 8);

    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    ok->setGeometry(units.rect(113, 41, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
}

CAboutDlg::~CAboutDlg() = default;

void CBrewdeckApp::OnAppAbout()
{
    CAboutDlg dialog(fw::Application::messageParent());
    dialog.exec();
}
