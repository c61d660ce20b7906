#pragma once

#include "MenuResources.h"

#include <QIcon>
#include <QString>

namespace res {

// Menu IDR_MAINFRAME: the main window's menu bar.
const fw::MenuResource &mainMenu();
// Accelerators IDR_MAINFRAME: the main window's keys.
const fw::AcceleratorResource &mainAccelerators();
// Toolbar IDR_MAINFRAME: the main window's buttons and their image size.
const fw::ToolBarResource &mainToolBar();

// The image of a toolbar button, by command id; a null icon for others.
QIcon toolBarImage(int commandId);

// Icons by resource id: IDR_MAINFRAME (the application) and
// IDR_BREWDECK_DOCUMENT_ICON (documents); a null icon for others.
QIcon loadIcon(int resourceId);
// The icon's SVG file among the program's resources (":/icons/..."), for
// whatever needs the drawing itself; empty for an unknown id.
QString iconResourcePath(int resourceId);

} // namespace res
