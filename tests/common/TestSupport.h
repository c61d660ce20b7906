#pragma once

#include "CoreSupport.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <vector>

class QDialog;

namespace testsupport {

// Answers dialogs as they open, in the order the test queued its answers.
// It watches every Show event, so it works for exec()'d dialogs and for a
// progress dialog alike, and needs no polling. A dialog that no answer was
// queued for is recorded and rejected, so a stray message fails the test
// instead of hanging it.
class DialogDriver : public QObject
{
    Q_OBJECT

public:
    using Answer = std::function<void(QDialog *)>;

    DialogDriver();
    ~DialogDriver() override;

    void expect(Answer answer);
    // Answers still waiting for their dialog, and dialogs nobody expected.
    int pendingAnswers() const { return int(m_answers.size()); }
    QStringList unexpected() const { return m_unexpected; }
    void clear();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::vector<Answer> m_answers;
    QStringList m_unexpected;
};

// What a test saw of an open-file dialog.
struct FileDialogSeen
{
    bool shown = false;
    QString title;
    QStringList nameFilters;
    QString defaultTitle; // what Qt's own dialog shows when nobody sets one
};

// Answers for the driver.
// Chooses a file the way a user does: the dialog goes to the file's folder
// under the first type that names it, the file is selected in its list once
// it shows (a new file's name is typed) and "Open" or "Save" is pressed. A
// dialog that cannot be answered so fails the check and is cancelled.
DialogDriver::Answer chooseFile(const QString &path, FileDialogSeen *seen = nullptr);
DialogDriver::Answer cancelFileDialog(FileDialogSeen *seen = nullptr);
// Presses the message box's button of the given role and keeps its text.
DialogDriver::Answer answerMessage(int standardButton, QString *text = nullptr);

} // namespace testsupport
