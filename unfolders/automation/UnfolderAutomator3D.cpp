#include "unfolders/automation/UnfolderAutomator3D.h"

#include "blobby/Octree.h"
#include "common/StatusLine.h"
#include "common/UserPaths.h"
#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/SceneRoot.h"
#include "unfolders/automation/CoolinoidTrial.h"
#include "unfolders/automation/LocalCache.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <type_traits>

VORN_DEFINE_FACTORY(UnfolderAutomator3D, "MetaSurface")

namespace {

/// The readable part of a point's text form: what follows "[/bin]".
std::string readableText(const Sorvex::M3d& p) {
    const std::string text = p.toString();
    const size_t end = text.find("[/bin]");
    return end == std::string::npos ? text : text.substr(end + 6);
}

} // namespace

UnfolderAutomator3D::UnfolderAutomator3D()
    : m_strategy(kDefaultSweepStrategy), m_cache(&LocalCache::Get()) {
    setMinLevel(1);
    setMaxLevel(1);
    setExtents(Sorvex::M3d(5, 5, 5), true);
    formatDefaultTarget();
}

UnfolderAutomator3D::~UnfolderAutomator3D() = default;

void UnfolderAutomator3D::formatDefaultTarget() {
    if (!m_targetIsDefault)
        return;
    char name[512];
    std::snprintf(name, sizeof name,
                  "Coolinoid Unfoldability - h=(%f..%f), k=(%f..%f), dim=(%i..%i), refine=%i.xml",
                  m_hMin, m_hMax, m_kMin, m_kMax, m_dimMin, m_dimMax, getMaxLevel());
    m_target = JoinPath(GetUserDataDir(), name);
}

void UnfolderAutomator3D::setOutputTarget(const char* path) {
    if (m_startedFinalizing || !path)
        return;
    m_target = path;
    m_targetIsDefault = false;
}

void UnfolderAutomator3D::setFinalize(bool on) {
    if (!m_startedFinalizing)
        m_finalize = on;
}

double UnfolderAutomator3D::F(Sorvex::M3d& p) {
    if (m_hMax == m_hMin || m_kMax == m_kMin || m_dimMax == m_dimMin)
        return 0;
    const Sorvex::M3d& e = getExtents();
    const double h = (p.x() + e.x()) / (2 * e.x()) * (m_hMax - m_hMin) + m_hMin;
    const double k = (p.z() + e.z()) / (2 * e.z()) * (m_kMax - m_kMin) + m_kMin;
    const int dim = int((p.y() + e.y()) / (2 * e.y()) * (m_dimMax - m_dimMin) + m_dimMin);
    m_cache->start();
    return IsUnfoldable(*m_cache, dim, h, k, m_strategy).unfoldable ? 1.0 : 0.0;
}

void UnfolderAutomator3D::finalise(Octree* cell) {
    const bool first = !m_startedFinalizing;
    m_startedFinalizing = true;
    if (!m_finalize) {
        MetaSurface::finalise(cell);
        return;
    }
    if (first) {
        std::remove(m_target.c_str());
        m_streamOpen = false;
        if (std::FILE* f = std::fopen(m_target.c_str(), "w")) {
            std::fputs("<SceneRoot>\n"
                       "<Viewpoint><At>0.0000  0.0000  0.0000</At><From>-20.0000  0.0000  "
                       "0.0000</From><Up>0.0000  1.0000  0.0000</Up><Diam>0.000000</Diam>"
                       "</Viewpoint>\n"
                       "<Children><PolyMesh>\n"
                       "<DrawEdges>true</DrawEdges>\n"
                       "<DrawBackFaces>true</DrawBackFaces>\n"
                       "<Faces>\n",
                       f);
            m_streamOpen = std::fclose(f) == 0;
        }
    }
    if (!m_streamOpen)
        return; // a target that cannot be written is skipped
    std::FILE* f = std::fopen(m_target.c_str(), "a");
    if (!f) {
        m_streamOpen = false;
        return;
    }
    for (int t = 0; t < cell->GetNumFaces(); ++t) {
        std::fputs("<UnindexedFace>", f);
        for (int i = 0; i < 3; ++i)
            std::fprintf(f, "<Vertex>%s</Vertex>", readableText(cell->GetVertex(t, i)).c_str());
        std::fputs("</UnindexedFace>\n", f);
        ++m_streamedTriangles;
    }
    if (std::fclose(f) != 0)
        m_streamOpen = false;
}

