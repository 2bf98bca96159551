#include "scene/loaders/Loader.h"
#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::unique_ptr<Loader> buildLoader(const char* className) {
    std::unique_ptr<Factorable> built(Factory::BuildObj(className));
    auto* loader = dynamic_cast<Loader*>(built.get());
    if (loader)
        built.release();
    return std::unique_ptr<Loader>(loader);
}

std::unique_ptr<Loader> loaderFor(const std::string& fileName) {
    for (const char* name :
         {"SceneXMLLoader", "OFFLoader", "OBJLoader", "STLLoader", "PLYLoader"}) {
        std::unique_ptr<Loader> loader = buildLoader(name);
        if (loader && loader->handles(fileName))
            return loader;
    }
    return nullptr;
}

std::string example(const char* name) {
    return std::string(VORN_SOURCE_DIR) + "/examples/" + name;
}

/// The mesh a loader produced, read back as a PolyMesh.
MeshData readMesh(XML& node) {
    PolyMesh mesh;
    mesh.read(node);
    return mesh.toMeshData();
}

size_t countSides(const MeshData& mesh, size_t sides) {
    size_t n = 0;
    for (const auto& face : mesh.faces)
        n += face.size() == sides;
    return n;
}

class LoaderFiles : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& bytes) {
        std::string path = (m_dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    TempDir m_tmp;
    fs::path m_dir{m_tmp.path()};
};

template <typename T> void put(std::string& out, T value, bool bigEndian = false) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    if (bigEndian)
        std::reverse(bytes, bytes + sizeof(T));
    out.append(bytes, sizeof(T));
}

const float kOctahedron[6][3] = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},
                                 {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};
const int kOctahedronFaces[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                                    {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};

std::string binaryStl() {
    std::string bytes(80, ' ');
    put<uint32_t>(bytes, 8);
    for (const auto& face : kOctahedronFaces) {
        for (int k = 0; k < 3; ++k)
            put<float>(bytes, 0.0f); // normal: left for the reader to ignore
        for (int corner : face)
            for (float c : kOctahedron[corner])
                put<float>(bytes, c);
        put<uint16_t>(bytes, 0);
    }
    return bytes;
}

/// `firstIndex` replaces the first corner of the first face.
std::string binaryPly(bool bigEndian, int32_t firstIndex = 0) {
    std::string bytes = std::string("ply\nformat binary_") + (bigEndian ? "big" : "little") +
                        "_endian 1.0\nelement vertex 6\nproperty float x\nproperty float y\n"
                        "property float z\nelement face 8\n"
                        "property list uchar int vertex_indices\nend_header\n";
    for (const auto& v : kOctahedron)
        for (float c : v)
            put<float>(bytes, c, bigEndian);
    for (int f = 0; f < 8; ++f) {
        put<uint8_t>(bytes, 3);
        for (int k = 0; k < 3; ++k)
            put<int32_t>(bytes, f == 0 && k == 0 ? firstIndex : kOctahedronFaces[f][k], bigEndian);
    }
    return bytes;
}

/// A triangle's header: three vertices, one face (rows start on line 10).
const char* kAsciiPlyHeader = "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
                              "property float y\nproperty float z\nelement face 1\n"
                              "property list uchar int vertex_indices\nend_header\n";

/// A binary triangle whose face list claims `length` indices.
std::string binaryPlyWithListLength(int32_t length) {
    std::string bytes = "ply\nformat binary_little_endian 1.0\nelement vertex 3\n"
                        "property float x\nproperty float y\nproperty float z\n"
                        "element face 1\nproperty list int int vertex_indices\nend_header\n";
    for (float c : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f})
        put<float>(bytes, c);
    put<int32_t>(bytes, length);
    for (int32_t index : {0, 1, 2})
        put<int32_t>(bytes, index);
    return bytes;
}

