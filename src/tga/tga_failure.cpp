#include "tga/tga_failure.h"

#include "tga/picture.h"

namespace snapvale {

std::string TGAFailureText(const TGAFailure& failure)
{
    switch (failure.reason) {
    case TGAReason::NotTGA:
        return "TGA ファイルではありません";
    case TGAReason::UnsupportedType:
        return "この形式の TGA には対応していません";
    case TGAReason::TooLarge:
        static_assert(kMaxPicturePixels == 8192 * 8192, "the text names the limit");
        return "画像が大きすぎます（8192 × 8192 画素分まで）";
    case TGAReason::Truncated:
        return "ファイルが途中で切れています";
    case TGAReason::Unreadable:
        break;
    }
    if (failure.systemMessage.empty())
        return "ファイルを読めません";
    return "ファイルを読めません（" + failure.systemMessage + "）";
}

} // namespace snapvale
