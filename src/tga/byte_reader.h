#pragma once

// Sequential reading of a file held in memory. A read that would run past the end takes
// nothing and fails, so a short file can never be read beyond its last byte.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace snapvale {

class ByteReader
{
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes)
        : bytes_(bytes)
    {
    }

    std::size_t remaining() const { return bytes_.size() - position_; }
    std::size_t position() const { return position_; }

    // The next count bytes, or nothing (and no movement) when fewer remain.
    std::optional<std::span<const std::uint8_t>> Take(std::size_t count)
    {
        if (count > remaining())
            return std::nullopt;
        const std::span<const std::uint8_t> taken = bytes_.subspan(position_, count);
        position_ += count;
        return taken;
    }

    bool Skip(std::size_t count) { return Take(count).has_value(); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

} // namespace snapvale
