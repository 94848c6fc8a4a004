#pragma once

// Storing the image folder the user chose, with the folder history, so that copies of the
// program running at the same time keep each other's history.

#include <string>
#include <vector>

#include "os/file_system.h"
#include "os/status.h"

namespace snapvale {

struct StoredFolder
{
    Status status; // whether the file was written, and why not
    // The history as the file now holds it, oldest first; what the run goes on with, also when
    // the write failed. Never empty: it holds the folder.
    std::vector<std::string> history;
};

// Stores `folder` as the image folder in the settings file `file` and adds it to the folder
// history there, in one read and one replace of the file. The history is the file's own as it is
// now, not `known` (another copy of the program may have added to it or cleared it): its keys
// in the order of their numbers up to the first empty one, numbers missing between them passed
// over, each folder once; `folder` joins the end unless it is there already. It is written back
// numbered from 0 without gaps, and any key past its end that still holds a folder is blanked,
// so that start-up, which stops at the first missing or empty key, reads exactly this history.
// Keys already right are not rewritten, and every other byte of the file stays as it was.
//
// When the file cannot be used it is left alone, and the history is `known` with `folder` added.
// A failure is reported as `StorePrivateProfile` and `LoadPrivateProfile` report theirs.
StoredFolder StoreChosenFolder(const std::string& file, const std::string& folder,
    const std::vector<std::string>& known, FileSystem& fs = FileSystem::Default());

} // namespace snapvale
