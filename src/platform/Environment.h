#pragma once

#include <QString>

namespace platform {

// Sets a variable in this process's own environment; children started later
// inherit it. False when the name is not a valid variable name.
bool setEnvironmentVariable(const char *name, const QString &value);

// Removes a variable from this process's own environment, if it is there.
bool removeEnvironmentVariable(const char *name);

} // namespace platform
