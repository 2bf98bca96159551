#include "scene/Coloriser.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/RecordingRenderer.h"
#include "tests/support/TestShapes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

/// Colours one chosen face red and counts the drawing brackets.
class OneFaceRed : public Coloriser {
public:
    explicit OneFaceRed(Poly* face) : m_face(face) {}
    void preDraw(Renderer*, PolyMesh&) override { ++pre; }
    bool getFaceColor(Renderer*, PolyMesh&, Poly& face, RGBAColor& out) override {
        if (&face != m_face)
            return false;
        out = {1, 0, 0, 1};
        return true;
    }
    void postDraw(Renderer*, PolyMesh&) override { ++post; }
    int pre = 0;
    int post = 0;

private:
    Poly* m_face;
};

/// The first colour given inside each drawn polygon, in drawing order.
std::vector<std::vector<double>> polygonColours(const RecordingRenderer& r) {
    std::vector<std::vector<double>> colours;
    bool inPolygon = false;
    for (const RecordedCall& call : r.getCalls()) {
        if (call.name == "beginPolygon")
            inPolygon = true;
        else if (call.name == "color" && inPolygon) {
            colours.push_back(call.args);
            inPolygon = false;
        }
    }
    return colours;
}

} // namespace

TEST(PolyMeshDrawTest, FacesEdgesAndBackFaces) {
    PolyMesh cube;
    ASSERT_TRUE(cube.fromMeshData(testshapes::cube()));
    RecordingRenderer r;
    cube.renderSelf(&r);
    EXPECT_EQ(6u, r.count("beginPolygon"));
    EXPECT_EQ(24u, r.count("vertex"));
    EXPECT_EQ(0u, r.count("beginLines"));

    r.clear();
    cube.setRenderFaceEdges(true);
    cube.renderSelf(&r);
    EXPECT_EQ(1u, r.count("beginLines"));
    EXPECT_EQ(24u + 2 * 12, r.count("vertex")) << "each of the 12 edges drawn once";

    r.clear();
    r.setFlag(RenderFlag::Picking, true);
    cube.renderSelf(&r);
    EXPECT_EQ(0u, r.count("beginLines")) << "no edges while picking";

    r.clear();
    r.setFlag(RenderFlag::Picking, false);
    cube.setRenderFaceEdges(false);
    cube.setRenderBackFaces(true);
    cube.renderSelf(&r);
    EXPECT_EQ(12u, r.count("beginPolygon"));
}

/// Says it shows back sides, and notes whether faces were drawn as a closed surface.
class BothSidesRenderer : public RecordingRenderer {
public:
    bool showsBackSides() const override { return true; }
    void beginPolygon() override {
        RecordingRenderer::beginPolygon();
        closedFaces += getFlag(RenderFlag::ClosedSurface);
    }
    int closedFaces = 0;
};

TEST(PolyMeshDrawTest, ClosedOutwardMeshesAndRenderersThatShowBackSides) {
    PolyMesh sphere;
    ASSERT_TRUE(sphere.fromMeshData(testshapes::icosphere(2)));
    EXPECT_TRUE(sphere.isClosedOutward());
    BothSidesRenderer r;
    sphere.setRenderBackFaces(true);
    sphere.renderSelf(&r);
    EXPECT_EQ(320u, r.count("beginPolygon")) << "no reversed copies where back sides show";
    EXPECT_EQ(320, r.closedFaces);
    EXPECT_FALSE(r.getFlag(RenderFlag::ClosedSurface)) << "the flag is put back after";

    // Every face turned round: closed and consistent, but wound inwards.
    MeshData data = testshapes::icosphere(2);
    for (auto& ring : data.faces)
        std::reverse(ring.begin(), ring.end());
    PolyMesh inward;
    ASSERT_TRUE(inward.fromMeshData(data));
    EXPECT_FALSE(inward.isClosedOutward());

    // One face turned round: its edges run the same way as its neighbours'.
    data = testshapes::icosphere(2);
    std::reverse(data.faces[0].begin(), data.faces[0].end());
    PolyMesh inconsistent;
    if (inconsistent.fromMeshData(data)) {
        EXPECT_FALSE(inconsistent.isClosedOutward());
    }

    // The answer follows changes to the mesh; an empty mesh bounds nothing.
    sphere.remPolyClean(sphere.getPoly(0));
    EXPECT_FALSE(sphere.isClosedOutward());
    EXPECT_FALSE(PolyMesh().isClosedOutward());
}

