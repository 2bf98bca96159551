#pragma once

#include <functional>
#include <string>

class UnfoldingAnimation;

/// What `WriteFoldMovie` writes.
struct FoldMovieOptions {
    /// The movie (.avi, .mp4 or .gif); empty for none.
    std::string moviePath;
    /// A folder for numbered vector frames ("fold000.pdf", ...); empty for none.
    std::string pdfFolder;
    int width = 640;
    int height = 480;
    /// Frames from the flat net to the closed model; the phase advances evenly, so the
    /// fold eases in and out as the animation plays. 91 is two degrees a frame, as the
    /// workbench plays it.
    int frames = 91;
};

/// Writes the fold of `animation` from the flat net (first frame) to the closed model (last
/// frame), drawn headless by the file renderer on white from one fixed three-quarter view
/// that holds every frame. `progress` (may be empty) hears each frame written. False with
/// `error` set when a file could not be written; an unfinished movie leaves no file.
bool WriteFoldMovie(UnfoldingAnimation& animation, const FoldMovieOptions& options,
                    std::string& error,
                    const std::function<void(int done, int total)>& progress = {});
