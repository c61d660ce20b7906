#pragma once

#include <QString>

#include <functional>

namespace platform {

// How copyFileInto ended.
enum class CopyOutcome {
    Copied,       // the file now lies in the folder
    AlreadyThere, // the chosen file is the very file in the folder: nothing was written
    Declined,     // a file of that name was there and was not to be replaced
    Cancelled,    // stopped through the progress callback
    Failed,       // see CopyResult::failedStep and reason
};

// The step that failed.
enum class CopyStep {
    None,
    OpenSource,     // the chosen file cannot be opened for reading
    SourceNotFile,  // the chosen path is not a regular file (a folder, a pipe, a device)
    MakeFolder,     // the destination folder is missing and cannot be made
    TargetIsFolder, // a folder of the file's name is in the destination folder
    CreateCopy,     // no new file can be made in the destination folder
    Transfer,       // reading or writing the data failed (a full disk, a read error)
    TrashOld,       // the file to be replaced cannot be moved to the trash
    PutInPlace,     // the finished copy cannot be given the file's name
};

struct CopyResult
{
    CopyOutcome outcome = CopyOutcome::Failed;
    CopyStep failedStep = CopyStep::None;
    // The file's path in the destination folder.
    QString target;
    // The file or folder that the failed step worked on, and the system's reason.
    QString failedPath;
    QString reason;
    // Where a replaced file went in the trash.
    QString trashedOld;

    bool succeeded() const { return outcome == CopyOutcome::Copied || outcome == CopyOutcome::AlreadyThere; }
};

struct CopyCallbacks
{
    // Asked when a file of the same name is already in the folder; true
    // replaces it, and the old file goes to the desktop trash. Unset: no.
    std::function<bool(const QString &existingFile)> confirmReplace;
    // Told the bytes copied so far and the total, first with 0 and last with
    // the total; returning false cancels the copy.
    std::function<bool(qint64 done, qint64 total)> progress;
};

// Copies one file into a folder under its own name, making the folder when it
// is missing. The data goes to a hidden temporary file in the folder that is
// renamed into place only when complete, so nobody ever sees half a file;
// whatever ends the copy early (cancel, failure) removes it again and leaves
// a replaced file where it was. A file chosen from the folder itself is left
// alone. No limit on path lengths beyond the system's own.
CopyResult copyFileInto(const QString &source, const QString &folder, const CopyCallbacks &callbacks = {});

} // namespace platform
