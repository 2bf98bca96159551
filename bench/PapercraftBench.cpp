// Papercraft export of finished nets: splitting into overlap-free pieces, edge numbers,
// glue tabs, packing onto A4 pages and writing the PDF. Models: a 5,120-face icosphere
// and a 50,000-face bumpy torus standing in for a scan (smooth, non-convex, with saddles
// everywhere), each unfolded breadth first before timing starts. The counters give the
// pieces, tabs and pages of one export.
#include "vorn/core/papercraft/EdgeNumbering.h"
#include "vorn/core/papercraft/PaperCairoWriter.h"
#include "vorn/core/papercraft/PaperSurface.h"
#include "vorn/core/papercraft/PapercraftExport.h"
#include "vorn/core/papercraft/PapercraftOptions.h"

#include "tests/support/RunStrategy.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/BreadthFirstUnfolder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <set>

namespace {

/// A torus of 2 x 125 x 200 = 50,000 triangles whose tube radius swells and shrinks
/// with a smooth, fixed pattern of bumps.
MeshData bumpyTorus() {
    const int rings = 125, segments = 200;
    const double major = 2.0;
    MeshData d = testshapes::torus(rings, segments, major, 0.5);
    for (int i = 0; i < rings; ++i) {
        const double u = 2 * M_PI * i / rings;
        for (int j = 0; j < segments; ++j) {
            const double v = 2 * M_PI * j / segments;
            const double bump = 0.3 * std::sin(5 * u) * std::cos(3 * v) +
                                0.15 * std::sin(11 * u + 4 * v) + 0.08 * std::cos(23 * u - 7 * v);
            Sorvex::M3d& p = d.vertices[size_t(i * segments + j)];
            const Sorvex::M3d centre(major * std::cos(u), 0, major * std::sin(u));
            p = centre + (p - centre) * (1.0 + bump);
        }
    }
    return d;
}

/// A model with its breadth-first net as a fold tree, made once.
struct Model {
    std::unique_ptr<PolyMesh> mesh;
    PaperSurface surface;
};

Model& model(int which) {
    static Model models[2];
    Model& m = models[which];
    if (!m.mesh) {
        m.mesh = testshapes::meshOf(which == 0 ? testshapes::icosphere(4) : bumpyTorus());
        const auto start = std::chrono::steady_clock::now();
        auto* u = testshapes::bind<BreadthFirstUnfolder>(*m.mesh);
        testshapes::runToEnd(*u, 100000000);
        std::printf(
            "unfolding the %zu-face model breadth first took %.2f s\n", m.mesh->getPolyCount(),
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        std::string error;
        m.surface.build(*m.mesh, error);
        m.surface.setFolds(NetFoldEdges(*u));
    }
    return m;
}

void BM_PapercraftExport(benchmark::State& state) {
    Model& m = model(int(state.range(0)));
    PapercraftOptions options;
    options.size = PapercraftOptions::Size::Height;
    options.sizeValue = state.range(0) == 0 ? 150.0 : 100.0;
    TempDir dir;
    PaperLayout layout;
    double buildSeconds = 0.0, pdfSeconds = 0.0;
    for (auto _ : state) {
        std::string error;
        const std::clock_t start = std::clock();
        const bool built = BuildPapercraft(m.surface, options, layout, error);
        const std::clock_t middle = std::clock();
        if (!built || !WritePapercraftPdf(layout, options, dir.path() + "/model.pdf", error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        buildSeconds += double(middle - start) / CLOCKS_PER_SEC;
        pdfSeconds += double(std::clock() - middle) / CLOCKS_PER_SEC;
    }
    state.counters["faces"] = double(m.surface.faces.size());
    state.counters["pieces"] = layout.pieceCount;
    state.counters["tabs"] = layout.tabCount;
    state.counters["dropped_tabs"] = double(layout.warnings.size());
    // Of the cut edge pairs, the share left without a tab.
    state.counters["drop_rate"] = double(layout.warnings.size()) /
                                  std::max(1.0, double(layout.tabCount + layout.warnings.size()));
    state.counters["pages"] = double(layout.pages.size());
    // Distinct label sizes and turns: each costs the PDF writer a font of its own.
    std::set<std::pair<int, int>> fonts;
    size_t labels = 0;
    for (const PaperPage& page : layout.pages)
        for (const PaperPiece& piece : page.pieces)
            for (const PaperLabel& label : piece.labels) {
                fonts.emplace(LabelSizeStep(label.size), LabelAngleStep(label.angle));
                ++labels;
            }
    state.counters["labels"] = double(labels);
    state.counters["label_fonts"] = double(fonts.size());
    state.counters["small_labels"] = layout.smallLabelCount;
    // Where the processor time goes: splitting, tabs and packing, then writing the PDF.
    state.counters["build_s"] = buildSeconds / double(state.iterations());
    state.counters["pdf_s"] = pdfSeconds / double(state.iterations());
}
BENCHMARK(BM_PapercraftExport)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
