#pragma once

// Sequential reading of a TGA file, either held in memory or read from a stream in pieces
// through a buffer of fixed size. A read that would run past the end takes nothing and fails, so
// a short file can never be read beyond its last byte.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <istream>
#include <optional>
#include <span>

namespace snapvale {

class ByteReader
{
public:
    // Reads `bytes`, which must outlive the reader.
    explicit ByteReader(std::span<const std::uint8_t> bytes)
        : next_(bytes.data())
        , end_(bytes.data() + bytes.size())
    {
    }
    // Reads the `size` bytes that `in` holds from its position on, through `buffer`; both must
    // outlive the reader. At most buffer.size() bytes can be taken at once.
    ByteReader(std::istream& in, std::uint64_t size, std::span<std::uint8_t> buffer)
        : next_(buffer.data())
        , end_(buffer.data())
        , in_(&in)
        , buffer_(buffer)
        , unread_(size)
    {
    }

    // Bytes left to take, as far as the size given at the start says.
    std::uint64_t remaining() const { return Held() + unread_; }
    // Whether reading the stream failed (rather than ending early).
    bool failed() const { return in_ && in_->bad(); }

    // The next count bytes, or nothing (and no movement) when fewer remain or, reading a stream,
    // when count is larger than the buffer. The bytes stay valid until the next call.
    std::optional<std::span<const std::uint8_t>> Take(std::size_t count)
    {
        if (count > Held() && !Fill(count))
            return std::nullopt;
        const std::span<const std::uint8_t> taken(next_, count);
        next_ += count;
        return taken;
    }

    // As many whole units as are at hand, at least one and at most `most` bytes (which must hold
    // a unit); nothing when less than a unit remains. Lets long stretches be taken piece by piece
    // through the buffer.
    std::optional<std::span<const std::uint8_t>> TakeSome(std::size_t most, std::size_t unit)
    {
        if (Held() < unit && !Fill(unit))
            return std::nullopt;
        const std::size_t held = Held() < most ? Held() : most;
        return Take(held - held % unit);
    }

    bool Skip(std::uint64_t count);

private:
    std::size_t Held() const { return static_cast<std::size_t>(end_ - next_); }
    // Makes at least count bytes held, reading more of the stream; false when it cannot.
    bool Fill(std::size_t count);

    const std::uint8_t* next_;
    const std::uint8_t* end_;
    std::istream* in_ = nullptr;
    std::span<std::uint8_t> buffer_;
    std::uint64_t unread_ = 0; // bytes of the stream not yet read into the buffer
};

inline bool ByteReader::Skip(std::uint64_t count)
{
    if (count > remaining())
        return false;
    if (count <= Held()) {
        next_ += count;
        return true;
    }
    const std::uint64_t beyond = count - Held();
    next_ = end_;
    in_->seekg(static_cast<std::streamoff>(beyond), std::ios::cur);
    unread_ -= beyond;
    return static_cast<bool>(*in_);
}

inline bool ByteReader::Fill(std::size_t count)
{
    if (!in_ || count > buffer_.size() || count > remaining())
        return false;
    // What is still held moves to the front; the rest of the buffer is read in one go.
    const std::size_t held = Held();
    if (held != 0 && next_ != buffer_.data())
        std::memmove(buffer_.data(), next_, held);
    const std::uint64_t room = buffer_.size() - held;
    const auto wanted = static_cast<std::size_t>(room < unread_ ? room : unread_);
    in_->read(reinterpret_cast<char*>(buffer_.data() + held), static_cast<std::streamsize>(wanted));
    const auto got = static_cast<std::size_t>(in_->gcount());
    // A file that shrank since its size was taken ends where its bytes end.
    unread_ = got < wanted ? 0 : unread_ - got;
    next_ = buffer_.data();
    end_ = buffer_.data() + held + got;
    return Held() >= count;
}

} // namespace snapvale
