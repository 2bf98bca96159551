#include "vorn/core/SceneDocument.h"

#include "common/XML.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"
#include "vorn/core/LoaderList.h"
#include "vorn/core/TargetMesh.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string example(const char* name) {
    return std::string(VORN_SOURCE_DIR) + "/examples/" + name;
}

class SceneDocumentFiles : public ::testing::Test {
protected:
    void TearDown() override {
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add);
        SceneObj::ProcessDelayedOperations();
    }
    std::string write(const std::string& name, const std::string& text) {
        std::string path = (m_dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    TempDir m_tmp;
    fs::path m_dir{m_tmp.path()};
};

PolyMesh* onlyMesh(const SceneDocument& document) {
    const auto& children = document.getRoot()->getChildren();
    return children.size() == 1 ? dynamic_cast<PolyMesh*>(children.front()) : nullptr;
}

TEST_F(SceneDocumentFiles, SingleObjectGoesUnderANewRootAndIsSelectedAfterThePump) {
    const std::string single =
        write("single.xml", "<?xml version=\"1.0\" ?>\n<PolyMesh>\n  <Vertices>\n"
                            "    <Vertex>0 0 0</Vertex>\n    <Vertex>1 0 0</Vertex>\n"
                            "    <Vertex>0 1 0</Vertex>\n  </Vertices>\n  <Faces>\n"
                            "    <Face>    0,     1,     2</Face>\n  </Faces>\n</PolyMesh>\n");
    for (const std::string& path : {example("cube.off"), single}) {
        SceneDocument document;
        document.newDocument();
        SceneRoot* oldRoot = document.getRoot();
        std::string error;
        ASSERT_TRUE(document.open(path, error)) << error;
        EXPECT_NE(oldRoot, document.getRoot());
        PolyMesh* mesh = onlyMesh(document);
        ASSERT_TRUE(mesh) << path;
        EXPECT_EQ(nullptr, document.getRoot()->getSelection()) << "selected before the pump";
        SceneObj::ProcessDelayedOperations();
        EXPECT_EQ(mesh, document.getRoot()->getSelection()) << path;
        EXPECT_EQ(fs::path(path).filename().string(), document.getRoot()->getFileName());
        EXPECT_EQ(fs::path(path).parent_path().string() + "/", document.getRoot()->getFilePath());
        EXPECT_EQ(path, document.getPathName());
        EXPECT_EQ(document.getRoot(), mesh->getRoot());
    }

    SceneDocument twoObjects;
    std::string error;
    ASSERT_TRUE(twoObjects.open(example("two-meshes.xml"), error)) << error;
    SceneObj::ProcessDelayedOperations();
    EXPECT_EQ(2u, twoObjects.getRoot()->getChildren().size());
    EXPECT_EQ(nullptr, twoObjects.getRoot()->getSelection());
}

TEST_F(SceneDocumentFiles, SaveAndOpenRoundTripIsExact) {
    SceneDocument first;
    std::string error;
    ASSERT_TRUE(first.open(example("l-prism.ply"), error)) << error;
    const std::string saved = (m_dir / "prism.xml").string();
    ASSERT_TRUE(first.save(saved, error)) << error;
    EXPECT_EQ(saved, first.getPathName());
    EXPECT_EQ(first.toText(), ReadFileText(saved));

    SceneDocument second;
    ASSERT_TRUE(second.open(saved, error)) << error;
    MeshData before = onlyMesh(first)->toMeshData();
    MeshData after = onlyMesh(second)->toMeshData();
    ASSERT_EQ(before.vertices.size(), after.vertices.size());
    for (size_t i = 0; i < before.vertices.size(); ++i)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(before.vertices[i][k], after.vertices[i][k]) << "vertex " << i;
    EXPECT_EQ(before.faces, after.faces);
    EXPECT_EQ(first.toText(), second.toText());
}

TEST_F(SceneDocumentFiles, FailedOpenLeavesTheDocumentAsItWas) {
    const std::string head =
        "<?xml version=\"1.0\" ?>\n<SceneRoot>\n  <Children>\n    <PolyMesh>\n";
    const std::string tail = "    </PolyMesh>\n  </Children>\n</SceneRoot>\n";
    const std::string threeVertices = "      <Vertices><Vertex>0 0 0</Vertex><Vertex>1 0 0</Vertex>"
                                      "<Vertex>0 1 0</Vertex></Vertices>\n";
    struct Case {
        std::string path;
        std::string start; // the error begins with path + start
    };
    const Case cases[] = {
        {write("malformed.xml", head + "      <Faces>\n" + tail), ":6: "},
        {write("vertex.xml",
               head + "      <Vertices><Vertex>[bin]12zz[/bin]</Vertex></Vertices>\n" + tail),
         ": "},
        {write("range.xml",
               head + threeVertices + "      <Faces><Face>0, 1, 5</Face></Faces>\n" + tail),
         ": "},
        {write("longbin.xml",
               head +
                   "      <Vertices><Vertex>[bin]000000000000F03F0000000000000040"
                   "0000000000000840A[/bin]</Vertex></Vertices>\n" +
                   tail),
         ": vertex 0: "},
        {write("repeat.xml",
               head + threeVertices + "      <Faces><Face>0, 1, 1</Face></Faces>\n" + tail),
         ": "},
        {write("empty.xml", ""), ":"},
        {write("empty.off", ""), ": file is empty"},
        {write("garbage.stl", std::string(300, '\x01')), ": "},
        {write("model.3ds", "3ds"), ": unknown file type (no loader reads this extension)"},
        {(m_dir / "absent.obj").string(), ": "},
    };

    SceneDocument document;
    std::string error;
    ASSERT_TRUE(document.open(example("cube.off"), error)) << error;
    SceneObj::ProcessDelayedOperations();
    SceneRoot* root = document.getRoot();
    PolyMesh* mesh = onlyMesh(document);
    ASSERT_TRUE(mesh);
    const std::string textBefore = document.toText();

    for (const Case& c : cases) {
        error.clear();
        EXPECT_FALSE(document.open(c.path, error)) << c.path;
        EXPECT_EQ(0u, error.find(c.path + c.start)) << error;
        EXPECT_EQ(std::string::npos, error.find('\n')) << error;
        SceneObj::ProcessDelayedOperations();
        EXPECT_EQ(root, document.getRoot()) << c.path;
        EXPECT_EQ(mesh, onlyMesh(document)) << c.path;
        EXPECT_EQ(mesh, root->getSelection()) << c.path;
        EXPECT_EQ("cube.off", root->getFileName()) << c.path;
        EXPECT_EQ(example("cube.off"), document.getPathName()) << c.path;
        EXPECT_EQ(textBefore, document.toText()) << c.path;
    }
}

TEST_F(SceneDocumentFiles, FailedSaveKeepsTheOldFile) {
    SceneDocument document;
    std::string error;
    ASSERT_TRUE(document.open(example("cube.off"), error)) << error;
    const std::string path = write("scene.xml", "old content");

    // A read-only folder stops the temporary file (root ignores permissions).
    if (::geteuid() != 0) {
        fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(document.save(path, error));
        EXPECT_NE(std::string::npos, error.find("scene.xml")) << error;
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add);
        EXPECT_EQ("old content", ReadFileText(path));
    }

    // A write that fails half way (the file-size limit) must not replace the file either.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &small));
    bool saved = document.save(path, error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(saved);
    EXPECT_NE(std::string::npos, error.find("scene.xml")) << error;
    EXPECT_EQ("old content", ReadFileText(path));
    EXPECT_EQ(example("cube.off"), document.getPathName());
    EXPECT_EQ(1u, std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()))
        << "temporary file left behind";
}

