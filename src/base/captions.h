#pragma once

// Texts that more than one subsystem tells rows apart by.

namespace snapvale {

// The date tree's root row. A save proposes no name while it is selected, since it names no file.
inline constexpr char kTreeRootText[] = "Lineageﾌｫﾙﾀﾞ";

} // namespace snapvale
