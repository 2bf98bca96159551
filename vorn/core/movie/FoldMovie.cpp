#include "vorn/core/movie/FoldMovie.h"

#include "common/UserPaths.h"
#include "scene/render/CairoRenderer.h"
#include "unfolders/engine/UnfoldingAnimation.h"
#include "vorn/core/movie/MovieWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using Sorvex::M3d;

namespace {

/// The fold fraction of frame `k` of `n`: the phase runs evenly from 0 to pi.
float fractionOf(int k, int n) {
    const double phase = n > 1 ? M_PI * k / (n - 1) : M_PI;
    return float((1 - std::cos(phase)) * 0.5);
}

/// The world box the animation sweeps through, sampled along the fold.
bool sweptBounds(UnfoldingAnimation& anim, M3d& lo, M3d& hi) {
    const Sorvex::M4x4 world = anim.getWorldTransform();
    bool any = false;
    for (float p : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f}) {
        anim.flexFaces(p);
        for (const Vertex* v : anim.getVertices()) {
            const M3d w = world * M3d(*v);
            if (!any) {
                lo = hi = w;
                any = true;
            }
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], w[k]);
                hi[k] = std::max(hi[k], w[k]);
            }
        }
    }
    return any;
}

} // namespace

bool WriteFoldMovie(UnfoldingAnimation& anim, const FoldMovieOptions& options, std::string& error,
                    const std::function<void(int, int)>& progress) {
    if (options.frames < 1) {
        error = "a movie needs at least one frame";
        return false;
    }
    M3d lo, hi;
    if (!sweptBounds(anim, lo, hi)) {
        error = "the animation has no faces to show";
        return false;
    }
    CairoRenderer renderer;
    if (!renderer.initialise(options.width, options.height)) {
        error = renderer.getLastError();
        return false;
    }
    Camera camera;
    const M3d centre = (lo + hi) * 0.5;
    camera.setLookAt(centre + M3d(1, 0.8, 1.4).normalized() * 10.0, centre, M3d(0, 1, 0));
    camera.setViewport(options.width, options.height);
    camera.oversight(lo, hi);
    renderer.setCamera(camera);
    renderer.setBackground({1, 1, 1, 1});
    // Many pictures: drawn once each, without the smoothing of single pictures.
    renderer.setSupersampling(1);

    MovieWriter movie;
    if (!options.moviePath.empty() &&
        !movie.open(options.moviePath, options.width, options.height,
                    LoadStoredAviCodec().value_or(MovieCodec::Mpeg4))) {
        error = movie.getError();
        return false;
    }
    if (!options.pdfFolder.empty() && !MakeDirectories(options.pdfFolder, &error))
        return false;

    std::vector<std::uint32_t> pixels;
    for (int k = 0; k < options.frames; ++k) {
        anim.flexFaces(fractionOf(k, options.frames));
        if (movie.isOpen()) {
            if (!renderer.render_image(anim, pixels)) {
                error = renderer.getLastError();
                return false;
            }
            if (!movie.addFrame(pixels.data(), options.width * 4)) {
                error = movie.getError();
                return false;
            }
        }
        if (!options.pdfFolder.empty()) {
            char name[32];
            std::snprintf(name, sizeof name, "fold%03d.pdf", k);
            if (!renderer.render_pdf(anim, JoinPath(options.pdfFolder, name))) {
                error = renderer.getLastError();
                return false;
            }
        }
        if (progress)
            progress(k + 1, options.frames);
    }
    if (movie.isOpen() && !movie.finish()) {
        error = movie.getError();
        return false;
    }
    return true;
}
