#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/settings/SaveFileChooser.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"
#include "unfolders/automation/CUnfolderAutomator3DSettings.h"
#include "unfolders/automation/LocalCache.h"
#include "unfolders/automation/UnfolderAutomator3D.h"
#include "vorn/core/shapes/Coolinoid.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

/// A 3D sweep under `parent` over h 0.5..8, k 0..12, dim 5..`dimMax`, judged by breadth
/// first, refined to level 3.
UnfolderAutomator3D* buildSweep(SceneObj& parent, const TempDir& dir, double hMax, int dimMax,
                                const std::string& stream) {
    std::unique_ptr<Factorable> built(Factory::BuildObj("UnfolderAutomator3D"));
    auto* sweep = dynamic_cast<UnfolderAutomator3D*>(built.get());
    if (!sweep)
        return nullptr;
    built.release();
    sweep->setParent(&parent);
    XML ranges("UnfolderAutomator3D");
    XML* h = ranges.add("h");
    h->add("min", 0.5);
    h->add("max", hMax);
    XML* k = ranges.add("k");
    k->add("min", 0.0);
    k->add("max", 12.0);
    XML* dim = ranges.add("dim", 9.0);
    dim->add("min", 5);
    dim->add("max", dimMax);
    ranges.add("strategy", "BreadthFirstUnfolder");
    ranges.add("database", "sqlite:" + dir.file("sweep.sqlite"));
    if (!stream.empty())
        ranges.add("stream", stream);
    sweep->setMaxLevel(3);
    sweep->read(ranges);
    return sweep;
}

void refineToEnd(UnfolderAutomator3D& sweep) {
    do
        sweep.refine(1000);
    while (!sweep.isDone());
}

std::vector<PolyMesh*> plainMeshes(SceneObj& obj) {
    std::vector<PolyMesh*> meshes;
    for (SceneObj* child : obj.getChildren())
        if (child->getClassName() == "PolyMesh")
            meshes.push_back(static_cast<PolyMesh*>(child));
    return meshes;
}

} // namespace

TEST(UnfolderAutomator3D, StreamedSurfaceIsTheFileFormatAndReadsBackAsAMesh) {
    TempDir dir;
    Coolinoid parent;
    const std::string stream = dir.file("surface.xml");
    UnfolderAutomator3D* sweep = buildSweep(parent, dir, 8.0, 12, stream);
    ASSERT_TRUE(sweep);
    EXPECT_EQ(sweep->getChildren().size(), 9u) << "the bounding-box handle and 8 corner icons";
    EXPECT_TRUE(sweep->getFinalize());
    EXPECT_FALSE(sweep->getStartedFinalizing());
    refineToEnd(*sweep);
    ASSERT_TRUE(sweep->getStartedFinalizing());
    ASSERT_GT(sweep->getStreamedTriangles(), 0);

    const std::string text = ReadFileText(stream);
    EXPECT_EQ(text.rfind("<SceneRoot>\n<Viewpoint><At>0.0000  0.0000  0.0000</At><From>-20.0000  "
                         "0.0000  0.0000</From><Up>0.0000  1.0000  0.0000</Up><Diam>0.000000"
                         "</Diam></Viewpoint>\n<Children><PolyMesh>\n<DrawEdges>true</DrawEdges>\n"
                         "<DrawBackFaces>true</DrawBackFaces>\n<Faces>\n<UnindexedFace><Vertex>",
                         0),
              0u);
    EXPECT_NE(text.find("</Faces></PolyMesh></Children></SceneRoot>\n"), std::string::npos);
    EXPECT_EQ(text.find("[bin]"), std::string::npos);

    // The mesh read back is the automator's child, and the file opens as a scene on its own.
    const std::vector<PolyMesh*> meshes = plainMeshes(*sweep);
    ASSERT_EQ(meshes.size(), 1u);
    EXPECT_GT(meshes[0]->getPolyCount(), 0u);
    EXPECT_LE(long(meshes[0]->getPolyCount()), sweep->getStreamedTriangles());
    XML xml("SceneRoot");
    ASSERT_TRUE(xml.fromFile(stream));
    SceneRoot root;
    root.read(xml);
    ASSERT_EQ(root.getChildren().size(), 1u);
    EXPECT_EQ(static_cast<PolyMesh*>(root.getChildren()[0])->getPolyCount(),
              meshes[0]->getPolyCount());
    // Every corner lies in the box of the field.
    for (const Vertex* v : meshes[0]->getVertices())
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_LE(std::abs(v->getPosition()[axis]), 5.0 + 1e-9);

    // Streaming has started: the target and the flag no longer change.
    sweep->setFinalize(false);
    sweep->setOutputTarget("elsewhere.xml");
    EXPECT_TRUE(sweep->getFinalize());
    EXPECT_EQ(sweep->getOutputTarget(), stream);

    // The panel shows that, with its controls disabled.
    CUnfolderAutomator3DSettings panel;
    ASSERT_TRUE(panel.create(sweep));
    EXPECT_EQ(panel.getTitle(), "Unfolder Automator Settings");
    EXPECT_FALSE(panel.findControl(ControlKind::CheckBox, "Finalize")->enabled);
    EXPECT_EQ(panel.findControl(ControlKind::Edit, "Target:")->text, stream);
    LocalCache::Get("sqlite:" + dir.file("sweep.sqlite")).shutdown();
}

