#include "vorn/app/PagePicture.h"

#include <algorithm>
#include <cmath>

namespace {
bool isUsable(double size) {
    return std::isfinite(size) && size > 0;
}
} // namespace

std::optional<PagePicture> PagePicture::Fit(double viewWidth, double viewHeight, double pageWidth,
                                            double pageHeight, int largestSide) {
    if (!isUsable(viewWidth) || !isUsable(viewHeight) || !isUsable(pageWidth) ||
        !isUsable(pageHeight) || largestSide < 1)
        return std::nullopt;
    PagePicture picture;
    const double scale = std::min(pageWidth / viewWidth, pageHeight / viewHeight);
    picture.width = viewWidth * scale;
    picture.height = viewHeight * scale;
    picture.x = (pageWidth - picture.width) / 2;
    picture.y = (pageHeight - picture.height) / 2;

    // Pixels: one per device pixel up to the cap, never below one in either direction
    // (a very thin view still prints as a line).
    const double pixelScale = std::min(1.0, largestSide / std::max(picture.width, picture.height));
    picture.pixelWidth = std::max(1, int(std::lround(picture.width * pixelScale)));
    picture.pixelHeight = std::max(1, int(std::lround(picture.height * pixelScale)));
    picture.pixelWidth = std::min(picture.pixelWidth, largestSide);
    picture.pixelHeight = std::min(picture.pixelHeight, largestSide);
    return picture;
}
