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
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "os/file_system.h"
#include "os/status.h"

namespace snapvale {

// Longest value a read returns; longer values are cut to their first kMaxIniValueLength bytes.
inline constexpr std::size_t kMaxIniValueLength = 254;

// Largest settings file that is read. Fifty thousand history entries of the longest folder
// names come to about 13 MiB; anything past this is not a settings file, and reading it would
// only fill memory.
inline constexpr std::size_t kMaxSettingsFileSize = 64u << 20;

// The text of a settings file, parsed once. A section's keys are indexed on the first lookup in
// it, after which a lookup takes constant time whatever the file's length. Writes change the
// text in memory the way `WriteIniString` changes the file, so a run of writes followed by
// `Text()` gives the same bytes as the same writes made one by one on disk. Because lookups fill
// the index, one object is not for use from several threads at once.
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
    // The file whose bytes are `text`, of at most kMaxSettingsFileSize bytes.
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

    // The values of the keys `prefix` followed by 0, 1, 2, … (in decimal, without sign or leading
    // zeros) in `section`, in that order, up to the first that is missing or empty: what `Read`
    // gives for each in turn, from one pass over the section and without indexing it.
    std::vector<std::string> ReadSeries(std::string_view section, std::string_view prefix) const;

    // Every key `prefix` followed by a number (in decimal, without sign or leading zeros, below a
    // billion) in `section`, with its number and what `Read` gives for it, ordered by number:
    // the whole series, with the numbers that are missing left out and empty values kept.
    struct NumberedValue
    {
        std::size_t number;
        std::string value;
    };
    std::vector<NumberedValue> ReadNumbered(
        std::string_view section, std::string_view prefix) const;

    // The file's bytes, with the writes made so far; a byte-order mark is kept.
    std::string Text() const;

private:
    // Lines are numbered in 32 bits: a file holds at most kMaxSettingsFileSize bytes, and each
    // write adds at most two lines.
    using LineIndex = std::uint32_t;
    static constexpr LineIndex kNoLine = static_cast<LineIndex>(-1);

    enum class LineEnd : std::uint8_t {
        None, // a last line without one
        CrLf,
        Lf,
        Cr,
    };

    // A line's text lives in text_ at [begin, begin + length). Lines added or rewritten append
    // their text to text_ and are linked into place, so a write costs no more than its own line.
    struct Line
    {
        std::size_t begin = 0;
        std::size_t length = 0;
        LineIndex next = kNoLine;
        LineEnd end = LineEnd::None;
    };

    // A section's keys: an open-addressing table of name hashes and line numbers, at most half
    // full. Flat, because a history of tens of thousands of keys is looked up one key at a time
    // and a table of nodes would cost a cache miss or two more for each.
    struct KeySlot
    {
        std::uint32_t hash = 0;
        LineIndex line = kNoLine; // kNoLine for an empty slot
    };

    struct Section
    {
        LineIndex header = kNoLine; // the first block's header line
        LineIndex lastLine = kNoLine; // header, or the block's last key line: new keys follow it
        std::size_t keyLines = 0; // key lines of the first block as read
        // The index, filled on the first lookup, so that sections never looked up cost nothing:
        // start-up reads the history as a series and needs none for it.
        mutable std::vector<KeySlot> keySlots;
        mutable std::size_t keyCount = 0;
    };

    static std::string_view EndBytes(LineEnd end);
    std::string_view TextOf(LineIndex line) const;
    std::string_view KeyNameOf(LineIndex line) const;
    std::string ValueOf(LineIndex line) const;
    const Section* FindSection(std::string_view section) const;
    template <typename Visit> void ForEachKeyLine(const Section& section, Visit visit) const;
    void Index(const Section& section) const;
    LineIndex FindKey(const Section& section, std::string_view key, std::uint32_t hash) const;
    static void AddKey(const Section& section, std::uint32_t hash, LineIndex line);
    LineIndex AddLine(std::string_view text, LineIndex after);
    void Parse();

    std::string text_;
    std::size_t bodyStart_ = 0; // past a byte-order mark
    std::vector<Line> lines_;
    LineIndex first_ = kNoLine;
    LineIndex last_ = kNoLine;
    LineEnd lineEnd_ = LineEnd::CrLf;
    std::unordered_map<std::string, Section> sections_; // upper-case name to its first block
};

// Loads the settings file at `file`. A missing file gives an empty profile. A file that cannot
// be used gives nothing, after one line on standard error saying why: one that is not a regular
// file (a folder, a FIFO, a device, a socket; never opened in a way that could block), one
// larger than kMaxSettingsFileSize, or one that cannot be read. A link counts as what it names.
std::optional<PrivateProfile> LoadPrivateProfile(
    const std::string& file, FileSystem& fs = FileSystem::Default());
// As above, and `why` says what is wrong with a file that cannot be used ("is not a regular
// file").
std::optional<PrivateProfile> LoadPrivateProfile(
    const std::string& file, FileSystem& fs, std::string& why);

// Writes `profile` to `file`, replacing it atomically (through a link, as for `WriteIniString`),
// and creates the file's folder when it is missing. When the write is not allowed or fails,
// nothing on disk is changed, and the reason is returned and named, with the file, in one line
// on standard error.
Status StorePrivateProfile(
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
// not write, and a folder this user may not write, are left as they are. A failure returns its
// reason after one line on standard error, and the caller's state goes on regardless.
Status WriteIniString(const std::string& section, const std::string& key, const std::string& value,
    const std::string& file, FileSystem& fs = FileSystem::Default());

} // namespace snapvale
