#pragma once

namespace res {

// Fills the process-wide string table with the program's and the
// framework's texts. Safe to call more than once.
void loadStringTable();

} // namespace res
