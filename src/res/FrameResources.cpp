#include "FrameResources.h"

#include "CommandIds.h"
#include "resource.h"

#include <QFile>
#include <QImageReader>
#include <QPixmap>

// Resources compiled into a static library are registered by hand.
static void initIconResources()
{
    Q_INIT_RESOURCE(brewdeck);
    Q_INIT_RESOURCE(brewdeck_icons);
}

namespace res {

namespace {

void ensureResources()
{
    static const bool registered = (initIconResources(), true);
    Q_UNUSED(registered);
}

// The icons shown are PNGs drawn from the SVGs at build time, one per size
// asked for (see brewdeck_render_icon); the SVGs themselves are installed.
QIcon shownIcon(const QString &name)
{
    ensureResources();
    QIcon icon;
    for (const int size : {16, 32, 64, 128}) {
        const QString path = QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size);
        if (!QFile::exists(path))
            continue;
        // Without detection QImageReader reads the PNG itself instead of
        // loading every image plugin to ask it about the file first.
        QImageReader reader(path, "PNG");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

} // namespace

const fw::MenuResource &mainMenu()
{
    using namespace fw::ids;
    static const fw::MenuResource menu = {
        {"文件(&F)", {{ID_SEPARATOR, nullptr}, {ID_APP_EXIT, "退出(&X)"}}},
        {"视图(&V)", {{ID_VIEW_TOOLBAR, "工具栏(&T)"}, {ID_VIEW_STATUS_BAR, "状态栏(&S)"}}},
        // The items have a blank before "WEB"; their prompts have none.
        {"WEB服务(&W)", {{ID_WEB_START, "启动 WEB服务"}, {ID_WEB_STOP, "停止 WEB服务"}}},
        {"帮助(&H)", {{ID_APP_ABOUT, "关于 Brewdeck(&A)..."}}},
    };
    return menu;
}

const fw::AcceleratorResource &mainAccelerators()
{
    using namespace fw::ids;
    static const fw::AcceleratorResource keys = {
        {Qt::CTRL | Qt::Key_N, ID_FILE_NEW},
        {Qt::CTRL | Qt::Key_O, ID_FILE_OPEN},
        {Qt::CTRL | Qt::Key_S, ID_FILE_SAVE},
        {Qt::CTRL | Qt::Key_Z, ID_EDIT_UNDO},
        {Qt::CTRL | Qt::Key_X, ID_EDIT_CUT},
        {Qt::CTRL | Qt::Key_C, ID_EDIT_COPY},
        {Qt::CTRL | Qt::Key_V, ID_EDIT_PASTE},
        {Qt::ALT | Qt::Key_Backspace, ID_EDIT_UNDO},
        {Qt::SHIFT | Qt::Key_Delete, ID_EDIT_CUT},
        {Qt::CTRL | Qt::Key_Insert, ID_EDIT_COPY},
        {Qt::SHIFT | Qt::Key_Insert, ID_EDIT_PASTE},
        {QKeyCombination(Qt::Key_F6), ID_NEXT_PANE},
        {Qt::SHIFT | Qt::Key_F6, ID_PREV_PANE},
    };
    return keys;
}

const fw::ToolBarResource &mainToolBar()
{
    using namespace fw::ids;
    static const fw::ToolBarResource toolBar = {
        QSize(16, 16),
        {ID_WEB_START, ID_WEB_STOP, ID_SEPARATOR, ID_APP_ABOUT},
    };
    return toolBar;
}

QIcon toolBarImage(int commandId)
{
    switch (commandId) {
    case ID_WEB_START:
        return shownIcon(QStringLiteral("web-start"));
    case ID_WEB_STOP:
        return shownIcon(QStringLiteral("web-stop"));
    case fw::ids::ID_APP_ABOUT:
        return shownIcon(QStringLiteral("about"));
    default:
        return {};
    }
}

QString iconResourcePath(int resourceId)
{
    ensureResources();
    switch (resourceId) {
    case IDR_MAINFRAME:
        return QStringLiteral(":/icons/brewdeck.svg");
    case IDR_BREWDECK_DOCUMENT_ICON:
        return QStringLiteral(":/icons/brewdeck-document.svg");
    default:
        return {};
    }
}

QIcon loadIcon(int resourceId)
{
    switch (resourceId) {
    case IDR_MAINFRAME:
        return shownIcon(QStringLiteral("brewdeck"));
    case IDR_BREWDECK_DOCUMENT_ICON:
        return shownIcon(QStringLiteral("brewdeck-document"));
    default:
        return {};
    }
}

} // namespace res
