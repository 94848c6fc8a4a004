#include "settings/private_profile.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>
#include <iostream>
#include <utility>

#include "base/ascii_case.h"
#include "os/file_replace.h"
#include "os/folder_access.h"

namespace snapvale {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kCrLf = "\r\n";

enum class LineKind {
    Other, // blank, comment, or text without "="
    Section,
    Key,
};

struct ParsedLine
{
    LineKind kind = LineKind::Other;
    std::string_view name; // section or key name, trimmed
    std::string_view value; // key value, trimmed, quotes not yet removed
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimEnd(std::string_view text)
{
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return TrimEnd(text);
}

ParsedLine ParseLine(std::string_view text)
{
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty() || trimmed.front() == ';')
        return {};
    if (trimmed.front() == '[') {
        // Windows opens a section even when the "]" is missing; the name is then the rest.
        const std::string_view name = trimmed.substr(1, trimmed.find(']', 1) - 1);
        return { LineKind::Section, Trim(name), {} };
    }
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos)
        return {};
    return { LineKind::Key, Trim(trimmed.substr(0, equals)), Trim(trimmed.substr(equals + 1)) };
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::string UpperCase(std::string_view name)
{
    std::string upper(name);
    for (char& c : upper)
        c = AsciiUpper(c);
    return upper;
}

// FNV-1a over the name with ASCII letters folded, so that names differing only in case meet.
std::uint32_t NameHash(std::string_view name)
{
    std::uint32_t hash = 2166136261u;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(AsciiUpper(c));
        hash *= 16777619u;
    }
    return hash;
}

// `digits` as a number below `bound`, when it is one written in decimal without sign or leading
// zeros; nothing otherwise.
std::optional<std::size_t> DecimalBelow(std::string_view digits, std::size_t bound)
{
    if (digits.empty() || (digits.size() > 1 && digits.front() == '0'))
        return std::nullopt;
    std::size_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::size_t>(c - '0');
        if (value >= bound)
            return std::nullopt;
    }
    return value;
}

std::string DefaultValue(std::string_view defaultValue)
{
    return std::string(TrimEnd(defaultValue));
}

// The settings file at `file`, or nothing with `why` saying what is wrong with it.
std::optional<PrivateProfile> Load(const std::string& file, FileSystem& fs, std::string& why)
{
    std::string bytes;
    switch (fs.ReadFile(file, bytes, kMaxSettingsFileSize)) {
    case ReadStatus::Ok:
        return PrivateProfile(std::move(bytes));
    case ReadStatus::NotFound:
        return PrivateProfile();
    case ReadStatus::NotRegular:
        why = "is not a regular file";
        return std::nullopt;
    case ReadStatus::TooLarge:
        why = "is larger than 64 MiB";
        return std::nullopt;
    case ReadStatus::Failed:
        break;
    }
    why = "cannot be read";
    return std::nullopt;
}

} // namespace

PrivateProfile::PrivateProfile() = default;

PrivateProfile::PrivateProfile(std::string text)
    : text_(std::move(text))
{
    assert(text_.size() <= kMaxSettingsFileSize);
    Parse();
}

std::string_view PrivateProfile::EndBytes(LineEnd end)
{
    switch (end) {
    case LineEnd::CrLf:
        return "\r\n";
    case LineEnd::Lf:
        return "\n";
    case LineEnd::Cr:
        return "\r";
    case LineEnd::None:
        break;
    }
    return {};
}

std::string_view PrivateProfile::TextOf(LineIndex line) const
{
    return std::string_view(text_).substr(lines_[line].begin, lines_[line].length);
}

std::string_view PrivateProfile::KeyNameOf(LineIndex line) const
{
    return ParseLine(TextOf(line)).name;
}

std::string PrivateProfile::ValueOf(LineIndex line) const
{
    std::string_view value = Unquote(ParseLine(TextOf(line)).value);
    value = value.substr(0, value.find('\0'));
    return std::string(value.substr(0, kMaxIniValueLength));
}

