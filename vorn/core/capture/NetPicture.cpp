#include "vorn/core/capture/NetPicture.h"

#include "scene/mesh/PolyMesh.h"
#include "scene/render/CairoRenderer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <unordered_map>
#include <unordered_set>
#include <vector>

using Sorvex::M3d;

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr double kPngDotsPerMm = 300.0 / 25.4;
constexpr double kCutWidth = 1.2;
constexpr double kFoldWidth = 0.7;
const RGBAColor kCutColor{0, 0, 0, 1};
const RGBAColor kFoldColor{0.35, 0.35, 0.35, 1};

std::string lowerExtension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    std::string ext = dot == std::string::npos ? std::string() : path.substr(dot);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

/// Net corners that meet are equal up to rounding: points are compared on a grid.
using CellKey = std::vector<long long>;

struct CellKeyHash {
    size_t operator()(const CellKey& k) const {
        size_t h = 0;
        for (long long v : k)
            h = h * 1000003u ^ std::hash<long long>()(v);
        return h;
    }
};

struct Grid {
    double step;
    std::array<long long, 3> cell(const M3d& p) const {
        return {std::llround(p.x() / step), std::llround(p.y() / step), std::llround(p.z() / step)};
    }
    /// The same key for a-b and b-a.
    CellKey edgeKey(const M3d& a, const M3d& b) const {
        std::array<long long, 3> p = cell(a), q = cell(b);
        if (q < p)
            std::swap(p, q);
        return {p[0], p[1], p[2], q[0], q[1], q[2]};
    }
};

/// Replaces the mesh's own edge lines by cut lines (edges of one face: the outline) drawn
/// solid and fold lines (edges two faces share) drawn dashed.
void drawCutAndFoldLines(CollectingRenderer& scene, const Grid& grid, double dash, double weight) {
    struct EdgeUse {
        int count = 0;
        M3d a, b;
    };
    // Drawing order keeps the output the same from run to run.
    std::vector<CellKey> order;
    std::unordered_map<CellKey, EdgeUse, CellKeyHash> uses;
    std::unordered_set<CellKey, CellKeyHash> seenFaces;
    for (const DrawnFace& f : scene.getFaces()) {
        // A face drawn twice (front and back) counts once.
        std::vector<std::array<long long, 3>> corners;
        for (const M3d& p : f.points)
            corners.push_back(grid.cell(p));
        std::sort(corners.begin(), corners.end());
        CellKey faceKey;
        for (const auto& c : corners)
            faceKey.insert(faceKey.end(), c.begin(), c.end());
        if (!seenFaces.insert(std::move(faceKey)).second)
            continue;
        for (size_t k = 0; k < f.points.size(); ++k) {
            const M3d& a = f.points[k];
            const M3d& b = f.points[(k + 1) % f.points.size()];
            CellKey key = grid.edgeKey(a, b);
            EdgeUse& use = uses[key];
            if (use.count++ == 0) {
                use.a = a;
                use.b = b;
                order.push_back(std::move(key));
            }
        }
    }
    scene.dropStrokes([&](const DrawnStroke& s) {
        return s.radius == 0.0 && uses.count(grid.edgeKey(s.a, s.b));
    });
    for (const CellKey& key : order) {
        const EdgeUse& use = uses[key];
        const M3d &a = use.a, &b = use.b;
        if (use.count == 1) {
            scene.addStroke({a, b, kCutColor, kCutWidth * weight, 0.0, nullptr});
            continue;
        }
        const double length = (b - a).length();
        const int pieces = std::max(1, int(length / (2 * dash)));
        for (int i = 0; i < pieces; ++i) {
            const M3d from = a + (b - a) * ((i + 0.25) / pieces);
            const M3d to = a + (b - a) * ((i + 0.75) / pieces);
            scene.addStroke({from, to, kFoldColor, kFoldWidth * weight, 0.0, nullptr});
        }
    }
}

double longestEdge(const CollectingRenderer& scene) {
    double longest = 0.0;
    for (const DrawnFace& f : scene.getFaces())
        for (size_t k = 0; k < f.points.size(); ++k)
            longest =
                std::max(longest, (f.points[(k + 1) % f.points.size()] - f.points[k]).length());
    return longest;
}

} // namespace