void UnfolderAutomator3D::onDone() {
    if (m_finalize && m_startedFinalizing && m_streamOpen) {
        if (std::FILE* f = std::fopen(m_target.c_str(), "a")) {
            std::fputs("</Faces></PolyMesh></Children></SceneRoot>\n", f);
            std::fclose(f);
        }
        XML xml("SceneRoot");
        if (xml.fromFile(m_target)) {
            SceneRoot root;
            try {
                root.read(xml);
                if (!root.getChildren().empty())
                    root.getChildren().front()->setParent(this);
            } catch (const SceneReadError& e) {
                StatusMessage("%s: %s", m_target.c_str(), e.what());
                MetaSurface::onDone();
                return;
            }
        }
    }
    StatusMessage("Ready");
    MetaSurface::onDone();
}

void UnfolderAutomator3D::addIcons() {
    const Sorvex::M3d& e = getExtents();
    for (int corner = 0; corner < 8; ++corner) {
        const bool hHigh = corner & 1, dimHigh = corner & 2, kHigh = corner & 4;
        std::unique_ptr<Factorable> built(Factory::BuildObj("Coolinoid"));
        auto* icon = dynamic_cast<SceneObj*>(built.get());
        if (!icon)
            return;
        built.release();
        const int dim = dimHigh ? m_dimMax : m_dimMin;
        XML params("Coolinoid");
        params.add("h", hHigh ? m_hMax : m_hMin);
        params.add("k", kHigh ? m_kMax : m_kMin);
        params.add("du", dim);
        params.add("dv", dim);
        icon->read(params);
        Sorvex::M4x4 transform;
        transform.loadScale(0.05, 0.05, 0.05);
        icon->setTransform(transform);
        icon->translate(Sorvex::M3d((hHigh ? 1.05 : -1.05) * e.x(), (dimHigh ? 1.05 : -1.05) * e.y(),
                                    (kHigh ? 1.05 : -1.05) * e.z()));
        icon->setParent(this);
        m_icons.push_back(icon);
    }
}

void UnfolderAutomator3D::removeIcons() {
    for (SceneObj* icon : m_icons)
        delete icon;
    m_icons.clear();
}

void UnfolderAutomator3D::read(XML& xml) {
    auto range = [&xml](const char* name, auto& min, auto& max) {
        if (const XML* node = xml.child(name)) {
            using Value = std::remove_reference_t<decltype(min)>;
            min = Value(node->fieldAsDouble("min", double(min)));
            max = Value(node->fieldAsDouble("max", double(max)));
        }
    };
    range("h", m_hMin, m_hMax);
    range("k", m_kMin, m_kMax);
    int dimMin = m_dimMin, dimMax = m_dimMax;
    range("dim", dimMin, dimMax);
    m_dimMin = dimMin;
    m_dimMax = dimMax;
    if (!m_startedFinalizing) {
        if (const XML* strategy = xml.child("strategy"); strategy && !strategy->getText().empty())
            m_strategy = strategy->getText();
        if (const XML* database = xml.child("database"))
            m_cache = &LocalCache::Get(database->getText());
        if (const XML* stream = xml.child("stream"); stream && !stream->getText().empty()) {
            setOutputTarget(stream->getText().c_str());
            setFinalize(true);
        }
    }
    removeIcons();
    MetaSurface::read(xml);
    formatDefaultTarget();
    addIcons();
    restart();
}

void UnfolderAutomator3D::write(XML& xml) {
    removeIcons();
    MetaSurface::write(xml);
    addIcons();
    XML* h = xml.add("h");
    h->add("min", m_hMin);
    h->add("max", m_hMax);
    XML* k = xml.add("k");
    k->add("min", m_kMin);
    k->add("max", m_kMax);
    XML* dim = xml.add("dim");
    dim->add("min", m_dimMin);
    dim->add("max", m_dimMax);
}
