#include "app/private_profile.h"

#include <iostream>
#include <optional>
#include <string_view>
#include <vector>

#include "base/ascii_case.h"
#include "os/file_replace.h"
#include "os/folder_access.h"

namespace snapvale {

namespace {

// One line of the file as it stands on disk: its text and the line end that followed it
// ("\r\n", "\n", or "" for a last line without one).
struct Line
{
    std::string_view text;
    std::string_view end;
};

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

std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<Line> SplitLines(std::string_view bytes)
{
    std::vector<Line> lines;
    while (!bytes.empty()) {
        const std::size_t newline = bytes.find('\n');
        if (newline == std::string_view::npos) {
            lines.push_back({ bytes, {} });
            break;
        }
        const bool crlf = newline > 0 && bytes[newline - 1] == '\r';
        const std::size_t textEnd = crlf ? newline - 1 : newline;
        lines.push_back({ bytes.substr(0, textEnd), bytes.substr(textEnd, newline + 1 - textEnd) });
        bytes.remove_prefix(newline + 1);
    }
    return lines;
}

ParsedLine Parse(std::string_view text)
{
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty() || trimmed.front() == ';')
        return {};
    if (trimmed.front() == '[') {
        const std::size_t close = trimmed.find(']');
        if (close == std::string_view::npos)
            return {};
        return { LineKind::Section, Trim(trimmed.substr(1, close - 1)), {} };
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

// Where a section and a key stand in the file. Of a section written twice only the first block
// counts, and within it the first line with the key.
struct Location
{
    std::optional<std::size_t> sectionLine;
    std::optional<std::size_t> keyLine;
    std::optional<std::size_t> lastKeyLine; // last key line of the section's block
};

Location Find(const std::vector<Line>& lines, std::string_view section, std::string_view key)
{
    Location found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ParsedLine line = Parse(lines[i].text);
        if (line.kind == LineKind::Section) {
            if (found.sectionLine)
                break;
            if (EqualIgnoringAsciiCase(line.name, section))
                found.sectionLine = i;
        } else if (line.kind == LineKind::Key && found.sectionLine) {
            found.lastKeyLine = i;
            if (!found.keyLine && EqualIgnoringAsciiCase(line.name, key))
                found.keyLine = i;
        }
    }
    return found;
}

} // namespace

std::string ReadIniString(const std::string& section, const std::string& key,
    const std::string& file, const std::string& defaultValue, FileSystem& fs)
{
    std::string bytes;
    if (fs.ReadFile(file, bytes) != ReadStatus::Ok)
        return defaultValue;
    const std::vector<Line> lines = SplitLines(bytes);
    const Location found = Find(lines, section, key);
    if (!found.keyLine)
        return defaultValue;
    const std::string_view value = Unquote(Parse(lines[*found.keyLine].text).value);
    return std::string(value.substr(0, kMaxIniValueLength));
}

namespace {

bool WriteValue(const std::string& section, const std::string& key, const std::string& value,
    const std::string& file, FileSystem& fs)
{
    // The per-user settings folder is made by the first write, not at start-up.
    if (!CreateFolderPath(FolderOf(file), fs))
        return false;
    std::string bytes;
    // A file that is there but cannot be read is never replaced: its other keys would be lost.
    if (fs.ReadFile(file, bytes) == ReadStatus::Failed)
        return false;

    const std::vector<Line> lines = SplitLines(bytes);
    // New lines follow the file's own line ends; a new file gets the Windows ones.
    std::string_view lineEnd = "\r\n";
    for (const Line& line : lines)
        if (!line.end.empty()) {
            lineEnd = line.end;
            break;
        }

    const Location found = Find(lines, section, key);
    std::string result;
    result.reserve(bytes.size() + section.size() + key.size() + value.size() + 8);
    const auto appendLine = [&](std::size_t i) {
        result += lines[i].text;
        result += lines[i].end;
    };

    if (found.keyLine) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i != *found.keyLine) {
                appendLine(i);
                continue;
            }
            result += Parse(lines[i].text).name; // keeps the key's spelling in the file
            result += '=';
            result += value;
            result += lines[i].end;
        }
    } else if (found.sectionLine) {
        const std::size_t after = found.lastKeyLine.value_or(*found.sectionLine);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            appendLine(i);
            if (i != after)
                continue;
            if (lines[i].end.empty())
                result += lineEnd;
            result += key;
            result += '=';
            result += value;
            result += lineEnd;
        }
    } else {
        result = bytes;
        if (!result.empty() && result.back() != '\n')
            result += lineEnd;
        result += '[';
        result += section;
        result += ']';
        result += lineEnd;
        result += key;
        result += '=';
        result += value;
        result += lineEnd;
    }
    return ReplaceFileContents(file, result, fs);
}

} // namespace

bool WriteIniString(const std::string& section, const std::string& key, const std::string& value,
    const std::string& file, FileSystem& fs)
{
    if (WriteValue(section, key, value, file, fs))
        return true;
    std::cerr << "snapvale2: could not write " << file << '\n';
    return false;
}

} // namespace snapvale
