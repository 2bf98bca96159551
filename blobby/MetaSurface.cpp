#include "blobby/MetaSurface.h"

#include "blobby/ExtentsControl.h"
#include "blobby/Octree.h"
#include "common/StatusLine.h"
#include "common/UserPaths.h"
#include "scene/Renderer.h"
#include "scene/SceneRoot.h"

#include <chrono>
#include <cmath>

VORN_DEFINE_FACTORY(MetaSurface, "SceneObj")

namespace {

// One refinement step never runs longer than this, whatever its budget.
constexpr auto StepTimeLimit = std::chrono::milliseconds(14999);

// The user pauses every surface by creating this file in the data folder.
std::string pauseMarkerPath() {
    return JoinPath(GetUserDataDir(false), "PauseRefine.txt");
}

double contribution(SceneObj& obj, Sorvex::M3d& p) {
    double sum = 0;
    if (auto* force = dynamic_cast<Force*>(&obj))
        sum += force->F(p);
    if (!obj.getChildren().empty()) {
        Sorvex::M4x4 toLocal = obj.getTransform();
        if (!toLocal.inv())
            return sum;
        Sorvex::M3d local = toLocal * p;
        for (SceneObj* child : obj.getChildren())
            sum += contribution(*child, local);
    }
    return sum;
}

} // namespace

MetaSurface::MetaSurface() {
    m_minLevel = 3;
    m_maxLevel = 5;
    m_control = new ExtentsControl(Sorvex::M3d(0, 0, 0));
    m_control->setParent(this);
    RegisterSystemIdleHandler(this);
}

MetaSurface::~MetaSurface() {
    UnregisterSystemIdleHandler(this);
    m_destroying = true;
    m_finished.clear();
    m_inProgress.clear();
    m_root.reset();
}

bool MetaSurface::setMaxLevel(int n) {
    if (n < 0 || n > MaxAllowedLevel)
        return false;
    if (n == m_maxLevel)
        return true;
    const int old = m_maxLevel;
    m_maxLevel = n;
    if (m_destroying)
        return true;
    if (n > old) {
        for (Octree* cell : CellList(m_finished)) {
            cell->UnlistThyself(m_finished);
            cell->ListAtEnd(m_inProgress);
        }
        return true;
    }
    for (CellList* list : {&m_inProgress, &m_finished}) {
        for (Octree* cell : CellList(*list)) {
            if (cell->GetLevel() <= n)
                continue;
            cell->UnlistThyself(*list);
            Octree* ancestor = cell;
            while (ancestor->GetLevel() > n)
                ancestor = ancestor->GetParent();
            if (!ancestor->isListed())
                ancestor->ListThyself(m_finished);
        }
    }
    onChanged(true);
    return true;
}

int MetaSurface::getRefineCount() const {
    if (m_paused)
        return 0;
    return m_slowRefine ? 1 : 1000;
}

bool MetaSurface::setExtents(const Sorvex::M3d& e, bool moveControl) {
    for (int i = 0; i < 3; ++i)
        if (!std::isfinite(e[i]) || e[i] < 0)
            return false;
    if (e == m_extents || m_movingControl)
        return true;
    m_extents = e;
    if (m_control && moveControl) {
        m_movingControl = true;
        m_control->translate(e - m_control->getTranslation());
        m_movingControl = false;
    }
    restart();
    return true;
}

void MetaSurface::showBoundingCube() {
    if (m_control)
        return;
    m_control = new ExtentsControl(Sorvex::M3d(0, 0, 0));
    m_control->setParent(this);
    m_movingControl = true;
    m_control->translate(m_extents);
    m_movingControl = false;
}

void MetaSurface::hideBoundingCube() {
    delete m_control;
    m_control = nullptr;
}

void MetaSurface::forgetControl(ExtentsControl* control) {
    if (m_control == control)
        m_control = nullptr;
}

double MetaSurface::F(Sorvex::M3d& p) {
    double sum = 0;
    for (SceneObj* child : getChildren())
        sum += contribution(*child, p);
    return sum;
}

void MetaSurface::restart() {
    if (m_destroying)
        return;
    m_finished.clear();
    m_inProgress.clear();
    m_root.reset();
}

void MetaSurface::track(Octree* cell) {
    if (cell->GetLevel() < m_maxLevel)
        cell->ListThyself(m_inProgress);
    else if (cell->GetNumFaces() > 0)
        finalise(cell);
}

void MetaSurface::finalise(Octree* cell) {
    cell->ListThyself(m_finished);
}

void MetaSurface::onDone() {
    StatusMessage("Ready");
}

void MetaSurface::refine(int budget) {
    if (FileExists(pauseMarkerPath())) {
        if (!m_paused)
            requestSceneRedraw();
        m_paused = true;
        return;
    }
    Octree::SetDefaultMinLevel(m_minLevel);
    // A flat or empty cube holds no surface.
    if (m_extents.x() <= 0 || m_extents.y() <= 0 || m_extents.z() <= 0)
        return;
    if (!m_root) {
        m_root = std::make_unique<Octree>(Sorvex::M3d(0, 0, 0), m_extents, nullptr);
        // The root's centre is a goal, so refinement always starts somewhere.
        auto* goal = new RefCountedVector(Sorvex::M3d(0, 0, 0));
        if (!m_root->PerhapsAddGoal(goal))
            delete goal;
        m_root->ListThyself(m_inProgress);
    }
    const auto start = std::chrono::steady_clock::now();
    bool seenMinLevel = false;
    bool processed = false;
    while (!m_inProgress.empty()) {
        if (seenMinLevel && budget < 1)
            break;
        if (std::chrono::steady_clock::now() - start > StepTimeLimit)
            break;
        Octree* cell = m_inProgress.front();
        m_latestLevel = cell->GetLevel();
        if (m_latestLevel >= m_minLevel) {
            seenMinLevel = true;
            if (budget < 1)
                break;
        }
        cell->UnlistThyself(m_inProgress);
        if (cell->GetLevel() < m_maxLevel)
            cell->Reduce(*this, *this);
        else if (cell->GetNumFaces() > 0)
            finalise(cell);
        if (budget > 0)
            --budget;
        processed = true;
    }
    if (processed) {
        onChanged(true);
        if (m_inProgress.empty())
            onDone();
    }
}

double MetaSurface::getTransparency(Renderer* r) {
    return r && r->getFlag(RenderFlag::SurfacePass) ? 0.5 : 1.0;
}

void MetaSurface::onBeginChildDrag(SceneObj* child) {
    m_savedMaxLevel = m_maxLevel;
    setMaxLevel(m_minLevel);
    if (SceneObj* parent = getParent())
        parent->onBeginChildDrag(this);
    (void)child;
}

void MetaSurface::onEndChildDrag(SceneObj* child) {
    setMaxLevel(m_savedMaxLevel);
    if (SceneObj* parent = getParent())
        parent->onEndChildDrag(this);
    (void)child;
}