TEST(Loader, RegisteredByFactoryAndMatchedByExtension) {
    std::vector<std::string> loaderNames;
    for (Factory* factory : Factory::GetFactoryList()) {
        std::string name(factory->getClassName());
        if (name != "Loader" && name.find("Loader") != std::string::npos)
            loaderNames.push_back(name);
    }
    for (const char* expected :
         {"SceneXMLLoader", "OFFLoader", "OBJLoader", "STLLoader", "PLYLoader"})
        EXPECT_NE(loaderNames.end(), std::find(loaderNames.begin(), loaderNames.end(), expected))
            << expected;
    // The abstract base builds nothing.
    EXPECT_EQ(nullptr, Factory::BuildObj("Loader"));

    std::unique_ptr<Loader> off = buildLoader("OFFLoader");
    ASSERT_TRUE(off);
    EXPECT_EQ(".off", off->getExtension());
    EXPECT_TRUE(off->handles("models/Cube.OFF"));
    EXPECT_TRUE(off->handles("cube.off"));
    EXPECT_FALSE(off->handles("cube.off.xml"));
    EXPECT_FALSE(off->handles("off"));
    EXPECT_EQ(".xml", buildLoader("SceneXMLLoader")->getExtension());
}

TEST_F(LoaderFiles, EveryFormatKeepsPolygonsAndMergesSharedVertices) {
    struct Case {
        std::string path;
        size_t vertices, faces, quads, hexagons;
    };
    const Case cases[] = {
        {example("cube.off"), 8, 6, 6, 0},
        {example("tetrahedron.obj"), 4, 4, 0, 0},
        {example("octahedron.stl"), 6, 8, 0, 0},
        {example("l-prism.ply"), 12, 8, 6, 2},
        {write("binary.stl", binaryStl()), 6, 8, 0, 0},
        {write("little.ply", binaryPly(false)), 6, 8, 0, 0},
        {write("big.ply", binaryPly(true)), 6, 8, 0, 0},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Loader> loader = loaderFor(c.path);
        ASSERT_TRUE(loader) << c.path;
        XML node("SceneRoot");
        ASSERT_TRUE(loader->load(c.path, node)) << loader->getError();
        EXPECT_EQ("PolyMesh", node.getName()) << c.path;
        MeshData mesh = readMesh(node);
        EXPECT_EQ(c.vertices, mesh.vertices.size()) << c.path;
        EXPECT_EQ(c.faces, mesh.faces.size()) << c.path;
        EXPECT_EQ(c.quads, countSides(mesh, 4)) << c.path;
        EXPECT_EQ(c.hexagons, countSides(mesh, 6)) << c.path;
        MeshTopology topology = mesh.topology();
        EXPECT_TRUE(topology.closed) << c.path;
        EXPECT_EQ(2, topology.eulerCharacteristic) << c.path;
    }
}

TEST_F(LoaderFiles, SceneXMLNamesTheNodeByItsTopElement) {
    std::unique_ptr<Loader> loader = buildLoader("SceneXMLLoader");
    std::string single = write("single.xml", "<?xml version=\"1.0\" ?>\n<PolyMesh>\n"
                                             "  <DrawEdges>true</DrawEdges>\n</PolyMesh>\n");
    XML node("SceneRoot");
    ASSERT_TRUE(loader->load(single, node)) << loader->getError();
    EXPECT_EQ("PolyMesh", node.getName());
    EXPECT_EQ("true", node["DrawEdges"].getText());

    std::string broken = write("broken.xml", "<?xml version=\"1.0\" ?>\n<SceneRoot>\n"
                                             "  <Children>\n  </Child>\n</SceneRoot>\n");
    XML kept("SceneRoot");
    kept.add("Marker", 1);
    EXPECT_FALSE(loader->load(broken, kept));
    EXPECT_EQ(0u, loader->getError().find(broken + ":4: ")) << loader->getError();
    EXPECT_EQ(std::string::npos, loader->getError().find('\n'));
    EXPECT_EQ("SceneRoot", kept.getName());
    EXPECT_EQ(1u, kept.getChildCount());
}

