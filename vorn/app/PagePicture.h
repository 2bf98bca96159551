#pragma once

#include <optional>

/// Where a view's picture goes on a printed page and how many pixels it is drawn with.
/// Page values are in the printer's device pixels, measured from the printable area's
/// top-left corner.
struct PagePicture {
    /// The picture's size in pixels: the placed size, shrunk to `largestSide` when the
    /// page is finer than that (the printer then scales it up).
    int pixelWidth = 0;
    int pixelHeight = 0;
    /// The placement: as large as the printable area allows with the view's aspect kept,
    /// centred on it.
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    /// The placement of a `viewWidth` x `viewHeight` picture on a printable area of
    /// `pageWidth` x `pageHeight`; none when either size is empty or not finite, or
    /// `largestSide` is below 1.
    static std::optional<PagePicture> Fit(double viewWidth, double viewHeight, double pageWidth,
                                          double pageHeight, int largestSide);
};
