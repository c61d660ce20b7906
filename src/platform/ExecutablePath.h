#pragma once

#include <QString>

#include <optional>

namespace platform {

// The real path of the running executable, with every symbolic link resolved;
// nothing when the kernel cannot tell it.
std::optional<QString> executablePath();

// The folder part of an absolute path: everything before the last '/'.
// "/opt/bd/brewdeck" gives "/opt/bd" and "/brewdeck" the empty string, so that
// joining "/name" to it still gives an absolute path. Nothing when the path has
// no separator at all.
std::optional<QString> folderOf(const QString &path);

} // namespace platform