TEST_F(LoaderFiles, BadMeshFilesFailWithOneLineNamingTheFile) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.push_back(char((i * 7919) % 256));
    const std::string tri = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    struct Case {
        std::string path;
        std::string message; // what follows "path" in the error
    };
    const Case cases[] = {
        {write("empty.off", ""), ": file is empty"},
        {write("empty.obj", ""), ": file is empty"},
        {write("empty.stl", ""), ": file is empty"},
        {write("empty.ply", ""), ": file is empty"},
        {write("garbage.off", garbage), ":1: expected 'OFF' or the vertex, face and edge counts"},
        {write("garbage.obj", garbage), ": "},
        {write("garbage.stl", garbage), ": "},
        {write("garbage.ply", garbage), ":1: PLY: the file does not start with 'ply'"},
        // Headers the importer would spin on or allocate for without bound.
        {write("unended.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"),
         ": PLY: no 'end_header' line"},
        {write("huge.ply", "ply\nformat ascii 1.0\nelement vertex 4000000000\n"
                           "property float x\nend_header\n0\n"),
         ":5: PLY: the element counts need more data than the file holds"},
        {write("keyword.ply", "ply\nformat ascii 1.0\nelemeXt vertex 3\nend_header\n"),
         ":3: PLY: unknown header keyword"},
        {write("longlist.ply",
               std::string(kAsciiPlyHeader) + "0 0 0\n1 0 0\n0 1 0\n1111111111111111111 0 1 2\n"),
         ":13: PLY: bad list length in element 'face'"},
        {write("shortlist.ply", std::string(kAsciiPlyHeader) + "0 0 0\n1 0 0\n0 1 0\n4 0 1 2\n"),
         ":13: PLY: list shorter than its length in element 'face'"},
        {write("shortrow.ply", std::string(kAsciiPlyHeader) + "0 0 0\n1 0\n0 1 0\n3 0 1 2\n"),
         ":11: PLY: expected a number in element 'vertex'"},
        {write("extra.ply", std::string(kAsciiPlyHeader) + "0 0 0\n1 0 0 5\n0 1 0\n3 0 1 2\n"),
         ":11: PLY: more values than properties in element 'vertex'"},
        {write("rows.ply", std::string(kAsciiPlyHeader) + "0 0 0\n1 0 0\n0 1 0\n"),
         ": PLY: the file ends inside element 'face'"},
        {write("binarylist.ply", binaryPlyWithListLength(0x7fffffff)),
         ": PLY: a list in element 'face' is longer than the rest of the file"},
        {write("range.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 3\n"),
         ":6: face 0: vertex index 3 out of range (0..2)"},
        {write("repeat.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 0\n"),
         ":6: face 0: vertex index 0 repeated"},
        {write("nan.off", "OFF\n3 1 0\n0 0 0\nnan 0 0\n0 1 0\n3 0 1 2\n"),
         ":4: vertex 1: coordinate is not finite"},
        {write("nan.obj", tri + "v nan 1 1\nf 1 2 4\n"),
         ":4: vertex coordinate 'nan' is not finite"},
        {write("range.obj", tri + "f 1 2 7\n"),
         ":4: face corner '7': vertex index out of range (3 vertices read so far)"},
        {write("letter.obj", "v 0 0 0\nv 1 x 0\nv 0 1 0\nf 1 2 3\n"),
         ":2: vertex coordinate 'x' is not a number"},
        {write("corner.obj", tri + "f 1 2 q/1\n"), ":4: face corner 'q/1' is not a vertex index"},
        {write("nofaces.obj", tri), ": file holds no polygon faces"},
        {write("count.stl", std::string(80, '\0') + std::string("\xe8\x03\0\0", 4) +
                                std::string(50, '\0')),
         ": binary STL: the header counts 1000 triangles (50084 bytes), the file has 134 bytes"},
        {write("repeat.obj", tri + "f 1 2 1\n"), ": "},
        {write("fan.off", "OFF\n5 3 0\n0 0 0\n1 0 0\n0 1 0\n0 -1 0\n0 0 1\n"
                          "3 0 1 2\n3 1 0 3\n3 0 1 4\n"),
         ": "},
        // Indices past the vertices once crashed the importer's vertex joining.
        {write("range.ply", binaryPly(true, 0x40000001)),
         ": face 0: vertex index 1073741825 out of range (0..5)"},
        {write("negative.ply", binaryPly(false, -1)),
         ": face 0: vertex index -1 out of range (0..5)"},
        {write("fan.obj", tri + "v 0 -1 0\nv 0 0 1\nf 1 2 3\nf 2 1 4\nf 1 2 5\n"), ": "},
        {(m_dir / "absent.off").string(), ": "},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Loader> loader = loaderFor(c.path);
        ASSERT_TRUE(loader) << c.path;
        XML node("SceneRoot");
        node.add("Marker", 1);
        EXPECT_FALSE(loader->load(c.path, node)) << c.path;
        const std::string& error = loader->getError();
        EXPECT_EQ(0u, error.find(c.path + c.message)) << error;
        EXPECT_GT(error.size(), c.path.size() + 2) << error;
        EXPECT_EQ(std::string::npos, error.find('\n')) << error;
        EXPECT_EQ("SceneRoot", node.getName()) << c.path;
        EXPECT_EQ(1u, node.getChildCount()) << c.path;
    }
}

} // namespace
