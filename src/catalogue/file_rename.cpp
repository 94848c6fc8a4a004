#include "catalogue/file_rename.h"

#include <algorithm>
#include <array>

#include "base/ascii_case.h"

namespace snapvale {

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// The extension of `name`, its dot included: "" when it has none.
std::string_view ExtensionOf(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? std::string_view() : name.substr(dot);
}

// Whether what follows the name's last dot looks like a file type the user meant to give.
bool HasTypedExtension(std::string_view name)
{
    const std::string_view extension = ExtensionOf(name);
    if (extension.size() < 2 || extension.size() > 5)
        return false;
    const std::string_view letters = extension.substr(1);
    return std::all_of(letters.begin(), letters.end(), [](char c) {
        return IsAsciiLetter(c) || IsAsciiDigit(c);
    }) && std::any_of(letters.begin(), letters.end(), IsAsciiLetter);
}

bool IsBlank(std::string_view name)
{
    return std::all_of(name.begin(), name.end(), [](char c) { return c == ' '; });
}

// Windows opens a device for these names, whatever extension follows them.
bool IsWindowsDeviceName(std::string_view name)
{
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    static constexpr std::array<std::string_view, 6> kDevices = { "CON", "PRN", "AUX", "NUL",
        "CONIN$", "CONOUT$" };
    for (const std::string_view device : kDevices)
        if (EqualIgnoringAsciiCase(stem, device))
            return true;
    // COM and LPT with a digit, or with a superscript one, two or three (UTF-8).
    if (stem.size() < 4
        || !(EqualIgnoringAsciiCase(stem.substr(0, 3), "COM")
            || EqualIgnoringAsciiCase(stem.substr(0, 3), "LPT")))
        return false;
    const std::string_view number = stem.substr(3);
    return (number.size() == 1 && IsAsciiDigit(number[0])) || number == "\xC2\xB9"
        || number == "\xC2\xB2" || number == "\xC2\xB3";
}

} // namespace

std::string NameAfterRename(std::string_view oldName, std::string_view typed)
{
    std::string name(typed);
    if (!HasTypedExtension(typed))
        name += ExtensionOf(oldName);
    return name;
}

RenameRefusal CheckFileName(std::string_view name, NameRules rules)
{
    if (IsBlank(name) || name == "." || name == "..")
        return RenameRefusal::Empty;
    if (name.find('/') != std::string_view::npos || name.find('\0') != std::string_view::npos)
        return RenameRefusal::ForbiddenCharacter;
    if (rules == NameRules::Posix)
        return RenameRefusal::None;
    const bool forbidden = std::any_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20
            || std::string_view("\\:*?\"<>|").find(c) != std::string_view::npos;
    });
    if (forbidden)
        return RenameRefusal::ForbiddenCharacter;
    if (name.back() == '.' || name.back() == ' ')
        return RenameRefusal::TrailingDotOrSpace;
    if (IsWindowsDeviceName(name))
        return RenameRefusal::ReservedName;
    return RenameRefusal::None;
}

RenameResult RenameFile(const std::string& folder, const std::string& oldName,
    std::string_view typed, FileSystem& fs, NameRules rules)
{
    RenameResult result;
    if (IsBlank(typed)) {
        result.refusal = RenameRefusal::Empty;
        return result;
    }
    result.newName = NameAfterRename(oldName, typed);
    if (result.newName == oldName) {
        result.refusal = RenameRefusal::Unchanged;
        return result;
    }
    result.refusal = CheckFileName(result.newName, rules);
    if (result.refusal != RenameRefusal::None)
        return result;
    switch (fs.RenameWithoutReplacing(folder + oldName, folder + result.newName, result.reason)) {
    case MoveStatus::Moved:
        result.reason.clear();
        break;
    case MoveStatus::TargetExists:
        result.refusal = RenameRefusal::Exists;
        break;
    case MoveStatus::Failed:
        result.refusal = RenameRefusal::Failed;
        break;
    }
    return result;
}

std::string RenameRefusalText(const RenameResult& result)
{
    const std::string name = "「" + result.newName + "」";
    switch (result.refusal) {
    case RenameRefusal::None:
    case RenameRefusal::Unchanged:
        return {};
    case RenameRefusal::Empty:
        return "名前を入力してください。";
    case RenameRefusal::ForbiddenCharacter:
        return name + "には名前に使えない文字が含まれています。";
    case RenameRefusal::TrailingDotOrSpace:
        return name + "のように、名前の最後にピリオドや空白は使えません。";
    case RenameRefusal::ReservedName:
        return name + "はシステムが使う名前のため使えません。";
    case RenameRefusal::Exists:
        return name + "という名前のファイルがすでにあります。";
    case RenameRefusal::Failed:
        return name + "に名前を変更できませんでした: " + result.reason;
    }
    return {};
}

} // namespace snapvale
