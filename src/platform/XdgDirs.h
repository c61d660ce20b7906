#pragma once

#include <QString>

namespace platform {

// $XDG_CONFIG_HOME, or ~/.config when it is unset, empty or relative.
QString xdgConfigHome();

// $XDG_DATA_HOME, or ~/.local/share when it is unset, empty or relative.
QString xdgDataHome();

} // namespace platform
