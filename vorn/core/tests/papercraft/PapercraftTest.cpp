#include "vorn/core/papercraft/EdgeNumbering.h"
#include "vorn/core/papercraft/FlatOverlap.h"
#include "vorn/core/papercraft/GlueTabs.h"
#include "vorn/core/papercraft/PaperSurface.h"
#include "vorn/core/papercraft/PapercraftExport.h"
#include "vorn/core/papercraft/PapercraftOptions.h"
#include "vorn/core/tests/papercraft/PaperChecks.h"

#include "scene/loaders/OffParser.h"
#include "scene/mesh/Poly.h"
#include "tests/support/DataModels.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/BreadthFirstUnfolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>

namespace {

PapercraftOptions mmPerUnit(double mm) {
    PapercraftOptions o;
    o.size = PapercraftOptions::Size::MmPerUnit;
    o.sizeValue = mm;
    return o;
}

/// What every layout must satisfy, checked independently of how it was made.
void expectSound(const PaperLayout& layout, const PaperSurface& surface, const std::string& what) {
    const double modelMm = std::max(surface.height, surface.longestEdge) * layout.mmPerUnit;
    // Every face printed once.
    std::multiset<int> faces;
    for (const PaperPage& page : layout.pages)
        for (const PaperPiece& piece : page.pieces)
            for (const PaperFace& f : piece.faces)
                faces.insert(f.sourceFace);
    EXPECT_EQ(surface.faces.size(), faces.size()) << what;
    EXPECT_EQ(surface.faces.size(), std::set<int>(faces.begin(), faces.end()).size()) << what;
    // No overlaps on any page, pieces inside the margins.
    for (size_t p = 0; p < layout.pages.size(); ++p) {
        const auto overlaps = papercheck::PageOverlaps(layout.pages[p], 1e-6 * modelMm);
        EXPECT_TRUE(overlaps.empty()) << what << ", page " << p + 1 << ": " << overlaps.front();
        for (const PaperPiece& piece : layout.pages[p].pieces)
            for (const PaperFace& f : piece.faces)
                for (const auto& c : f.corners) {
                    EXPECT_GE(c.x(), layout.marginMm - 1e-9) << what;
                    EXPECT_LE(c.x(), layout.pageWidthMm - layout.marginMm + 1e-9) << what;
                    EXPECT_GE(c.y(), layout.marginMm - 1e-9) << what;
                    EXPECT_LE(c.y(), layout.pageHeightMm - layout.marginMm + 1e-9) << what;
                }
    }
    // Every number names exactly two cut edges, and has one tab unless a warning says why.
    std::map<int, int> sides, tabs;
    for (const PaperPage& page : layout.pages)
        for (const PaperPiece& piece : page.pieces) {
            for (const PaperLabel& l : piece.labels)
                if (!l.isPieceNumber)
                    ++sides[std::stoi(l.text)];
            for (const GlueTab& t : piece.tabs)
                ++tabs[t.number];
        }
    for (const auto& [number, count] : sides) {
        EXPECT_EQ(2, count) << what << ": edge number " << number;
        EXPECT_LE(tabs[number], 1) << what << ": edge number " << number;
    }
    EXPECT_EQ(sides.size(), size_t(layout.tabCount) + layout.warnings.size()) << what;
    // Folding each piece along its printed folds rebuilds the model.
    double edgeGap = 0;
    const double distance = papercheck::FoldedDistance(layout, surface, edgeGap);
    EXPECT_LT(distance, 1e-6 * modelMm) << what;
    EXPECT_LT(edgeGap, 1e-6 * modelMm) << what;
}

struct Built {
    PaperSurface surface;
    PaperLayout layout;
};

/// The papercraft of `strategy`'s net of `mesh`.
template <typename Strategy>
Built papercraftOf(PolyMesh& mesh, const PapercraftOptions& options, bool* success = nullptr) {
    auto* u = testshapes::bind<Strategy>(mesh);
    EXPECT_TRUE(testshapes::runToEnd(*u));
    if (success)
        *success = u->isSuccesful();
    Built b;
    std::string error;
    EXPECT_TRUE(b.surface.build(mesh, error)) << error;
    b.surface.setFolds(NetFoldEdges(*u));
    EXPECT_TRUE(BuildPapercraftFromNet(*u, options, b.layout, error)) << error;
    return b;
}

} // namespace

