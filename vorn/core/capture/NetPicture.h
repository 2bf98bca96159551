#pragma once

#include <string>

class PolyMesh;

/// How a net is laid on the page.
struct NetPictureOptions {
    enum class Scale {
        Fit,         ///< fill a `width` x `height` picture
        LongestEdge, ///< the longest net edge is `value` millimetres long
        Factor,      ///< one model unit is `value` millimetres
    };
    Scale scale = Scale::Fit;
    double value = 0.0;
    /// Picture size in pixels (vector pages: points) for `Scale::Fit`.
    int width = 2000;
    int height = 2000;
    /// Blank border round a true-scale net, in millimetres.
    double marginMm = 10.0;
    /// Outer cut lines solid, inner fold lines dashed, instead of the mesh's own edges.
    bool cutAndFoldLines = true;
};

/// Writes the net an unfolder shows (the unfolder is the `PolyMesh` holding it) as a
/// picture seen straight from above, by the extension of `path`: ".pdf", ".eps", ".svg"
/// or ".png". Only what lies in the net plane is drawn, so the source mesh and the cut
/// graph drawn over it stay out of the picture; faces keep the unfolder's colouring
/// (overlapping faces stand out). True-scale pages are sized to the net plus the margin;
/// PNG pictures of them have 300 pixels to the inch. False with `error` set when the net
/// is empty or the file cannot be written.
bool WriteNetPicture(PolyMesh& unfolder, const std::string& path, const NetPictureOptions& options,
                     std::string& error);

/// The batch runner's PDF of a net: a 2000 x 2000 page framing the net, with the eye
/// brought a tenth of its distance closer.
bool WriteUnfoldingPdf(PolyMesh& unfolder, const std::string& path, std::string& error);
