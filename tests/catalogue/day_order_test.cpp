#include <gtest/gtest.h>

#include "catalogue/day_order.h"
#include "catalogue/folder_scan.h"

namespace snapvale {
namespace {

// 2004/05/17 21:00 in Tokyo, the time zone the tests run in.
constexpr std::int64_t kEvening = 1084795200;

std::vector<std::string> NamesOf(const Catalogue& catalogue, DayOrder order)
{
    std::vector<std::string> names;
    for (const std::size_t i : FilesInOrder(catalogue, "2004/05/17", order))
        names.push_back(catalogue.FileNames[i]);
    return names;
}

// By time to the fraction of a second; files of the same moment keep the folder's name order,
// whatever order the listing gave them in; another date's files never join.
TEST(DayOrder, WrittenTimeThenName)
{
    Catalogue catalogue;
    BuildCatalogue({ { "d.tga", kEvening + 5, 1, 0 }, { "a.tga", kEvening + 9, 1, 0 },
                       { "C.tga", kEvening + 5, 1, 0 }, { "b.tga", kEvening + 5, 1, 500 },
                       { "e.tga", kEvening - 3600, 1, 0 }, { "z.tga", kEvening + 86400, 1, 0 } },
        catalogue);
    EXPECT_EQ(NamesOf(catalogue, DayOrder::Name),
        (std::vector<std::string>{ "a.tga", "b.tga", "C.tga", "d.tga", "e.tga" }));
    EXPECT_EQ(NamesOf(catalogue, DayOrder::Written),
        (std::vector<std::string>{ "e.tga", "C.tga", "d.tga", "b.tga", "a.tga" }));
}

TEST(DayOrder, SettingReadsBack)
{
    for (const DayOrder order : { DayOrder::Name, DayOrder::Written })
        EXPECT_EQ(DayOrderFromSetting(DayOrderSetting(order)), order);
    EXPECT_EQ(DayOrderFromSetting("time"), DayOrder::Written);
    EXPECT_EQ(DayOrderFromSetting(""), DayOrder::Name);
    EXPECT_EQ(DayOrderFromSetting("TIMES"), DayOrder::Name);
}

} // namespace
} // namespace snapvale
