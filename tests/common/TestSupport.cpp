#include "TestSupport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>

namespace testsupport {

void answerNextModal(std::function<void(QWidget *)> answer, int timeoutMs)
{
    auto *timer = new QTimer(qApp);
    const QDeadlineTimer deadline(timeoutMs);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer = std::move(answer), deadline] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            // A dialog becomes the active modal widget as it shows, which may
            // be before its own event loop runs; answering from inside that
            // loop makes sure the answer ends it.
            QTimer::singleShot(0, modal, [answer, modal] { answer(modal); });
        } else if (deadline.hasExpired()) {
            timer->stop();
            timer->deleteLater();
            qWarning("answerNextModal: no modal dialog appeared");
        }
    });
    timer->start();
}

} // namespace testsupport
