#pragma once

// The settings file, with the rules Windows applies to initialization files, so that a file
// written on Windows or edited by hand reads the same here. Texts and the file path are bytes (the
// path in the system's own encoding).
//
// `ReadIniString` and `WriteIniString` read or write one value. An operation that needs several
// values loads the file once into a `PrivateProfile`, reads and writes it in memory, and stores
// it once: the file may hold a folder history of any length, and reading it key by key from disk
// would cost time in the square of its length.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "os/file_system.h"

namespace snapvale {

// Longest value a read returns; longer values are cut to their first kMaxIniValueLength bytes.
inline constexpr std::size_t kMaxIniValueLength = 254;

// Largest settings file that is read. Fifty thousand history entries of the longest folder
// names come to about 13 MiB; anything past this is not a settings file, and reading it would
// only fill memory.
inline constexpr std::size_t kMaxSettingsFileSize = 64u << 20;

// The text of a settings file, parsed once. Lookups take constant time whatever the file's
// length; writes change the text in memory the way `WriteIniString` changes the file, so a run of
// writes followed by `Text()` gives the same bytes as the same writes made one by one on disk.
//
// Reading rules: a line whose first non-blank character is "[" opens a section, named by what
// follows up to "]" (or, without "]", by the rest of the line), trimmed; a line with "=" holds a
// key; ";" starts a comment. Names match regardless of ASCII letter case. Of a section written
// twice only the first block counts, and within it the first line of a key. CR LF, LF and a lone
// CR all end a line. A UTF-8 byte-order mark at the start is not part of the first line.
class PrivateProfile
{
public:
    // An empty file.
    PrivateProfile();
    // The file whose bytes are `text`.
    explicit PrivateProfile(std::string text);

    // The value of `key` in `section`, or `defaultValue` (without its trailing blanks) when
    // either is missing. A key present with an empty value reads as "". The value is trimmed, a
    // value in one pair of matching quotes comes back without them, and it ends at a NUL byte or
    // after kMaxIniValueLength bytes.
    std::string Read(
        std::string_view section, std::string_view key, std::string_view defaultValue) const;

    // Stores `value` under `key` in `section`. An existing key's line is rewritten, keeping the
    // key's spelling; a new key goes after the last key of its section (or its header); a new
    // section goes at the end. Every other line keeps its bytes. New lines end as the file's
    // first line does (CR LF in a file without line ends), and a last line that had no line end
    // gets one when a line is written after it or in its place.
    void Write(std::string_view section, std::string_view key, std::string_view value);

    // The file's bytes, with the writes made so far; a byte-order mark is kept.
    std::string Text() const;

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // A line's text lives in text_ at [begin, begin + length). Lines added or rewritten append
    // their text to text_ and are linked into place, so a write costs no more than its own line.
    struct Line
    {
        std::size_t begin = 0;
        std::size_t length = 0;
        std::string_view end; // "\r\n", "\n", "\r", or "" for a last line without one
        std::size_t next = kNone;
    };

    struct Section
    {
        std::size_t lastLine = kNone; // header, or the block's last key line: new keys go after it
        std::unordered_map<std::string, std::size_t> keys; // upper-case name to first line
    };

    std::string_view TextOf(const Line& line) const;
    std::size_t AddLine(std::string_view text, std::size_t after);
    void Parse();

    std::string text_;
    std::size_t bodyStart_ = 0; // past a byte-order mark
    std::vector<Line> lines_;
    std::size_t first_ = kNone;
    std::size_t last_ = kNone;
    std::string_view lineEnd_ = "\r\n";
    std::unordered_map<std::string, Section> sections_; // upper-case name to its first block
};

// Loads the settings file at `file`. A missing file gives an empty profile. A file that cannot
// be used gives nothing, after one line on standard error saying why: one that is not a regular
// file (a folder, a FIFO, a device, a socket; never opened in a way that could block), one
// larger than kMaxSettingsFileSize, or one that cannot be read. A link counts as what it names.
std::optional<PrivateProfile> LoadPrivateProfile(
    const std::string& file, FileSystem& fs = FileSystem::Default());

// Writes `profile` to `file`, replacing it atomically (through a link, as for `WriteIniString`),
// and creates the file's folder when it is missing. Returns false, with nothing on disk changed
// and one line naming the file on standard error, when the write is not allowed or fails.
bool StorePrivateProfile(
    const PrivateProfile& profile, const std::string& file, FileSystem& fs = FileSystem::Default());

// The value of `key` in `section` of `file`, or `defaultValue` (without its trailing blanks)
// when the file, the section or the key does not exist or the file cannot be used. The same
// rules as `PrivateProfile::Read`.
std::string ReadIniString(const std::string& section, const std::string& key,
    const std::string& file, const std::string& defaultValue,
    FileSystem& fs = FileSystem::Default());

// Stores `value` under `key` in `section` of `file`, creating the file, section or key as needed,
// and the file's folder when it is missing, as `PrivateProfile::Write` describes. The file is
// replaced atomically; a file that cannot be used (see `LoadPrivateProfile`) or that this user may
// not write, and a folder this user may not write, are left as they are. A failure returns false
// after one line on standard error, and the caller's state goes on regardless.
bool WriteIniString(const std::string& section, const std::string& key, const std::string& value,
    const std::string& file, FileSystem& fs = FileSystem::Default());

} // namespace snapvale
