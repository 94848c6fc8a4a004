#include "export/save_format.h"

#include "base/ascii_case.h"

namespace snapvale {

SaveFormat FormatForPath(const std::string& path)
{
    const auto endsWith = [&path](std::string_view tail) {
        return path.size() >= tail.size()
            && EqualIgnoringAsciiCase(
                std::string_view(path).substr(path.size() - tail.size()), tail);
    };
    if (endsWith(".PNG"))
        return SaveFormat::Png;
    return endsWith("BMP") ? SaveFormat::Bitmap : SaveFormat::Jpeg;
}

std::optional<std::string> ProposedSaveName(const TreeChoice& current)
{
    if (!current.IsFile())
        return std::nullopt;
    return current.file.substr(0, current.file.find('.'));
}

} // namespace snapvale
