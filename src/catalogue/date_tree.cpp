#include "catalogue/date_tree.h"

namespace snapvale {

std::optional<std::size_t> StepFile(
    const Catalogue& catalogue, const std::string& name, FileStep step)
{
    const std::optional<std::size_t> file = catalogue.Find(name);
    if (!file)
        return std::nullopt;
    const std::vector<std::size_t>& files = catalogue.FilesOf(catalogue.FileDates[*file]);
    const std::size_t place = catalogue.PlaceInDate(*file);
    switch (step) {
    case FileStep::Next:
        return place + 1 < files.size() ? std::optional(files[place + 1]) : std::nullopt;
    case FileStep::Previous:
        return place > 0 ? std::optional(files[place - 1]) : std::nullopt;
    case FileStep::First:
        return files.front();
    case FileStep::Last:
        return files.back();
    }
    return std::nullopt;
}

} // namespace snapvale
