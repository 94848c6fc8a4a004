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

} // namespace