const PrivateProfile::Section* PrivateProfile::FindSection(std::string_view section) const
{
    const auto found = sections_.find(UpperCase(section));
    return found == sections_.end() ? nullptr : &found->second;
}

// Calls visit(line, name) for each key line of the section's first block, in file order.
template <typename Visit>
void PrivateProfile::ForEachKeyLine(const Section& section, Visit visit) const
{
    for (LineIndex i = lines_[section.header].next; i != kNoLine; i = lines_[i].next) {
        const ParsedLine parsed = ParseLine(TextOf(i));
        if (parsed.kind == LineKind::Section)
            break;
        if (parsed.kind == LineKind::Key)
            visit(i, parsed.name);
    }
}

void PrivateProfile::Index(const Section& section) const
{
    if (!section.keySlots.empty())
        return;
    // Sized once for every key line the block held when it was read: a table that doubled its way
    // up to a long history would touch twice the memory.
    section.keySlots.assign(std::bit_ceil(std::max<std::size_t>(16, 2 * section.keyLines + 2)), {});
    ForEachKeyLine(section, [&](LineIndex line, std::string_view name) {
        const std::uint32_t hash = NameHash(name);
        if (FindKey(section, name, hash) == kNoLine) // the first line of a key counts
            AddKey(section, hash, line);
    });
}

PrivateProfile::LineIndex PrivateProfile::FindKey(
    const Section& section, std::string_view key, std::uint32_t hash) const
{
    Index(section);
    const std::size_t mask = section.keySlots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const KeySlot& slot = section.keySlots[i];
        if (slot.line == kNoLine)
            return kNoLine;
        if (slot.hash == hash && EqualIgnoringAsciiCase(KeyNameOf(slot.line), key))
            return slot.line;
    }
}

void PrivateProfile::AddKey(const Section& section, std::uint32_t hash, LineIndex line)
{
    const auto place = [](std::vector<KeySlot>& table, KeySlot key) {
        const std::size_t mask = table.size() - 1;
        std::size_t i = key.hash & mask;
        while (table[i].line != kNoLine)
            i = (i + 1) & mask;
        table[i] = key;
    };
    if (2 * (section.keyCount + 1) > section.keySlots.size()) {
        std::vector<KeySlot> old(2 * section.keySlots.size());
        old.swap(section.keySlots);
        for (const KeySlot& slot : old)
            if (slot.line != kNoLine)
                place(section.keySlots, slot);
    }
    place(section.keySlots, { hash, line });
    ++section.keyCount;
}

void PrivateProfile::Parse()
{
    const std::string_view text = text_;
    if (text.starts_with(kByteOrderMark))
        bodyStart_ = kByteOrderMark.size();

    // CR and LF are looked for apart, each with memchr: a search for either byte at once goes
    // byte by byte. Counting them first sizes the line list once, with no copies as it grows.
    const auto next = [text](char c, std::size_t from) {
        const void* found = std::memchr(text.data() + from, c, text.size() - from);
        return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data())
                     : std::string_view::npos;
    };
    std::size_t lineEnds = 0;
    for (const char c : { '\r', '\n' })
        for (std::size_t at = next(c, bodyStart_); at != std::string_view::npos;
             at = next(c, at + 1))
            ++lineEnds;
    lines_.reserve(lineEnds + 1);

    Section* current = nullptr;
    bool inFirstBlock = false;
    bool lineEndSeen = false;
    std::size_t at = bodyStart_;
    std::size_t nextCr = next('\r', at);
    std::size_t nextLf = next('\n', at);
    while (at < text.size()) {
        if (nextCr < at)
            nextCr = next('\r', at);
        if (nextLf < at)
            nextLf = next('\n', at);
        const std::size_t stop = std::min(nextCr, nextLf);
        Line line;
        line.begin = at;
        line.length = std::min(stop, text.size()) - at;
        if (stop == std::string_view::npos)
            line.end = LineEnd::None;
        else if (text[stop] == '\n')
            line.end = LineEnd::Lf;
        else
            line.end = text.substr(stop, 2) == kCrLf ? LineEnd::CrLf : LineEnd::Cr;
        at += line.length + EndBytes(line.end).size();
        if (!lineEndSeen && line.end != LineEnd::None) {
            lineEnd_ = line.end; // new lines follow the file's own line ends
            lineEndSeen = true;
        }

        const auto index = static_cast<LineIndex>(lines_.size());
        if (last_ != kNoLine)
            lines_[last_].next = index;
        else
            first_ = index;
        last_ = index;
        lines_.push_back(line);

        const ParsedLine parsed = ParseLine(TextOf(index));
        if (parsed.kind == LineKind::Section) {
            const auto [found, isNew] = sections_.try_emplace(UpperCase(parsed.name));
            current = &found->second;
            inFirstBlock = isNew;
            if (isNew)
                current->header = current->lastLine = index;
        } else if (parsed.kind == LineKind::Key && current && inFirstBlock) {
            current->lastLine = index;
            ++current->keyLines;
        }
    }
}