TEST_F(SceneDocumentFiles, OpenSaysWhatItSkipped) {
    SceneDocument document;
    std::string error;
    const std::string unknown =
        write("unknown.xml", "<SceneRoot><Children><Gadget/><PolyMesh/><Gadget/><Widget/>"
                             "</Children></SceneRoot>");
    ASSERT_TRUE(document.open(unknown, error)) << error;
    EXPECT_EQ(unknown + ": skipped 3 objects of unknown classes: Gadget (2), Widget",
              document.getWarning());
    EXPECT_EQ(1u, document.getRoot()->getChildren().size());

    const std::string foreign = write("foreign.xml", "<Foo><Bar/></Foo>");
    ASSERT_TRUE(document.open(foreign, error)) << error;
    EXPECT_EQ(foreign + ": no SceneRoot element; the root element 'Foo' is not a scene object, "
                        "so nothing was read",
              document.getWarning());

    ASSERT_TRUE(document.open(example("cube.off"), error)) << error;
    EXPECT_EQ("", document.getWarning());
}

#if !defined(__SANITIZE_ADDRESS__)
TEST_F(SceneDocumentFiles, RunningOutOfMemoryWhileLoadingIsAMessageNotAnAbort) {
    // About 8 MB of OFF text whose mesh needs far more than 48 MB beyond what the process
    // already uses; the child process gets only that much address space.
    std::string text = "OFF\n200000 200000 0\n";
    for (int i = 0; i < 200000; ++i)
        text += std::to_string(i) + " " + std::to_string(i % 97) + " 0\n";
    for (int i = 0; i < 200000; ++i)
        text += "3 " + std::to_string(i) + " " + std::to_string((i + 1) % 200000) + " " +
                std::to_string((i + 2) % 200000) + "\n";
    const std::string path = write("big.off", text);
    text.clear();
    text.shrink_to_fit();
    auto openWithLittleMemory = [&path] {
            SceneDocument document;
            document.newDocument();
            std::ifstream statm("/proc/self/statm");
            unsigned long pages = 0;
            statm >> pages;
            const rlimit limit{pages * unsigned(::getpagesize()) + (48u << 20), RLIM_INFINITY};
            ::setrlimit(RLIMIT_AS, &limit);
            std::string why;
            const bool opened = document.open(path, why);
            std::fprintf(stderr, "%s\n", why.c_str());
            std::_Exit(!opened && document.getRoot() && why == path + ": not enough memory to "
                                                                      "load this file"
                           ? 0
                           : 1);
        };
    EXPECT_EXIT(openWithLittleMemory(), ::testing::ExitedWithCode(0), "not enough memory");
}
#endif

