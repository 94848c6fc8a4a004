#pragma once

// Asking whether a folder may be written, and making one, in the terms the program's writes use.

#include <string>

#include "os/file_system.h"

namespace snapvale {

// Whether files may be created in `folder`: it is a folder, and `fs` says this user may change its
// entries (so a folder with no write bit for anyone counts as read-only even for root, as it does
// for the program's file replacement). False when the folder does not exist.
bool MayWriteInFolder(const std::string& folder, FileSystem& fs = FileSystem::Default());

// Creates `folder` and any missing folders above it, the new ones readable by the user only,
// where MayWriteInFolder allows it. Succeeds when the folder exists afterwards; otherwise says
// which folder could not be made, and why.
Status CreateFolderPath(const std::string& folder, FileSystem& fs = FileSystem::Default());

} // namespace snapvale
