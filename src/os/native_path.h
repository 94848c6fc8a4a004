#pragma once

// The core's UTF-8 paths as the standard library's path type, for the few places that hand a
// path to the standard library rather than to the FileSystem seam.

#include <filesystem>
#include <string>

namespace snapvale {

// `path` (UTF-8, as the core holds paths) as a std::filesystem::path naming the same file. On
// Windows the library would read a narrow string in the ANSI code page, so the text is converted
// from UTF-8 here; elsewhere the bytes are the file system's own and pass unchanged. A path that
// is not valid UTF-8 on Windows names no file: the result is empty.
std::filesystem::path NativePath(const std::string& path);

// The other way: a standard library path as the core holds paths (UTF-8 on Windows, the file
// system's own bytes elsewhere); empty when it has no such form.
std::string PathText(const std::filesystem::path& path);

} // namespace snapvale
