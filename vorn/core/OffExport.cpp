#include "vorn/core/OffExport.h"

#include "common/AtomicFile.h"
#include "scene/mesh/PolyMesh.h"

#include <cstdio>

namespace {

void appendFormatted(std::string& out, const char* format, auto... values) {
    // "%10.8f" of the largest double takes about 320 characters.
    char buffer[1024];
    int length = std::snprintf(buffer, sizeof buffer, format, values...);
    if (length >= int(sizeof buffer)) {
        std::string wide(size_t(length) + 1, '\0');
        std::snprintf(wide.data(), wide.size(), format, values...);
        out.append(wide.data(), size_t(length));
    } else if (length > 0) {
        out.append(buffer, size_t(length));
    }
}

} // namespace

std::string FormatOff(const MeshData& mesh) {
    std::string text;
    text.reserve(64 + mesh.vertices.size() * 36 + mesh.faces.size() * 16);
    appendFormatted(text, "OFF\n%i %i 0\n", int(mesh.vertices.size()), int(mesh.faces.size()));
    for (const Sorvex::M3d& v : mesh.vertices)
        appendFormatted(text, "%10.8f %10.8f %10.8f\n", v.x(), v.y(), v.z());
    for (const std::vector<int>& face : mesh.faces) {
        appendFormatted(text, "%i ", int(face.size()));
        for (int index : face)
            appendFormatted(text, "%i ", index);
        text += '\n';
    }
    return text;
}

bool ExportOff(const PolyMesh& mesh, const std::string& path, std::string& error) {
    return WriteFileAtomically(path, FormatOff(mesh.toMeshData()), &error);
}

std::string ProposeOffName(const std::string& sceneFileName) {
    std::string name = sceneFileName;
    for (size_t pos = name.find(".xml"); pos != std::string::npos; pos = name.find(".xml", pos + 4))
        name.replace(pos, 4, ".off");
    // Any other extension (a model opened from ".ply" or ".obj") is replaced too: proposing
    // the model's own name would let one "Yes" overwrite it with OFF text.
    const size_t slash = name.find_last_of("/\\");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (name.size() == nameStart || name.ends_with(".off"))
        return name;
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > nameStart)
        name.erase(dot);
    return name + ".off";
}
