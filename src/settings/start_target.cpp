#include "settings/start_target.h"

#include <filesystem>
#include <system_error>

#include "settings/start_up.h"
#include "base/ascii_case.h"
#include "catalogue/folder_scan.h"
#include "os/native_path.h"

namespace snapvale {

StartArguments ReadStartArguments(const std::vector<std::string>& arguments, FileSystem& fs)
{
    StartArguments result;
    if (arguments.empty())
        return result;
    if (arguments.size() > 1) {
        result.error = "give one file or folder";
        return result;
    }
    const std::string& argument = arguments.front();
    std::error_code error;
    const std::filesystem::path absolute = argument.empty()
        ? std::filesystem::path()
        : std::filesystem::absolute(NativePath(argument), error);
    if (absolute.empty() || error) {
        result.error = argument + ": no such file or folder";
        return result;
    }
    // "." and ".." would stay in the folder's name in the window and the history.
    const std::filesystem::path path = absolute.lexically_normal();
    const std::string text = PathText(path);
    if (fs.IsFolder(text)) {
        result.target = StartTarget{ WithTrailingSeparator(text), "" };
        return result;
    }
    const std::string folder = WithTrailingSeparator(PathText(path.parent_path()));
    const std::string name = PathText(path.filename());
    // The folder's own spelling of the name: on Windows a name given in another letter case
    // names the same file.
    const auto sameName = [&name](std::string_view entry) {
#ifdef _WIN32
        return EqualIgnoringAsciiCase(entry, name);
#else
        return entry == name;
#endif
    };
    std::string listed;
    if (IsCataloguedName(name))
        for (const FolderFile& file : fs.ListFolder(folder, sameName))
            if (listed.empty() || file.name == name)
                listed = file.name;
    if (!listed.empty())
        result.target = StartTarget{ folder, listed };
    else if (fs.ModificationTime(text))
        result.error = argument + ": not a TGA screenshot";
    else
        result.error = argument + ": no such file or folder";
    return result;
}

} // namespace snapvale