TEST(Papercraft, SuccessfulConvexNetsStayOnePieceAndFoldBackOntoTheModel) {
    const std::vector<std::pair<std::string, std::function<std::unique_ptr<PolyMesh>()>>> shapes = {
        {"cube", [] { return testshapes::meshOf(testshapes::cube()); }},
        {"icosahedron", [] { return testshapes::meshOf(testshapes::unitIcosahedron()); }},
        {"random convex", [] { return testshapes::randomConvex(5, 30); }},
    };
    for (const auto& [name, make] : shapes) {
        auto mesh = make();
        bool success = false;
        const Built b = papercraftOf<BreadthFirstUnfolder>(*mesh, mmPerUnit(40), &success);
        ASSERT_TRUE(success) << name;
        EXPECT_EQ(1, b.layout.pieceCount) << name;
        EXPECT_EQ(1u, b.layout.pages.size()) << name;
        expectSound(b.layout, b.surface, name);
    }
    // A cube has 12 edges: 5 folds join its 6 faces, 7 cut edges get a number and a tab.
    auto cube = testshapes::meshOf(testshapes::cube());
    const Built b = papercraftOf<BreadthFirstUnfolder>(*cube, mmPerUnit(50));
    EXPECT_EQ(7, b.layout.tabCount);
    int mountains = 0;
    for (const PaperLine& l : b.layout.pages[0].pieces[0].lines)
        if (l.kind == PaperLineKind::Mountain && l.foldDegrees > 0) {
            ++mountains;
            EXPECT_NEAR(90.0, l.foldDegrees, 1e-9);
        }
    EXPECT_EQ(5, mountains);
}

TEST(Papercraft, OverlappingNetsOfRealMeshesSplitIntoOverlapFreePieces) {
    const std::vector<std::pair<std::string, std::function<std::unique_ptr<PolyMesh>()>>> shapes = {
        {"torus", [] { return testshapes::meshOf(testshapes::torus(10, 20)); }},
        {"letter O", [] { return testshapes::dataModel("letter-o.off"); }},
        {"cross part", [] { return testshapes::dataModel("cross-part.off"); }},
        {"channel bracket", [] { return testshapes::dataModel("channel-bracket.off"); }},
        {"L prism", [] { return testshapes::lPrism(); }},
        // Only the starting face's component is unfolded: the other is split from scratch.
        {"two parts", [] { return testshapes::dataModel("two-parts.off"); }},
        // Border edges are cut without numbers or tabs.
        {"open box", [] { return testshapes::openBox(); }},
    };
    for (const auto& [name, make] : shapes) {
        auto mesh = make();
        // The base strategy lays every face without looking for overlaps.
        bool success = true;
        // Nets laid without care are huge: a wide roll of paper holds the largest piece.
        PapercraftOptions options;
        options.sizeValue = 120;
        options.page = "Custom";
        options.pageWidthMm = options.pageHeightMm = 2500;
        const Built b = papercraftOf<Unfolder>(*mesh, options, &success);
        expectSound(b.layout, b.surface, name);
        if (name == "torus") {
            EXPECT_FALSE(success);
            EXPECT_GT(b.layout.pieceCount, 1);
            EXPECT_LT(b.layout.pieceCount, 20) << "regrouping should join most pieces";
        }
    }
}

TEST(Papercraft, FoldsAreClassifiedAndFlatOnesCanBeLeftOut) {
    // The L prism's notch walls meet at a reflex edge: a valley fold when joined.
    auto prism = testshapes::lPrism();
    PaperSurface surface;
    std::string error;
    ASSERT_TRUE(surface.build(*prism, error));
    std::vector<std::pair<int, int>> all; // the walls in a strip, the roof and floor on wall 0
    for (int w = 0; w < 5; ++w)
        all.emplace_back(w, w + 1);
    all.emplace_back(0, 6);
    all.emplace_back(0, 7);
    surface.setFolds(all);
    PaperLayout layout;
    ASSERT_TRUE(BuildPapercraft(surface, mmPerUnit(30), layout, error)) << error;
    int valleys = 0;
    for (const PaperPage& page : layout.pages)
        for (const PaperPiece& piece : page.pieces)
            for (const PaperLine& l : piece.lines)
                valleys += l.kind == PaperLineKind::Valley;
    EXPECT_GE(valleys, 1);
    expectSound(layout, surface, "L prism");

    // A sphere of many faces: folds flatter than 30 degrees are left out when asked.
    auto sphere = testshapes::meshOf(testshapes::icosphere(2));
    ASSERT_TRUE(surface.build(*sphere, error));
    const auto countFolds = [&](double omit) {
        PapercraftOptions o = mmPerUnit(20);
        o.omitFoldsBelowDegrees = omit;
        PaperLayout l;
        EXPECT_TRUE(BuildPapercraft(surface, o, l, error)) << error;
        int folds = 0;
        for (const PaperPage& page : l.pages)
            for (const PaperPiece& piece : page.pieces)
                for (const PaperLine& line : piece.lines)
                    folds += line.kind != PaperLineKind::Cut && line.foldDegrees > 0;
        return folds;
    };
    EXPECT_GT(countFolds(0), 0);
    EXPECT_EQ(0, countFolds(30));
}

