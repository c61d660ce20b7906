#pragma once

#include <QKeyCombination>
#include <QSize>

#include <vector>

namespace fw {

// Resource tables in the shape the frame loads them. Texts are UTF-8; a
// command's prompt and tooltip come from the string of the same id.

// One item of a popup menu; id 0 (ID_SEPARATOR) is a separator.
struct MenuItem
{
    int id;
    const char *text;
};

struct MenuPopup
{
    const char *text;
    std::vector<MenuItem> items;
};

using MenuResource = std::vector<MenuPopup>;

// One key of an accelerator table; several keys may carry the same command.
struct Accelerator
{
    QKeyCombination key;
    int id;
};

using AcceleratorResource = std::vector<Accelerator>;

// A toolbar: its buttons' command ids in order, ID_SEPARATOR for a gap, and
// the size of the button images.
struct ToolBarResource
{
    QSize imageSize;
    std::vector<int> ids;
};

} // namespace fw
