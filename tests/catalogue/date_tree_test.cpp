#include <gtest/gtest.h>

#include "catalogue/date_tree.h"

namespace snapvale {
namespace {

constexpr std::int64_t k17th = 1084762800; // 2004/05/17 12:00 in Tokyo
constexpr std::int64_t k18th = 1084849200;

// The steps between files stay within the file's date, whose files are not neighbours in the
// folder: a, c and d of the 17th, with b of the 18th between them.
TEST(StepFile, StaysWithinTheDateOfTheFile)
{
    Catalogue catalogue;
    ASSERT_EQ(BuildCatalogue({ { "d.tga", k17th }, { "b.tga", k18th }, { "c.tga", k17th },
                                 { "a.tga", k17th } },
                  catalogue),
        3);
    const struct
    {
        const char* from;
        FileStep step;
        const char* to; // nullptr: no step
    } steps[] = {
        { "c.tga", FileStep::Next, "d.tga" },
        { "c.tga", FileStep::Previous, "a.tga" },
        { "c.tga", FileStep::First, "a.tga" },
        { "c.tga", FileStep::Last, "d.tga" },
        { "a.tga", FileStep::Next, "c.tga" },
        { "d.tga", FileStep::Next, nullptr },
        { "a.tga", FileStep::Previous, nullptr },
        { "b.tga", FileStep::Next, nullptr },
        { "b.tga", FileStep::First, "b.tga" },
        { "gone.tga", FileStep::First, nullptr },
    };
    for (const auto& step : steps) {
        const std::optional<std::size_t> to = StepFile(catalogue, step.from, step.step);
        const auto name = [](const char* text) {
            return text ? std::optional<std::string>(text) : std::nullopt;
        };
        EXPECT_EQ(to ? name(catalogue.FileNames[*to].c_str()) : std::nullopt, name(step.to))
            << step.from << " step " << static_cast<int>(step.step);
    }
}

} // namespace
} // namespace snapvale
