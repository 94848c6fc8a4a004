#include <algorithm>
#include <cstdio>
#include <random>

#include <gtest/gtest.h>

#include "catalogue/array_sort.h"

namespace {

using namespace snapvale;

using Dates = std::vector<std::string>;

struct SortCase
{
    const char* name;
    Dates input;
    int lo;
    int hi;
    Dates expected;
};

void PrintTo(const SortCase& sortCase, std::ostream* out) { *out << sortCase.name; }

class QuickSortDatesTest : public ::testing::TestWithParam<SortCase>
{
};

TEST_P(QuickSortDatesTest, SortsTheRangeOnly)
{
    Dates list = GetParam().input;
    QuickSortDates(list, GetParam().lo, GetParam().hi);
    EXPECT_EQ(list, GetParam().expected);
}

const Dates kFive{ "2004/05/17", "2004/04/30", "2004/05/18", "2004/01/02", "2004/05/01" };

INSTANTIATE_TEST_SUITE_P(Ranges, QuickSortDatesTest,
    ::testing::Values(SortCase{ "EmptyRange", kFive, 3, 2, kFive },
        SortCase{ "OneEntry", kFive, 2, 2, kFive }, SortCase{ "EmptyList", {}, 0, -1, {} },
        SortCase{
            "TwoEntries", { "2004/05/18", "2004/05/17" }, 0, 1, { "2004/05/17", "2004/05/18" } },
        SortCase{ "Five", kFive, 0, 4,
            { "2004/01/02", "2004/04/30", "2004/05/01", "2004/05/17", "2004/05/18" } },
        SortCase{ "MiddleOfList", kFive, 1, 3,
            { "2004/05/17", "2004/01/02", "2004/04/30", "2004/05/18", "2004/05/01" } },
        SortCase{ "YearBeforeMonth", { "2005/01/01", "2004/12/31", "2004/02/01" }, 0, 2,
            { "2004/02/01", "2004/12/31", "2005/01/01" } },
        SortCase{ "BoundBeyondList", kFive, 0, 5, kFive },
        SortCase{ "NegativeBound", kFive, -1, 4, kFive }),
    [](const auto& info) { return std::string(info.param.name); });

std::string KeyOfDay(int day)
{
    char text[48];
    std::snprintf(
        text, sizeof text, "%04d/%02d/%02d", 1000 + day / 336, day / 28 % 12 + 1, day % 28 + 1);
    return text;
}

// The order that makes a middle-pivot quicksort pick the smallest entry at every step: the
// partition then peels one entry at a time, n levels deep.
Dates MiddlePivotKiller(int n)
{
    std::vector<int> slot(static_cast<std::size_t>(n));
    std::vector<int> rank(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        slot[static_cast<std::size_t>(i)] = i;
    for (int lo = 0; lo < n; ++lo) {
        const int mid = lo + (n - 1 - lo) / 2;
        rank[static_cast<std::size_t>(slot[static_cast<std::size_t>(mid)])] = lo;
        std::swap(slot[static_cast<std::size_t>(lo)], slot[static_cast<std::size_t>(mid)]);
    }
    Dates list;
    for (int r : rank)
        list.push_back(KeyOfDay(r));
    return list;
}

TEST(QuickSortDates, FortyThousandDatesInAnyOrderSortWithoutDeepRecursion)
{
    constexpr int kCount = 40000;
    Dates ascending;
    for (int day = 0; day < kCount; ++day)
        ascending.push_back(KeyOfDay(day));
    Dates shuffled = ascending;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(4));
    const Dates orders[] = { ascending, Dates(ascending.rbegin(), ascending.rend()), shuffled,
        MiddlePivotKiller(kCount) };
    for (Dates list : orders) {
        QuickSortDates(list, 0, kCount - 1);
        EXPECT_EQ(list, ascending);
    }
}

} // namespace