bool WriteNetPicture(PolyMesh& unfolder, const std::string& path, const NetPictureOptions& options,
                     std::string& error) {
    const std::string ext = lowerExtension(path);
    PictureFormat format;
    if (ext == ".pdf")
        format = PictureFormat::PDF;
    else if (ext == ".eps")
        format = PictureFormat::EPS;
    else if (ext == ".svg")
        format = PictureFormat::SVG;
    else if (ext == ".png")
        format = PictureFormat::PNG;
    else {
        error = path + ": unknown picture type (use .pdf, .eps, .svg or .png)";
        return false;
    }
    if (options.scale != NetPictureOptions::Scale::Fit &&
        !(options.value > 0.0 && std::isfinite(options.value))) {
        error = "the net's scale must be a positive number";
        return false;
    }

    CairoRenderer renderer;
    renderer.setBackground({1, 1, 1, 1});
    // The net lies lowest (below its source): find its plane, then keep only what is in it.
    renderer.collectScene(unfolder);
    double netY = HUGE_VAL;
    for (const DrawnFace& f : renderer.getFaces())
        for (const M3d& p : f.points)
            netY = std::min(netY, p.y());
    M3d lo, hi;
    if (netY == HUGE_VAL || !renderer.getBounds(lo, hi)) {
        error = "the unfolding shows no net to draw";
        return false;
    }
    const double slack = 1e-6 * std::max(1.0, (hi - lo).length());
    renderer.setHeightWindow(netY - slack, netY + slack);
    renderer.collectScene(unfolder);
    renderer.getBounds(lo, hi);
    const Grid grid{slack};
    const double span = std::max(hi.x() - lo.x(), hi.z() - lo.z());

    Camera camera;
    camera.setOrthographic(true);
    const M3d centre = (lo + hi) * 0.5;
    camera.setLookAt(centre + M3d(0, 1, 0), centre, M3d(0, 0, -1));
    if (options.scale == NetPictureOptions::Scale::Fit) {
        if (!renderer.initialise(options.width, options.height)) {
            error = renderer.getLastError();
            return false;
        }
        camera.setViewport(options.width, options.height);
        camera.oversight(lo, hi);
        camera.adjustDistance(-0.1 * camera.getDistance());
        if (options.cutAndFoldLines)
            drawCutAndFoldLines(renderer, grid, span / 200.0,
                                std::max(1.0, std::min(options.width, options.height) / 800.0));
    } else {
        const double mmPerUnit = options.scale == NetPictureOptions::Scale::Factor
                                     ? options.value
                                     : options.value / std::max(longestEdge(renderer), 1e-300);
        const double dotsPerMm = format == PictureFormat::PNG ? kPngDotsPerMm : kPointsPerMm;
        const double dotsPerUnit = mmPerUnit * dotsPerMm;
        const double border = 2 * options.marginMm * dotsPerMm;
        const double w = std::ceil((hi.x() - lo.x()) * dotsPerUnit + border);
        const double h = std::ceil((hi.z() - lo.z()) * dotsPerUnit + border);
        if (!std::isfinite(w) || !std::isfinite(h) || !renderer.initialise(int(w), int(h))) {
            error = "the net does not fit a picture at that scale (" + std::to_string(w) + " x " +
                    std::to_string(h) + ")";
            return false;
        }
        camera.setViewport(int(w), int(h));
        camera.setVisibleHeight(h / dotsPerUnit);
        if (options.cutAndFoldLines)
            drawCutAndFoldLines(renderer, grid, 2.0 / mmPerUnit,
                                format == PictureFormat::PNG ? kPngDotsPerMm / kPointsPerMm : 1.0);
    }
    renderer.setCamera(camera);
    if (!renderer.writeCollected(format, path)) {
        error = renderer.getLastError();
        return false;
    }
    return true;
}

bool WriteUnfoldingPdf(PolyMesh& unfolder, const std::string& path, std::string& error) {
    NetPictureOptions options;
    options.width = options.height = 2000;
    return WriteNetPicture(unfolder, path, options, error);
}