std::string PrivateProfile::Read(
    std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    const Section* found = FindSection(section);
    const LineIndex line = found ? FindKey(*found, key, NameHash(key)) : kNoLine;
    return line == kNoLine ? DefaultValue(defaultValue) : ValueOf(line);
}

std::vector<std::string> PrivateProfile::ReadSeries(
    std::string_view section, std::string_view prefix) const
{
    const Section* found = FindSection(section);
    if (!found)
        return {};
    // A series without gaps cannot number past the lines after the header.
    std::size_t bound = 0;
    for (LineIndex i = lines_[found->header].next; i != kNoLine; i = lines_[i].next)
        ++bound;
    std::vector<LineIndex> lineOf(bound, kNoLine);
    ForEachKeyLine(*found, [&](LineIndex line, std::string_view name) {
        if (name.size() <= prefix.size()
            || !EqualIgnoringAsciiCase(name.substr(0, prefix.size()), prefix))
            return;
        const std::optional<std::size_t> n = DecimalBelow(name.substr(prefix.size()), bound);
        if (n && lineOf[*n] == kNoLine) // the first line of a key counts
            lineOf[*n] = line;
    });

    const auto end = std::find(lineOf.begin(), lineOf.end(), kNoLine);
    std::vector<std::string> values;
    values.reserve(static_cast<std::size_t>(end - lineOf.begin()));
    for (auto line = lineOf.begin(); line != end; ++line) {
        std::string value = ValueOf(*line);
        if (value.empty())
            break;
        values.push_back(std::move(value));
    }
    return values;
}

