#pragma once

#include "DialogResources.h"

namespace res {

// Dialog templates by id: IDD_WORKSPACE_FORM (the main window's form) and
// IDD_ABOUTBOX; an empty template with id 0 for any other id.
const fw::DialogResource &dialogTemplate(int id);

} // namespace res