TEST(Papercraft, TooLargePiecesAndBadInputAreRefusedWithAReason) {
    auto cube = testshapes::meshOf(testshapes::cube());
    PaperSurface surface;
    std::string error;
    ASSERT_TRUE(surface.build(*cube, error));
    PaperLayout layout;
    layout.pieceCount = -7;
    // Six faces of 300 mm cannot lie on A4.
    EXPECT_FALSE(BuildPapercraft(surface, mmPerUnit(300), layout, error));
    EXPECT_NE(std::string::npos, error.find("mm per unit")) << error;
    EXPECT_EQ(-7, layout.pieceCount) << "the layout is left as it was";

    PapercraftOptions bad = mmPerUnit(10);
    bad.marginMm = 150;
    EXPECT_FALSE(BuildPapercraft(surface, bad, layout, error));
    EXPECT_EQ("the margins leave no room on the page", error);
    bad = mmPerUnit(std::nan(""));
    EXPECT_FALSE(BuildPapercraft(surface, bad, layout, error));
    bad = mmPerUnit(1e308);
    EXPECT_FALSE(BuildPapercraft(surface, bad, layout, error));
    bad.page = "B7";
    EXPECT_FALSE(ResolvePageSize(bad, error));

    PolyMesh empty;
    EXPECT_FALSE(surface.build(empty, error));
    EXPECT_EQ("the mesh has no faces", error);
    // Two faces running the same edge the same way: not a surface paper can make.
    PolyMesh twisted;
    Vertex* a = twisted.addVertexAt({0, 0, 0});
    Vertex* b = twisted.addVertexAt({1, 0, 0});
    Vertex* c = twisted.addVertexAt({0, 1, 0});
    Vertex* d = twisted.addVertexAt({0, 0, 1});
    twisted.addPoly(new Poly({a, b, c}));
    twisted.addPoly(new Poly({a, b, d}));
    EXPECT_FALSE(surface.build(twisted, error));
    EXPECT_NE(std::string::npos, error.find("not manifold")) << error;
}

TEST(Papercraft, OverlapTestsAgreeWithTheIndependentCheck) {
    using Sorvex::M2d;
    // A non-convex ring splits into triangles covering its area exactly.
    const std::vector<M2d> notch = {{0, 0}, {4, 0}, {4, 4}, {2, 1}, {0, 4}};
    double area = 0;
    for (const auto& t : TriangulatePolygon(notch)) {
        const M2d u = notch[size_t(t[1])] - notch[size_t(t[0])];
        const M2d v = notch[size_t(t[2])] - notch[size_t(t[0])];
        area += 0.5 * (u.x() * v.y() - u.y() * v.x());
    }
    EXPECT_NEAR(10.0, area, 1e-12);
    // Shapes that touch, overlap, coincide or nest, each against the notch.
    const std::vector<std::pair<std::vector<M2d>, bool>> others = {
        {{{4, 0}, {6, 0}, {6, 4}, {4, 4}}, false},        // touching along an edge
        {{{1, 3}, {3, 3}, {2, 4}}, false},                // in the notch
        {{{1.5, 2}, {3, 2}, {2, 3.5}}, true},             // across the notch's edge
        {{{0, 0}, {4, 0}, {4, 4}, {2, 1}, {0, 4}}, true}, // the same ring
        {{{1, 0.2}, {3, 0.2}, {2, 0.6}}, true},           // inside
    };
    for (size_t i = 0; i < others.size(); ++i) {
        std::vector<FlatTriangle> mine, theirs;
        AppendFlatTriangles(notch, 0, mine);
        AppendFlatTriangles(others[i].first, 1, theirs);
        bool found = false;
        for (const auto& s : mine)
            for (const auto& t : theirs)
                found = found || FlatTrianglesOverlap(s, t, 1e-9);
        EXPECT_EQ(others[i].second, found) << "shape " << i;
        EXPECT_EQ(others[i].second, papercheck::PolygonsOverlap(notch, others[i].first, 1e-9))
            << "shape " << i;
    }
}

