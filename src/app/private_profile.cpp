#include "app/private_profile.h"

#include <iostream>
#include <utility>

#include "base/ascii_case.h"
#include "os/file_replace.h"
#include "os/folder_access.h"

namespace snapvale {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kLf = "\n";
constexpr std::string_view kCr = "\r";

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

std::string DefaultValue(std::string_view defaultValue)
{
    return std::string(TrimEnd(defaultValue));
}

void Complain(const std::string& file, const char* why)
{
    std::cerr << "snapvale2: settings file " << file << ' ' << why
              << "; its values are not used and it is left as it is\n";
}

} // namespace

PrivateProfile::PrivateProfile() = default;

PrivateProfile::PrivateProfile(std::string text)
    : text_(std::move(text))
{
    Parse();
}

std::string_view PrivateProfile::TextOf(const Line& line) const
{
    return std::string_view(text_).substr(line.begin, line.length);
}

void PrivateProfile::Parse()
{
    if (std::string_view(text_).starts_with(kByteOrderMark))
        bodyStart_ = kByteOrderMark.size();

    Section* current = nullptr;
    bool inFirstBlock = false;
    bool lineEndSeen = false;
    std::size_t at = bodyStart_;
    while (at < text_.size()) {
        const std::size_t stop = text_.find_first_of("\r\n", at);
        Line line;
        line.begin = at;
        if (stop == std::string::npos) {
            line.length = text_.size() - at;
            at = text_.size();
        } else {
            line.length = stop - at;
            if (text_[stop] == '\n')
                line.end = kLf;
            else
                line.end = text_.compare(stop, 2, kCrLf) == 0 ? kCrLf : kCr;
            at = stop + line.end.size();
            if (!lineEndSeen) {
                lineEnd_ = line.end; // new lines follow the file's own line ends
                lineEndSeen = true;
            }
        }
        const std::size_t index = lines_.size();
        if (last_ != kNone)
            lines_[last_].next = index;
        else
            first_ = index;
        last_ = index;
        lines_.push_back(line);

        const ParsedLine parsed = ParseLine(TextOf(line));
        if (parsed.kind == LineKind::Section) {
            const auto [found, isNew] = sections_.try_emplace(UpperCase(parsed.name));
            current = &found->second;
            inFirstBlock = isNew;
            if (isNew)
                current->lastLine = index;
        } else if (parsed.kind == LineKind::Key && current && inFirstBlock) {
            current->lastLine = index;
            current->keys.try_emplace(UpperCase(parsed.name), index);
        }
    }
}

std::string PrivateProfile::Read(
    std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    const auto foundSection = sections_.find(UpperCase(section));
    if (foundSection == sections_.end())
        return DefaultValue(defaultValue);
    const auto& keys = foundSection->second.keys;
    const auto foundKey = keys.find(UpperCase(key));
    if (foundKey == keys.end())
        return DefaultValue(defaultValue);
    std::string_view value = Unquote(ParseLine(TextOf(lines_[foundKey->second])).value);
    value = value.substr(0, value.find('\0'));
    return std::string(value.substr(0, kMaxIniValueLength));
}

std::size_t PrivateProfile::AddLine(std::string_view text, std::size_t after)
{
    Line line;
    line.begin = text_.size();
    line.length = text.size();
    line.end = lineEnd_;
    text_ += text;
    const std::size_t index = lines_.size();
    if (after == kNone) {
        line.next = first_;
        first_ = index;
    } else {
        // A line written after the last one that had no line end gives it one.
        if (lines_[after].end.empty())
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
        block.lastLine = AddLine(header, last_);
    }

    const auto [foundKey, isNewKey] = block.keys.try_emplace(UpperCase(key), kNone);
    std::string text;
    if (isNewKey) {
        text.reserve(key.size() + 1 + value.size());
        text += key;
    } else {
        // The line is rewritten with the key as the file spells it.
        const std::string_view name = ParseLine(TextOf(lines_[foundKey->second])).name;
        text.reserve(name.size() + 1 + value.size());
        text += name;
    }
    text += '=';
    text += value;

    if (isNewKey) {
        foundKey->second = AddLine(text, block.lastLine);
        block.lastLine = foundKey->second;
        return;
    }
    Line& line = lines_[foundKey->second];
    line.begin = text_.size();
    line.length = text.size();
    if (line.end.empty())
        line.end = lineEnd_; // Windows ends a rewritten last line
    text_ += text;
}

std::string PrivateProfile::Text() const
{
    std::size_t size = bodyStart_;
    for (std::size_t i = first_; i != kNone; i = lines_[i].next)
        size += lines_[i].length + lines_[i].end.size();
    std::string bytes;
    bytes.reserve(size);
    bytes.append(text_, 0, bodyStart_);
    for (std::size_t i = first_; i != kNone; i = lines_[i].next) {
        bytes += TextOf(lines_[i]);
        bytes += lines_[i].end;
    }
    return bytes;
}

std::optional<PrivateProfile> LoadPrivateProfile(const std::string& file, FileSystem& fs)
{
    std::string bytes;
    switch (fs.ReadFile(file, bytes, kMaxSettingsFileSize)) {
    case ReadStatus::Ok:
        return PrivateProfile(std::move(bytes));
    case ReadStatus::NotFound:
        return PrivateProfile();
    case ReadStatus::NotRegular:
        Complain(file, "is not a regular file");
        return std::nullopt;
    case ReadStatus::TooLarge:
        Complain(file, "is larger than 64 MiB");
        return std::nullopt;
    case ReadStatus::Failed:
        break;
    }
    Complain(file, "cannot be read");
    return std::nullopt;
}

bool StorePrivateProfile(const PrivateProfile& profile, const std::string& file, FileSystem& fs)
{
    // The per-user settings folder is made by the first write, not at start-up.
    if (CreateFolderPath(FolderOf(file), fs) && ReplaceFileContents(file, profile.Text(), fs))
        return true;
    std::cerr << "snapvale2: could not write " << file << '\n';
    return false;
}

std::string ReadIniString(const std::string& section, const std::string& key,
    const std::string& file, const std::string& defaultValue, FileSystem& fs)
{
    const std::optional<PrivateProfile> profile = LoadPrivateProfile(file, fs);
    if (!profile)
        return DefaultValue(defaultValue);
    return profile->Read(section, key, defaultValue);
}

bool WriteIniString(const std::string& section, const std::string& key, const std::string& value,
    const std::string& file, FileSystem& fs)
{
    std::optional<PrivateProfile> profile = LoadPrivateProfile(file, fs);
    if (!profile)
        return false; // never replace a file that could not be used; the load said why
    profile->Write(section, key, value);
    return StorePrivateProfile(*profile, file, fs);
}

} // namespace snapvale