std::vector<PrivateProfile::NumberedValue> PrivateProfile::ReadNumbered(
    std::string_view section, std::string_view prefix) const
{
    constexpr std::size_t kNumberBound = 1'000'000'000;
    const Section* found = FindSection(section);
    if (!found)
        return {};
    std::vector<std::pair<std::size_t, LineIndex>> lines;
    ForEachKeyLine(*found, [&](LineIndex line, std::string_view name) {
        if (name.size() <= prefix.size()
            || !EqualIgnoringAsciiCase(name.substr(0, prefix.size()), prefix))
            return;
        if (const std::optional<std::size_t> n =
                DecimalBelow(name.substr(prefix.size()), kNumberBound))
            lines.emplace_back(*n, line);
    });
    // Stable, so that of a key written twice the first line counts.
    std::stable_sort(
        lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<NumberedValue> values;
    values.reserve(lines.size());
    for (const auto& [number, line] : lines)
        if (values.empty() || values.back().number != number)
            values.push_back({ number, ValueOf(line) });
    return values;
}

PrivateProfile::LineIndex PrivateProfile::AddLine(std::string_view text, LineIndex after)
{
    Line line;
    line.begin = text_.size();
    line.length = text.size();
    line.end = lineEnd_;
    text_ += text;
    const auto index = static_cast<LineIndex>(lines_.size());
    if (after == kNoLine) {
        line.next = first_;
        first_ = index;
    } else {
        // A line written after the last one that had no line end gives it one.
        if (lines_[after].end == LineEnd::None)
            lines_[after].end = lineEnd_;
        line.next = lines_[after].next;
        lines_[after].next = index;
    }
    if (after == last_)
        last_ = index;
    lines_.push_back(line);
    return index;
}

void PrivateProfile::Write(std::string_view section, std::string_view key, std::string_view value)
{
    const auto [foundSection, isNewSection] = sections_.try_emplace(UpperCase(section));
    Section& block = foundSection->second;
    if (isNewSection) {
        std::string header;
        header.reserve(section.size() + 2);
        header += '[';
        header += section;
        header += ']';
        block.header = block.lastLine = AddLine(header, last_);
    }

    const std::uint32_t hash = NameHash(key);
    const LineIndex existing = FindKey(block, key, hash);
    // An existing line is rewritten with the key as the file spells it.
    const std::string_view name = existing == kNoLine ? key : KeyNameOf(existing);
    std::string text;
    text.reserve(name.size() + 1 + value.size());
    text += name;
    text += '=';
    text += value;

    if (existing == kNoLine) {
        block.lastLine = AddLine(text, block.lastLine);
        AddKey(block, hash, block.lastLine);
        return;
    }
    Line& line = lines_[existing];
    line.begin = text_.size();
    line.length = text.size();
    if (line.end == LineEnd::None)
        line.end = lineEnd_; // Windows ends a rewritten last line
    text_ += text;
}

std::string PrivateProfile::Text() const
{
    std::size_t size = bodyStart_;
    for (LineIndex i = first_; i != kNoLine; i = lines_[i].next)
        size += lines_[i].length + EndBytes(lines_[i].end).size();
    std::string bytes;
    bytes.reserve(size);
    bytes.append(text_, 0, bodyStart_);
    for (LineIndex i = first_; i != kNoLine; i = lines_[i].next) {
        bytes += TextOf(i);
        bytes += EndBytes(lines_[i].end);
    }
    return bytes;
}

std::optional<PrivateProfile> LoadPrivateProfile(
    const std::string& file, FileSystem& fs, std::string& why)
{
    std::optional<PrivateProfile> profile = Load(file, fs, why);
    if (!profile)
        std::cerr << "snapvale2: settings file " << file << ' ' << why
                  << "; its values are not used and it is left as it is\n";
    return profile;
}

std::optional<PrivateProfile> LoadPrivateProfile(const std::string& file, FileSystem& fs)
{
    std::string why;
    return LoadPrivateProfile(file, fs, why);
}

Status StorePrivateProfile(const PrivateProfile& profile, const std::string& file, FileSystem& fs)
{
    // The per-user settings folder is made by the first write, not at start-up.
    Status status = CreateFolderPath(FolderOf(file), fs);
    if (status)
        status = ReplaceFileContents(file, profile.Text(), fs);
    if (!status)
        std::cerr << "snapvale2: could not write " << file << ": " << status.reason() << '\n';
    return status;
}

std::string ReadIniString(const std::string& section, const std::string& key,
    const std::string& file, const std::string& defaultValue, FileSystem& fs)
{
    const std::optional<PrivateProfile> profile = LoadPrivateProfile(file, fs);
    if (!profile)
        return DefaultValue(defaultValue);
    return profile->Read(section, key, defaultValue);
}

Status WriteIniString(const std::string& section, const std::string& key, const std::string& value,
    const std::string& file, FileSystem& fs)
{
    std::string why;
    std::optional<PrivateProfile> profile = LoadPrivateProfile(file, fs, why);
    if (!profile) // never replace a file that could not be used; the load said so
        return Status::Failure("the settings file " + why);
    profile->Write(section, key, value);
    return StorePrivateProfile(*profile, file, fs);
}

} // namespace snapvale