TEST(Papercraft, TabsTakeTheirShapeFromTheAnglesAtEitherEnd) {
    using Sorvex::M2d;
    const M2d a(0, 0), b(10, 0);
    // Outside a counter-clockwise face's edge running along +x is below it.
    const auto sideAngle = [](const M2d& base, const M2d& corner) {
        return std::atan2(std::fabs(corner.y() - base.y()), std::fabs(corner.x() - base.x())) *
               180.0 / M_PI;
    };
    const auto tab = TabOutline(a, b, 1.0, 45.0, 10.0);
    ASSERT_EQ(4u, tab.size());
    EXPECT_NEAR(-1.0, tab[1].y(), 1e-12);
    EXPECT_NEAR(45.0, sideAngle(a, tab[1]), 1e-9);
    EXPECT_NEAR(10.0, sideAngle(b, tab[2]), 1e-9);
    // Sides too flat for the height meet below it: a triangle on the whole edge.
    const auto triangle = TabOutline(a, b, 5.0, 20.0, 5.0);
    ASSERT_EQ(3u, triangle.size());
    EXPECT_NEAR(20.0, sideAngle(a, triangle[1]), 1e-9);
    EXPECT_NEAR(5.0, sideAngle(b, triangle[1]), 1e-9);
    EXPECT_LT(triangle[1].y(), 0.0);
    EXPECT_EQ(TabOutline(a, b, 2.0, 30.0), TabOutline(a, b, 2.0, 30.0, 30.0));
}

namespace {

/// Per vertex of `surface`: how many numbered (cut) edges of `layout` meet there.
std::map<int, int> cutEdgesAtVertices(const PaperLayout& layout, const PaperSurface& surface) {
    std::map<int, std::set<int>> numbers;
    for (const PaperPage& page : layout.pages)
        for (const PaperPiece& piece : page.pieces)
            for (const PaperLabel& l : piece.labels) {
                if (l.isPieceNumber)
                    continue;
                const auto& ids = surface.faces[size_t(l.sourceFace)].vertexIds;
                numbers[ids[size_t(l.edge)]].insert(std::stoi(l.text));
                numbers[ids[(size_t(l.edge) + 1) % ids.size()]].insert(std::stoi(l.text));
            }
    std::map<int, int> count;
    for (const auto& [v, n] : numbers)
        count[v] = int(n.size());
    return count;
}

/// Per vertex of a closed `surface`: 360 degrees less the face angles round it.
std::map<int, double> angleDeficits(const PaperSurface& surface) {
    std::map<int, double> sum;
    for (const auto& f : surface.faces)
        for (size_t i = 0, n = f.corners.size(); i < n; ++i) {
            Sorvex::M3d u = f.corners[(i + 1) % n] - f.corners[i];
            Sorvex::M3d w = f.corners[(i + n - 1) % n] - f.corners[i];
            sum[f.vertexIds[i]] += std::acos(u.dot(w) / (u.length() * w.length())) * 180 / M_PI;
        }
    for (auto& [v, degrees] : sum)
        degrees = 360 - degrees;
    return sum;
}

} // namespace

TEST(Papercraft, NarrowSlitsAreOpenedSoThatMostCutEdgesOfADenseSphereGetATab) {
    // Every vertex of a 320-face sphere turns less than 10 degrees: where a cut ends at one,
    // with all its faces in one piece, the slit is that narrow and no tab fits either side.
    auto sphere = testshapes::meshOf(testshapes::icosphere(2));
    PapercraftOptions options;
    options.sizeValue = 60;
    const Built b = papercraftOf<BreadthFirstUnfolder>(*sphere, options);
    expectSound(b.layout, b.surface, "sphere");
    const double pairs = double(b.layout.tabCount) + double(b.layout.warnings.size());
    EXPECT_LT(double(b.layout.warnings.size()), 0.1 * pairs)
        << b.layout.warnings.size() << " of " << pairs << " dropped";

    // Without tabs no slit is opened; with them, fewer vertices end a cut, for a few more
    // pieces at most.
    const auto deficits = angleDeficits(b.surface);
    const auto slitEnds = [&](const PaperLayout& layout) {
        int ends = 0;
        for (const auto& [v, cuts] : cutEdgesAtVertices(layout, b.surface)) {
            EXPECT_LT(deficits.at(v), 10.0);
            ends += cuts == 1;
        }
        return ends;
    };
    PapercraftOptions plain = options;
    plain.tabs = false;
    PaperLayout without;
    std::string error;
    ASSERT_TRUE(BuildPapercraft(b.surface, plain, without, error)) << error;
    const int opened = slitEnds(b.layout), closed = slitEnds(without);
    EXPECT_LT(2 * opened, closed);
    EXPECT_LE(b.layout.pieceCount, without.pieceCount + 8);
}