TEST(UnfolderAutomator3D, EmptyRangesUnwritableTargetsAndThePanelBeforeStreaming) {
    TempDir dir;
    Coolinoid parent;
    // hMax = hMin: the field is 0 everywhere, so no surface and no file.
    UnfolderAutomator3D* flat = buildSweep(parent, dir, 0.5, 12, dir.file("flat.xml"));
    ASSERT_TRUE(flat);
    Sorvex::M3d p(1, 2, 3);
    EXPECT_EQ(flat->F(p), 0.0);
    refineToEnd(*flat);
    EXPECT_FALSE(flat->getStartedFinalizing());
    EXPECT_FALSE(std::filesystem::exists(dir.file("flat.xml")));
    EXPECT_TRUE(plainMeshes(*flat).empty());

    // A target in a missing folder is skipped: nothing written, nothing read back.
    UnfolderAutomator3D* lost = buildSweep(parent, dir, 8.0, 12, dir.file("no/such/dir/s.xml"));
    refineToEnd(*lost);
    EXPECT_TRUE(lost->getStartedFinalizing());
    EXPECT_TRUE(plainMeshes(*lost).empty());

    // Before streaming the panel sets the flag and the target; Browse asks the host.
    UnfolderAutomator3D* fresh = buildSweep(parent, dir, 8.0, 12, "");
    EXPECT_FALSE(fresh->getFinalize());
    EXPECT_NE(fresh->getOutputTarget().find("Coolinoid Unfoldability - h=(0.500000..8.000000), "
                                            "k=(0.000000..12.000000), dim=(5..12), refine=3.xml"),
              std::string::npos)
        << fresh->getOutputTarget();
    CUnfolderAutomator3DSettings panel;
    ASSERT_TRUE(panel.create(fresh));
    ASSERT_TRUE(panel.setCheck("Finalize", true));
    EXPECT_TRUE(fresh->getFinalize());
    std::string askedFrom;
    SetSaveFileChooser([&](const std::string& start, const std::string& extension) {
        askedFrom = start;
        EXPECT_EQ(extension, "xml");
        return dir.file("chosen.xml");
    });
    ASSERT_TRUE(panel.click("Browse..."));
    SetSaveFileChooser({});
    EXPECT_EQ(askedFrom.find("Coolinoid Unfoldability"), askedFrom.rfind('/') + 1);
    EXPECT_EQ(fresh->getOutputTarget(), dir.file("chosen.xml"));
    EXPECT_EQ(panel.findControl(ControlKind::Edit, "Target:")->text, dir.file("chosen.xml"));
    LocalCache::Get("sqlite:" + dir.file("sweep.sqlite")).shutdown();
}
