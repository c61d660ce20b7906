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
    NameNotUtf8,    // the chosen file's name on disk is not UTF-8, so it reached us changed
    SourceNotFile,  // the chosen path is not a regular file (a folder, a pipe, a device)
    FolderMissing,  // the folder that must already exist (CopyOptions::makeFoldersBelow) is missing
    MakeFolder,     // the destination folder is missing and cannot be made
    TargetIsFolder, // a folder of the file's name is in the destination folder
    CreateCopy,     // no new file can be made in the destination folder
    Transfer,       // reading or writing the data failed (a full disk, a read error)
    SourceChanged,  // the chosen file changed size or time while it was copied
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

struct CopyOptions
{
    // A missing destination folder is made only below this folder, which
    // must exist itself; empty: the destination folder must exist.
    QString makeFoldersBelow;
    // Off only to exercise the fallbacks for file systems without them:
    // writing through an unnamed file (O_TMPFILE), and replacing by swapping
    // the two files in one step (RENAME_EXCHANGE).
    bool unnamedFile = true;
    bool exchange = true;
};

// The prefix of the hidden files a copy may leave for a moment in the folder.
inline constexpr char kCopyTemporaryPrefix[] = ".brewdeck-copy-";

// Copies one file into a folder under its own name. The data goes to an
// unnamed file in the folder (a hidden temporary one where the file system
// has no unnamed files) that gets the name only when complete and unchanged
// at the source, so nobody ever sees half a file and a killed copy leaves
// nothing. A replaced file is swapped with the new one in one step and then
// goes to the trash; where the file system cannot swap, the old file goes
// to the trash first and the new one takes its name after. Whatever ends the
// copy early (cancel, failure, a source that changed) leaves the folder as it
// was. Our own temporary files older than a minute that no copy holds are
// removed first. A file chosen from the folder itself is left alone. No
// limit on path lengths beyond the system's own.
CopyResult copyFileInto(const QString &source, const QString &folder, const CopyCallbacks &callbacks = {},
                        const CopyOptions &options = {});

} // namespace platform
