#include "export/save_format.h"

#include "base/ascii_case.h"

namespace snapvale {

SaveFormat FormatForPath(const std::string& path)
{
    const bool bitmap = path.size() >= 3
        && EqualIgnoringAsciiCase(std::string_view(path).substr(path.size() - 3), "BMP");
    return bitmap ? SaveFormat::Bitmap : SaveFormat::Jpeg;
}

std::optional<std::string> ProposedSaveName(const TreeChoice& current)
{
    if (!current.IsFile())
        return std::nullopt;
    return current.file.substr(0, current.file.find('.'));
}

} // namespace snapvale
