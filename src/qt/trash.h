#pragma once

// Screenshots moved to the system's trash (the freedesktop trash on Linux, the Recycle Bin on
// Windows), and brought back from it: the last one first, to the name it had, never over a file
// that took that name since. Nothing here deletes a file for good: a file that cannot go to a
// trash stays where it is.

#include <string>
#include <vector>

#include <QString>

#include "os/file_system.h"

namespace snapvale {

class Trash
{
public:
    enum class Status {
        Done,
        Missing, // nothing is at the path (any more)
        ReadOnly, // the file or its folder is marked read-only: it stays where it is
        NotTrashed, // the system has no trash for it or refused: it stays where it is
        NothingToUndo,
        NameTaken, // another file has the name now: the file stays in the trash
        GoneFromTrash, // the trash no longer holds the file (emptied since)
        NotRestored, // the system refused to move it back: it stays in the trash
    };

    struct Outcome
    {
        Status status = Status::Done;
        std::string path; // the file's own path (for an undo, the one it had)
        QString reason; // the system's message, where it gave one
    };

    explicit Trash(FileSystem& fs = FileSystem::Default());

    // Moves the file at `path` to the system's trash and remembers it for UndoLast.
    Outcome MoveToTrash(const std::string& path);

    // Whether a file moved to the trash in this run is still to be brought back.
    bool CanUndo() const { return !deleted_.empty(); }

    // Brings the file most lately moved to the trash back to its path, and forgets it: also when
    // it cannot come back (its name taken, the trash emptied), so the next undo reaches the one
    // before it.
    Outcome UndoLast();

private:
    struct Deleted
    {
        std::string path;
        QString inTrash;
    };

    FileSystem& fs_;
    std::vector<Deleted> deleted_;
};

// What to tell the user about an outcome, in Japanese; empty for Done.
QString TrashMessage(const Trash::Outcome& outcome);

} // namespace snapvale
