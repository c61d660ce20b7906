#pragma once

#include <vector>

namespace fw {

// Dialog templates in the shape the form builder lays them out: a font, a
// size and the controls, all in dialog units of that font. Texts are UTF-8.

enum class ControlKind {
    GroupBox,   // a titled frame, kept behind the controls drawn inside it
    Label,      // one line of plain text, centred vertically
    Icon,       // an icon resource, drawn at the standard icon size
    ReadOnlyEdit,
    ListBox,    // single selection, in the order the items are added
    PushButton,
};

// Control style bits.
enum ControlStyle : unsigned {
    NoStyle = 0,
    AlignRight = 1,     // labels: text against the right edge
    DefaultButton = 2,  // push buttons: the one Enter presses
};

// One control of a template. Controls that the program addresses carry their
// IDC_ (or IDOK) id; labels, frames and icons carry -1. The object name is
// what tests and the program's log know the control by.
struct ControlResource
{
    ControlKind kind;
    int id;
    const char *objectName;
    const char *text;
    int x;
    int y;
    int width;
    int height;
    unsigned style = NoStyle;
    // Icons: the icon resource to draw.
    int iconId = 0;
};

// A dialog template: its IDD_ id, caption, font and size, and its controls in
// template order, which is also the tab order of those that take the focus.
struct DialogResource
{
    int id;
    const char *caption;
    const char *fontFamily;
    int pointSize;
    int width;
    int height;
    std::vector<ControlResource> controls;
};

} // namespace fw
