#include "vorn/core/CutList.h"

#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/mesh/PolyMesh.h"
#include "vorn/core/AttachStrategy.h"

#include <charconv>
#include <fstream>
#include <set>
#include <sstream>

namespace {

/// The next whole number of `line` from `at` on, skipping blanks and a comma.
bool nextIndex(const std::string& line, size_t& at, long long& value) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == ','))
        ++at;
    const char* begin = line.data() + at;
    const char* end = line.data() + line.size();
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop == begin)
        return false;
    // A number must end at a separator, not run into other characters.
    if (stop != end && *stop != ' ' && *stop != '\t' && *stop != ',' && *stop != '\r')
        return false;
    at = size_t(stop - line.data());
    return true;
}

bool onlyBlanks(const std::string& text, size_t from) {
    for (size_t i = from; i < text.size(); ++i)
        if (text[i] != ' ' && text[i] != '\t' && text[i] != '\r')
            return false;
    return true;
}

} // namespace

bool ReadCutList(const std::string& path, const PolyMesh& mesh, std::vector<CutEdge>& edges,
                 std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = path + ": cannot read the cut list";
        return false;
    }
    std::set<CutEdge> meshEdges;
    for (Poly* f : mesh.getPolys()) {
        for (int i = 0; i < f->getVertexCount(); ++i) {
            const int a = mesh.getIOIndex(f->getVertex(i));
            const int b = mesh.getIOIndex(f->getVertex(i + 1));
            meshEdges.emplace(std::min(a, b), std::max(a, b));
        }
    }
    const long long count = (long long)mesh.getVertexCount();
    std::vector<CutEdge> read;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (onlyBlanks(line, 0) || line.find_first_not_of(" \t") == line.find('#'))
            continue;
        size_t at = 0;
        long long a = 0, b = 0;
        if (!nextIndex(line, at, a) || !nextIndex(line, at, b) || !onlyBlanks(line, at)) {
            error = where + "expected two vertex indices, found '" + line + "'";
            return false;
        }
        for (long long index : {a, b}) {
            if (index < 0 || index >= count) {
                error = where + "vertex " + std::to_string(index) +
                        " is out of range (the mesh has " + std::to_string(count) +
                        " vertices, counted from 0)";
                return false;
            }
        }
        const CutEdge edge(int(std::min(a, b)), int(std::max(a, b)));
        if (!meshEdges.count(edge)) {
            error = where + "vertices " + std::to_string(a) + " and " + std::to_string(b) +
                    " are not joined by an edge of the mesh";
            return false;
        }
        read.push_back(edge);
    }
    if (in.bad()) {
        error = path + ": cannot read the cut list";
        return false;
    }
    edges = std::move(read);
    return true;
}

SceneObj* AttachManualCuts(PolyMesh& mesh, const std::vector<CutEdge>& edges, std::string* error) {
    Factory* factory = Factory::GetFactory("ManualUnfolder");
    if (!factory) {
        if (error)
            *error = "the manual unfolder is not available";
        return nullptr;
    }
    SceneObj* attached = AttachStrategy(mesh, *factory, error);
    if (!attached)
        return nullptr;
    XML element("ManualUnfolder");
    XML* graph = element.add("ManualCutGraph");
    for (const auto& [from, to] : edges) {
        XML* link = graph->add("Link");
        link->setAttribute("From", from);
        link->setAttribute("To", to);
    }
    // Reading the element into the bound unfolder replaces its requests.
    attached->read(element);
    return attached;
}
