#pragma once

// The outcome of work on the system that can fail: done, or not done with a short text that says
// why, in the manner of leveldb's Status. The text is the system's own message where the system
// gave one (the errno text on POSIX systems; on Windows the system's message for its error code,
// in UTF-8), so the line that reports a failure can name its cause.

#include <string>
#include <utility>

namespace snapvale {

class Status
{
public:
    // Done.
    Status() = default;
    // Not done, because of `reason` (never empty).
    static Status Failure(std::string reason)
    {
        Status status;
        status.failed_ = true;
        status.reason_ = reason.empty() ? "unknown error" : std::move(reason);
        return status;
    }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    // Why it failed; empty when it was done.
    const std::string& reason() const { return reason_; }

private:
    bool failed_ = false;
    std::string reason_;
};

} // namespace snapvale
