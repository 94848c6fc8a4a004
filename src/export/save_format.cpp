#include "export/save_format.h"

#include "catalogue/date_tree.h"

namespace snapvale {

SaveFormat FormatForPath(const std::string& path)
{
    if (path.size() < 3)
        return SaveFormat::Jpeg;
    std::string last = path.substr(path.size() - 3);
    for (char& c : last)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return last == "BMP" ? SaveFormat::Bitmap : SaveFormat::Jpeg;
}

std::optional<std::string> ProposedSaveName(const std::string& rowText)
{
    if (rowText.empty() || rowText == kTreeRootText || rowText.find('/') != std::string::npos)
        return std::nullopt;
    return rowText.substr(0, rowText.find('.'));
}

} // namespace snapvale
