#include "vorn/core/BuiltinIcosahedron.h"

#include "sorvex/M3d.h"

#include <cstdio>

namespace {

// The corners are kept in single precision, as the shape was first stored;
// each is widened to double when written.
constexpr float kVertices[12][3] = {{0.0f, 0.0f, 1.175571f},
                                    {1.051462f, 0.0f, 0.5257311f},
                                    {0.3249197f, 1.0f, 0.5257311f},
                                    {-0.8506508f, 0.6180340f, 0.5257311f},
                                    {-0.8506508f, -0.6180340f, 0.5257311f},
                                    {0.3249197f, -1.0f, 0.5257311f},
                                    {0.8506508f, 0.6180340f, -0.5257311f},
                                    {0.8506508f, -0.6180340f, -0.5257311f},
                                    {-0.3249197f, 1.0f, -0.5257311f},
                                    {-1.051462f, 0.0f, -0.5257311f},
                                    {-0.3249197f, -1.0f, -0.5257311f},
                                    {0.0f, 0.0f, -1.175571f}};

constexpr int kFaces[20][3] = {{0, 1, 2},  {0, 2, 3},  {0, 3, 4},   {0, 4, 5},  {0, 5, 1},
                               {1, 5, 7},  {1, 7, 6},  {1, 6, 2},   {2, 6, 8},  {2, 8, 3},
                               {3, 8, 9},  {3, 9, 4},  {4, 9, 10},  {4, 10, 5}, {5, 10, 7},
                               {6, 7, 11}, {6, 11, 8}, {7, 10, 11}, {8, 11, 9}, {9, 11, 10}};

std::string indent(int depth) {
    return std::string(2 * depth, ' ');
}

std::string buildIcosahedronText() {
    std::string text = "<?xml version=\"1.0\" ?>\n";
    text += "<SceneRoot>" + indent(1) + "<Children>" + indent(2) + "<PolyMesh>" + indent(3) +
            "<Vertices>";
    char buffer[Sorvex::M3d::TextCapacity];
    for (const auto& v : kVertices) {
        Sorvex::M3d(double(v[0]), double(v[1]), double(v[2])).toText(buffer);
        text += indent(4) + "<Vertex>" + buffer + "</Vertex>";
    }
    text += indent(3) + "</Vertices>" + indent(3) + "<Faces>";
    for (const auto& f : kFaces) {
        std::snprintf(buffer, sizeof buffer, "%5i, %5i, %5i", f[0], f[1], f[2]);
        text += indent(4) + "<Face>" + buffer + "</Face>";
    }
    text += indent(3) + "</Faces>" + indent(3) + "<DrawEdges>true</DrawEdges>" + indent(2) +
            "</PolyMesh>" + indent(1) + "</Children></SceneRoot>";
    return text;
}

} // namespace

const std::string& GetIcosahedronSceneText() {
    // A function-local static also serves callers from other static initialisers.
    static const std::string text = buildIcosahedronText();
    return text;
}

// Built while the library loads, before any document is opened.
const std::string& g_IcosahedronSceneText = GetIcosahedronSceneText();
