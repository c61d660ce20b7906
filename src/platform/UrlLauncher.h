#pragma once

#include <QString>

namespace platform {

// Opens an address with the desktop's handler for its scheme (xdg-open,
// which honours $BROWSER). The handler runs detached with the program's
// environment as it is now, gets the address as one argument and never
// passes through a shell; nothing waits for it. False when it could not
// be started.
bool openUrl(const QString &address);

} // namespace platform
