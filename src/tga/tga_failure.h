#pragma once

// Why a TGA file gave no picture, told apart so that triage can count the causes and the viewer
// can say in one line why a file shows nothing.

#include <string>

namespace snapvale {

enum class TGAReason {
    NotTGA, // shorter than a header, or a header no TGA file has (unknown type, no width or height,
            // a depth TGA does not define)
    UnsupportedType, // a TGA whose type, depth and colour map this decoder does not read
    TooLarge, // more pixels than kMaxPicturePixels, or more than memory holds
    Truncated, // the file ends before the picture does
    Unreadable, // the file cannot be opened or read
};

struct TGAFailure
{
    TGAReason reason = TGAReason::NotTGA;
    // For Unreadable, the system's message where it gave one; empty otherwise.
    std::string systemMessage;
};

// The short line the user reads for a file that gives no picture, in Japanese (UTF-8), with the
// system's message in brackets where there is one.
std::string TGAFailureText(const TGAFailure& failure);

} // namespace snapvale