TEST(SceneDocument, TargetMeshClimbsToTheOutermostMesh) {
    SceneDocument document;
    document.newDocument();
    SceneRoot* root = document.getRoot();
    EXPECT_EQ(nullptr, document.getTargetMesh());

    auto* plain = new SceneObj();
    plain->setParent(root);
    EXPECT_EQ(nullptr, FindTargetMesh(root, plain));
    auto* outer = new PolyMesh();
    outer->setParent(root);
    auto* inner = new PolyMesh();
    inner->setParent(outer);
    auto* innermost = new PolyMesh();
    innermost->setParent(inner);
    auto* second = new PolyMesh();
    second->setParent(root);

    EXPECT_EQ(outer, FindTargetMesh(root, innermost));
    EXPECT_EQ(second, FindTargetMesh(root, second));
    EXPECT_EQ(outer, FindTargetMesh(root, plain));
    EXPECT_EQ(outer, FindTargetMesh(root, nullptr));

    // Below a non-mesh object the climb stops there.
    auto* holder = new SceneObj();
    holder->setParent(inner);
    auto* held = new PolyMesh();
    held->setParent(holder);
    EXPECT_EQ(held, FindTargetMesh(root, held));

    root->select(innermost);
    EXPECT_EQ(outer, document.getTargetMesh());
}

TEST(SceneDocument, OpenFilterListsSceneFilesFirst) {
    OpenFilter filter = BuildOpenFilter();
    const std::string xmlEntry = std::string("Scene Document (*.xml)\0*.xml\0", 29);
    EXPECT_EQ(0u, filter.text.find(xmlEntry));
    const std::string allFiles = std::string("All Files (*.*)\0*.*\0", 20);
    EXPECT_EQ(filter.text.size() - allFiles.size(), filter.text.rfind(allFiles));
    EXPECT_NE(std::string::npos,
              filter.text.find(std::string("Object File Format (*.off)\0*.off\0", 33)));
    EXPECT_EQ(5, filter.customFilterCount);
    EXPECT_EQ(".xml", BuildOpenDialogLoaders().front()->getExtension());
}

class CountingView : public SceneEventHandler {
public:
    explicit CountingView(bool answer) : m_answer(answer) {}
    void onRedrawRequest() override { ++redraws; }
    void onFocusRequest(SceneObj*, const Viewpoint&) override { ++focuses; }
    void onSelect(SceneObj* obj) override { selected = obj; }
    bool onDeselectRequest(SceneObj*) override { return m_answer; }
    bool onCaptureRequest(const std::string&, int, int, bool) override {
        ++captures;
        return m_answer;
    }
    int redraws = 0, focuses = 0, captures = 0;
    SceneObj* selected = nullptr;

private:
    bool m_answer;
};

TEST(SceneDocument, ForwardsSceneEventsToItsViews) {
    SceneDocument document;
    document.newDocument();
    CountingView first(true), last(false);
    document.addView(&first);
    document.addView(&last);
    document.addView(&first); // a view is listed once
    auto* mesh = new PolyMesh();
    mesh->setParent(document.getRoot());

    document.getRoot()->select(mesh);
    EXPECT_EQ(mesh, first.selected);
    EXPECT_EQ(mesh, last.selected);
    document.onRedrawRequest();
    EXPECT_EQ(first.redraws, last.redraws);
    EXPECT_GE(first.redraws, 1);
    // Deselection answers with the last view asked; captures go to the first only.
    EXPECT_FALSE(document.onDeselectRequest(mesh));
    EXPECT_TRUE(document.onCaptureRequest("shot.png", 10, 10, false));
    EXPECT_EQ(1, first.captures);
    EXPECT_EQ(0, last.captures);
    document.removeView(&first);
    document.removeView(&last);
    const int redrawsBefore = first.redraws;
    document.onRedrawRequest();
    EXPECT_EQ(redrawsBefore, first.redraws) << "removed views hear nothing";
    EXPECT_FALSE(document.onCaptureRequest("shot.png", 10, 10, false)) << "no view: no capture";
}

} // namespace