TEST(Papercraft, EdgeNumbersComeInSizeAndAngleStepsInsideTheirFaces) {
    EXPECT_EQ(1.0, RoundLabelSizeDown(1.0));
    for (double size = 0.05; size < 20; size *= 1.013) {
        const double rounded = RoundLabelSizeDown(size);
        EXPECT_LE(rounded, size);
        EXPECT_GT(rounded, size / kLabelSizeRatio);
        EXPECT_EQ(rounded, RoundLabelSizeDown(rounded)) << size;
        EXPECT_EQ(LabelSizeStep(rounded), LabelSizeStep(size)) << size;
    }
    // A torus's faces run every way on the page, at many sizes.
    auto torus = testshapes::meshOf(testshapes::torus(12, 24));
    PapercraftOptions options;
    options.sizeValue = 80;
    const Built b = papercraftOf<BreadthFirstUnfolder>(*torus, options);
    std::set<std::pair<int, int>> steps;
    size_t labels = 0;
    for (const PaperPage& page : b.layout.pages)
        for (const PaperPiece& piece : page.pieces)
            for (const PaperLabel& l : piece.labels) {
                steps.emplace(LabelSizeStep(l.size), LabelAngleStep(l.angle));
                const double degrees = l.angle * 180 / M_PI;
                EXPECT_NEAR(degrees,
                            kLabelAngleStepDegrees * std::round(degrees / kLabelAngleStepDegrees),
                            1e-9);
                EXPECT_EQ(l.size, RoundLabelSizeDown(l.size));
                if (l.isPieceNumber)
                    continue;
                ++labels;
                const PaperFace* face = nullptr;
                for (const PaperFace& f : piece.faces)
                    face = f.sourceFace == l.sourceFace ? &f : face;
                ASSERT_NE(nullptr, face);
                const Sorvex::M2d a = face->corners[size_t(l.edge)];
                const Sorvex::M2d e =
                    face->corners[(size_t(l.edge) + 1) % face->corners.size()] - a;
                // Along its edge within half a step, no taller than 0.4 of it, inside the face.
                double turn = std::remainder(degrees - std::atan2(e.y(), e.x()) * 180 / M_PI, 360);
                EXPECT_LE(std::fabs(turn), 0.5 * kLabelAngleStepDegrees + 1e-9);
                EXPECT_LE(l.size, 0.4 * e.length() + 1e-12);
                EXPECT_LE(l.size, options.textMm);
                bool inside = false;
                const auto& c = face->corners;
                for (size_t i = 0, j = c.size() - 1; i < c.size(); j = i++)
                    if ((c[i].y() > l.position.y()) != (c[j].y() > l.position.y()) &&
                        l.position.x() < (c[j].x() - c[i].x()) * (l.position.y() - c[i].y()) /
                                                 (c[j].y() - c[i].y()) +
                                             c[i].x())
                        inside = !inside;
                EXPECT_TRUE(inside) << "number " << l.text;
            }
    ASSERT_GT(labels, 500u);
    // Few distinct fonts for many numbers: what keeps dense PDFs quick to write.
    EXPECT_LT(steps.size(), labels / 4);

    // Numbers too small to read are printed all the same, and counted.
    PapercraftOptions tiny = options;
    tiny.sizeValue = 8;
    PaperLayout small;
    std::string error;
    ASSERT_TRUE(BuildPapercraft(b.surface, tiny, small, error)) << error;
    expectSound(small, b.surface, "small torus");
    int below = 0;
    for (const PaperPage& page : small.pages)
        for (const PaperPiece& piece : page.pieces)
            for (const PaperLabel& l : piece.labels)
                below += l.size < 0.6;
    EXPECT_GT(below, 0);
    EXPECT_EQ(below, small.smallLabelCount);
}

TEST(Papercraft, SettingsAreRemembered) {
    PapercraftOptions o;
    o.size = PapercraftOptions::Size::LongestEdge;
    o.sizeValue = 42.5;
    o.page = "Letter";
    o.landscape = true;
    o.tabs = false;
    o.valleyStyle = FoldLineStyle::Dot;
    o.omitFoldsBelowDegrees = 12;
    ASSERT_TRUE(WritePapercraftSettings(o));
    const PapercraftOptions r = ReadPapercraftSettings();
    EXPECT_EQ(PapercraftOptions::Size::LongestEdge, r.size);
    EXPECT_EQ(42.5, r.sizeValue);
    EXPECT_EQ("Letter", r.page);
    EXPECT_TRUE(r.landscape);
    EXPECT_FALSE(r.tabs);
    EXPECT_EQ(FoldLineStyle::Dot, r.valleyStyle);
    EXPECT_EQ(12.0, r.omitFoldsBelowDegrees);
}
