#include <charconv>
#include <set>
#include <string>
#include <utility>

#include "unfolders/automation/ManualUnfolder.h"

namespace {

/// The attribute as a whole number; -1 (no vertex) when it is not one.
int indexAttribute(const XML& link, const char* name) {
    const std::string text = link.getAttribute(name);
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : -1;
}

} // namespace

void ManualUnfolder::write(XML& xml) {
    Unfolder::write(xml);
    if (!source && storedCutGraph) {
        // Not bound yet: the requests read earlier are kept as they were.
        xml.add(std::make_unique<XML>(*storedCutGraph));
    } else {
        // Each edge once, by vertex indices in ascending order, so that the same
        // requests always give the same text whatever the memory layout.
        std::set<std::pair<int, int>> links;
        for (const auto& [v, around] : requested) {
            for (Vertex* w : around) {
                if (!v || !w || !source)
                    continue; // edges to the null marker are not requests
                const int a = source->getIOIndex(v), b = source->getIOIndex(w);
                if (a >= 0 && b >= 0)
                    links.emplace(std::min(a, b), std::max(a, b));
            }
        }
        XML* graph = xml.add("ManualCutGraph");
        for (const auto& [from, to] : links) {
            XML* link = graph->add("Link");
            link->setAttribute("From", from);
            link->setAttribute("To", to);
        }
    }
    xml.add("DrawKnownOnly", onlyKnown);
    xml.add("CutPathMode", cutPathMode);
}

void ManualUnfolder::read(XML& xml) {
    Unfolder::read(xml);
    if (const XML* graph = xml.child("ManualCutGraph"))
        storedCutGraph = std::make_unique<XML>(*graph);
    onlyKnown = readBool(xml, "DrawKnownOnly", onlyKnown);
    cutPathMode = readBool(xml, "CutPathMode", cutPathMode);
    if (source && storedCutGraph) {
        // Read into an unfolder already at work: the stored requests replace the
        // current ones at once.
        requested.clear();
        applyStoredCutGraph();
        onUpdated();
    }
}

void ManualUnfolder::applyStoredCutGraph() {
    if (!storedCutGraph || !source)
        return;
    for (const XML& link : *storedCutGraph) {
        Vertex* a = source->getIOIndex(indexAttribute(link, "From"));
        Vertex* b = source->getIOIndex(indexAttribute(link, "To"));
        if (a && b)
            requested.addEdge(a, b);
    }
    storedCutGraph.reset();
}
