#pragma once

// Asking whether a folder may be written, and making one, in the terms the program's writes use.

#include <string>

namespace snapvale {

// Whether files may be created in `folder`: the system lets this process write there, and the
// folder's permission bits allow someone to write. A folder with no write bit for anyone counts
// as read-only even for a user (such as root) whom the system would let write, as it does for the
// program's file replacement. False when the folder does not exist.
bool MayWriteInFolder(const std::string& folder);

// Creates `folder` and any missing folders above it, the new ones readable by the user only,
// where MayWriteInFolder allows it. True when the folder exists afterwards.
bool CreateFolderPath(const std::string& folder);

} // namespace snapvale
