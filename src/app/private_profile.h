#pragma once

// The settings file: one value read or written at a time, with the rules Windows applies to
// initialization files, so that a file written on Windows or edited by hand reads the same here.
// Texts and the file path are bytes (the path in the system's own encoding).

#include <string>

#include "os/file_system.h"

namespace snapvale {

// Longest value a read returns; longer values are cut to their first kMaxIniValueLength bytes.
inline constexpr std::size_t kMaxIniValueLength = 254;

// The value of `key` in `section` of `file`, or `defaultValue` when the file, the section or the
// key does not exist, or the file cannot be read. A key present with an empty value reads as "".
// Section and key names match regardless of letter case; a value in one pair of matching quotes
// comes back without them.
std::string ReadIniString(const std::string& section, const std::string& key,
    const std::string& file, const std::string& defaultValue,
    FileSystem& fs = FileSystem::Default());

// Stores `value` under `key` in `section` of `file`, creating the file, section or key as needed,
// and the file's folder when it is missing. Only the written (or inserted) line changes; every
// other byte of the file stays as it was. The file is replaced atomically, so a failure
// (read-only file or folder, full disk) leaves the earlier file untouched, and a file that exists
// but cannot be read is never replaced; a failure returns false and prints one line naming the
// file on standard error, and the caller's state goes on regardless.
bool WriteIniString(const std::string& section, const std::string& key, const std::string& value,
    const std::string& file, FileSystem& fs = FileSystem::Default());

} // namespace snapvale
