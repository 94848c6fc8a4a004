#pragma once

// The system's file manager, opened on the screenshot folder.

#include <string>

namespace snapvale {

// Opens `folder` in the system's file manager, with the file `file` in it selected where the
// system allows that (Explorer on Windows; elsewhere the folder opens as the desktop's default
// handler shows folders). `file` may be "". False when no file manager could be started.
bool ShowInFileManager(const std::string& folder, const std::string& file);

} // namespace snapvale
