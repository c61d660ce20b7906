#pragma once

#include "CoreSupport.h"

#include <functional>

class QWidget;

namespace testsupport {

// Answers the next modal dialog that opens: the callback gets it once it is
// the active modal widget. Polls from the event loop, so it works from inside
// the exec() of the dialog under test. Gives up after timeoutMs.
void answerNextModal(std::function<void(QWidget *)> answer, int timeoutMs = 10000);

} // namespace testsupport
