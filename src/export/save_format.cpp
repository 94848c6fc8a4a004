#include "export/save_format.h"

#include "base/ascii_case.h"
#include "base/captions.h"

namespace snapvale {

SaveFormat FormatForPath(const std::string& path)
{
    const bool bitmap = path.size() >= 3
        && EqualIgnoringAsciiCase(std::string_view(path).substr(path.size() - 3), "BMP");
    return bitmap ? SaveFormat::Bitmap : SaveFormat::Jpeg;
}

std::optional<std::string> ProposedSaveName(const std::string& rowText)
{
    if (rowText.empty() || rowText == kTreeRootText || rowText.find('/') != std::string::npos)
        return std::nullopt;
    return rowText.substr(0, rowText.find('.'));
}

} // namespace snapvale