TEST(PolyMeshDrawTest, ColourPrecedence) {
    PolyMesh cube;
    ASSERT_TRUE(cube.fromMeshData(testshapes::cube()));
    cube.setColor(0.5, 0.5, 0.5);
    PolyMesh other;
    ASSERT_TRUE(other.fromMeshData(testshapes::cube()));
    cube.getPoly(1)->setTwin(other.getPoly(1));
    cube.getPoly(2)->setTwin(other.getPoly(2));

    RecordingRenderer r;
    cube.renderSelf(&r);
    const std::vector<double> grey{0.5, 0.5, 0.5, 1};
    for (const auto& c : polygonColours(r))
        EXPECT_EQ(grey, c) << "twins are not blue unless asked";

    cube.setRenderTwinnedInBlue(true);
    OneFaceRed red(cube.getPoly(2));
    cube.pushColoriser(&red);
    cube.setTrackMouse(true);
    cube.setHighlightedPoly(cube.getPoly(3));
    r.clear();
    cube.renderSelf(&r);
    auto colours = polygonColours(r);
    ASSERT_EQ(6u, colours.size());
    EXPECT_EQ(grey, colours[0]);
    EXPECT_NE(grey, colours[1]) << "twinned face drawn in blue";
    EXPECT_GT(colours[1][2], colours[1][0]);
    EXPECT_EQ((std::vector<double>{1, 0, 0, 1}), colours[2]) << "colouriser before blue";
    EXPECT_NE(grey, colours[3]) << "highlighted";
    EXPECT_EQ(1, red.pre);
    EXPECT_EQ(1, red.post);

    cube.popColoriser();
    cube.setTrackMouse(false);
    EXPECT_EQ(nullptr, cube.getHighlightedPoly());
    r.clear();
    cube.renderSelf(&r);
    colours = polygonColours(r);
    EXPECT_EQ(colours[1], colours[2]) << "both blue once the colouriser is gone";
    EXPECT_EQ(grey, colours[3]);
}

namespace {

MeshDrawStamp::Inputs noInputs() {
    return {};
}

} // namespace

// The stamp under which a renderer keeps a mesh's faces holds exactly while faces are only
// added; anything else draws them anew.
TEST(PolyMeshDrawTest, FaceStampHoldsWhileFacesAreOnlyAdded) {
    PolyMesh source;
    source.fromMeshData(testshapes::icosphere(1));
    PolyMesh net;
    MeshDrawStamp stamp;
    const std::uint64_t empty = stamp.update(net, noInputs());
    EXPECT_EQ(empty, stamp.update(net, noInputs())) << "nothing changed";

    // Faces copied over one by one, with change reports between, as a net grows.
    auto addCopy = [&](Poly* f) {
        std::vector<Vertex*> ring;
        for (int k = 0; k < f->getVertexCount(); ++k)
            ring.push_back(new Vertex(*f->getVertex(k)));
        net.addPoly(new Poly(ring));
    };
    for (int i = 0; i < 6; ++i) {
        addCopy(source.getPoly(std::size_t(i)));
        net.onChanged(true);
        EXPECT_EQ(empty, stamp.update(net, noInputs())) << "face " << i << " added";
    }

    struct Change {
        const char* what;
        std::function<void()> make;
    };
    const std::vector<Change> changes = {
        {"a face removed", [&] { net.remPolyClean(net.getPoly(2)); }},
        {"the last face removed and another added",
         [&] {
             net.remPolyClean(net.getPoly(net.getPolyCount() - 1));
             addCopy(source.getPoly(9));
         }},
        {"a change in place", [&] { net.onChanged(false); }},
        {"a structural report adding nothing", [&] { net.onChanged(true); }},
        {"vertices moved", [&] { net.shiftToCenter(); }},
        {"a vertex moved and marked", [&] {
             net.getVertex(0)->setPosition(Sorvex::M3d(3, 3, 3));
             net.markDrawingChanged();
         }},
        {"everything cleared", [&] { net.clear(); }},
    };
    std::uint64_t last = empty;
    for (const Change& change : changes) {
        addCopy(source.getPoly(12));
        EXPECT_EQ(last, stamp.update(net, noInputs())) << "before " << change.what;
        change.make();
        const std::uint64_t now = stamp.update(net, noInputs());
        EXPECT_NE(last, now) << change.what;
        last = now;
    }
    MeshDrawStamp::Inputs hovered = noInputs();
    hovered[1] = 42;
    EXPECT_NE(last, stamp.update(net, hovered)) << "other inputs changed";
}
