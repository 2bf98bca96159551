// MetaSurface: drawing and persistence.
#include "blobby/MetaSurface.h"

#include "blobby/ExtentsControl.h"
#include "blobby/Octree.h"
#include "common/XML.h"
#include "scene/Renderer.h"

#include <cmath>
#include <map>
#include <string>

namespace {

void boxEdges(Renderer* r, const Sorvex::M3d& c, const Sorvex::M3d& h) {
    // The twelve edges as pairs of corners, each corner given by its sign bits.
    constexpr int Pairs[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                                  {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    auto corner = [&](int bits) {
        return c + Sorvex::M3d(bits & 4 ? h.x() : -h.x(), bits & 2 ? h.y() : -h.y(),
                               bits & 1 ? h.z() : -h.z());
    };
    for (const auto& pair : Pairs) {
        r->vertex(corner(pair[0]));
        r->vertex(corner(pair[1]));
    }
}

// Saved line connections (id -> source id) of the lines among `children`; throws when
// following sources from any line comes back to it.
void checkLineTree(const XML& children) {
    std::map<int, int> sourceOf;
    for (const XML& child : children) {
        if (child.getName() != "MetaLine")
            continue;
        const XML* info = child.child("ConnectionInfo");
        if (!info)
            continue;
        const int id = info->fieldAsInt("nID", -1);
        if (id < 0)
            continue;
        if (sourceOf.count(id))
            throw SceneReadError("MetaLine: two lines share the connection id " +
                                 std::to_string(id));
        sourceOf[id] = info->fieldAsInt("nSrcID", -1);
    }
    for (const auto& [start, first] : sourceOf) {
        int id = first;
        for (size_t steps = 0; id >= 0 && steps <= sourceOf.size(); ++steps) {
            if (id == start)
                throw SceneReadError("MetaLine: the saved connections form a cycle through "
                                     "line " +
                                     std::to_string(start));
            auto it = sourceOf.find(id);
            id = it == sourceOf.end() ? -1 : it->second;
        }
    }
}

} // namespace

void MetaSurface::drawTriangles(Renderer* r, const CellList& cells) {
    const int span = m_maxLevel - m_minLevel;
    for (Octree* cell : cells) {
        const int faces = cell->GetNumFaces();
        if (!faces)
            continue;
        // Finer cells are drawn brighter; equal levels get one constant shade.
        const float g =
            span == 0 ? 0.5f : 0.5f * float(cell->GetLevel() - m_minLevel) / float(span);
        r->color(g, 0, g);
        r->beginTriangles();
        for (int t = 0; t < faces; ++t) {
            r->normal(cell->GetNormal(t));
            for (int i = 0; i < 3; ++i)
                r->vertex(cell->GetVertex(t, i));
        }
        r->end();
    }
}

void MetaSurface::renderSelf(Renderer* r) {
    refine(0);
    // The renderers draw a scene in one pass, so the triangles are drawn in every pass; the
    // line overlays belong to the pass that is not the surface pass.
    drawTriangles(r, m_finished);
    drawTriangles(r, m_inProgress);
    if (r->getFlag(RenderFlag::SurfacePass))
        return;
    auto lines = [r](double grey, auto&& draw) {
        r->setFlag(RenderFlag::LineState, false);
        r->color(grey, grey, grey);
        draw();
        r->setFlag(RenderFlag::LineState, true);
    };
    if (m_drawOctreeCubes)
        lines(0.5, [&] {
            r->beginLines();
            for (const CellList* list : {&m_finished, &m_inProgress})
                for (Octree* cell : *list)
                    boxEdges(r, cell->GetCenter(), cell->GetExtents());
            r->end();
        });
    if (m_drawFaceEdges)
        lines(1.0, [&] {
            for (const CellList* list : {&m_finished, &m_inProgress})
                for (Octree* cell : *list)
                    for (int t = 0; t < cell->GetNumFaces(); ++t) {
                        r->beginLineLoop();
                        for (int i = 0; i < 3; ++i)
                            r->vertex(cell->GetVertex(t, i));
                        r->end();
                    }
        });
    if (m_control)
        lines(0.25, [&] {
            r->beginLines();
            boxEdges(r, Sorvex::M3d(0, 0, 0), m_extents);
            r->end();
        });
}

void MetaSurface::write(XML& xml) {
    SceneObj::write(xml);
    xml.add("ShowBoundingCube", m_control != nullptr);
    xml.add("DrawOctreeCubes", m_drawOctreeCubes);
    xml.add("DrawFaceEdges", m_drawFaceEdges);
    xml.add("SlowRefine", m_slowRefine);
    xml.add("MinLevel", m_minLevel);
    xml.add("MaxLevel", m_maxLevel);
    xml.add("Extents", m_extents.toString());
}

void MetaSurface::read(XML& xml) {
    // Everything is checked before anything changes.
    const Sorvex::M3d extents = readVector(xml, "Extents", m_extents);
    for (int i = 0; i < 3; ++i)
        if (!std::isfinite(extents[i]) || extents[i] < 0)
            throw SceneReadError("Extents: each half-size must be a finite number of at least 0");
    const double minLevel = readDouble(xml, "MinLevel", m_minLevel);
    const double maxLevel = readDouble(xml, "MaxLevel", m_maxLevel);
    for (double level : {minLevel, maxLevel})
        if (!(level >= 0 && level <= MaxAllowedLevel))
            throw SceneReadError("MaxLevel: levels above " + std::to_string(MaxAllowedLevel) +
                                 " are refused (each level needs up to eight times the memory)");
    if (const XML* children = xml.child("Children"))
        checkLineTree(*children);

    const bool hadControl = m_control != nullptr;
    SceneObj::read(xml);
    hideBoundingCube();
    setExtents(extents, true);
    m_drawOctreeCubes = readBool(xml, "DrawOctreeCubes", m_drawOctreeCubes);
    m_drawFaceEdges = readBool(xml, "DrawFaceEdges", m_drawFaceEdges);
    m_slowRefine = readBool(xml, "SlowRefine", m_slowRefine);
    m_minLevel = int(minLevel);
    setMaxLevel(int(maxLevel));
    if (readBool(xml, "ShowBoundingCube", hadControl))
        showBoundingCube();
    onChanged(true);
}
