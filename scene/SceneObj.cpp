#include "scene/SceneObj.h"

#include "scene/SceneRoot.h"

#include <algorithm>
#include <atomic>

VORN_DEFINE_FACTORY(SceneObj, "")

SceneObj::SceneObj() = default;

SceneObj::~SceneObj() {
    ForgetDelayed(this);
    if (SceneRoot* root = getRoot())
        root->onObjectDestroyed(this);
    if (m_parent) {
        std::erase(m_parent->m_children, this);
        m_parent = nullptr;
    }
    detachListeners();
    // Children are cut loose first so that they do not try to reach a root through an
    // object that is already half destroyed.
    std::vector<SceneObj*> children;
    children.swap(m_children);
    for (SceneObj* child : children) {
        child->m_parent = nullptr;
        delete child;
    }
}

void SceneObj::detachListeners() {
    for (SceneObj* target : m_listeningTo)
        std::erase(target->m_listeners, static_cast<ChangeListener*>(this));
    m_listeningTo.clear();
    // A listener may react by dropping other listeners (a settings bar deletes its
    // panels), so each one is taken off the live list before it is told.
    while (!m_listeners.empty()) {
        ChangeListener* l = m_listeners.back();
        m_listeners.pop_back();
        if (auto* obj = dynamic_cast<SceneObj*>(l))
            std::erase(obj->m_listeningTo, this);
        l->onTargetDestroyed(this);
    }
}

// ----- Tree and transform -----

Sorvex::M3d SceneObj::getCenter() {
    return Sorvex::M3d(0.0, 0.0, 0.0);
}

void SceneObj::translate(const Sorvex::M3d& d) {
    // Adding to the translation column moves the object in its parent's frame whatever
    // its own rotation.
    double* t = m_transform[3];
    t[0] += d.x();
    t[1] += d.y();
    t[2] += d.z();
    requestSceneRedraw();
}

void SceneObj::requestSceneRedraw() {
    // Views may keep drawings of the scene between frames; anything that changes what is
    // drawn asks for a redraw so they draw anew.
    m_drawingStamp = NewDrawingStamp();
    if (SceneRoot* root = getRoot())
        root->requestRedraw();
}

bool SceneObj::addChild(SceneObj* child) {
    if (!child || child->isAncestorOf(this))
        return false;
    if (child->m_parent == this)
        return true;
    if (child->m_parent)
        child->m_parent->remChild(child);
    m_children.push_back(child);
    child->m_parent = this;
    requestSceneRedraw();
    return true;
}

bool SceneObj::remChild(SceneObj* child) {
    if (!child || child->m_parent != this)
        return false;
    std::erase(m_children, child);
    child->m_parent = nullptr;
    requestSceneRedraw();
    return true;
}

bool SceneObj::setParent(SceneObj* parent) {
    if (parent && isAncestorOf(parent))
        return false;
    if (parent == m_parent)
        return true;
    if (m_parent)
        m_parent->remChild(this);
    return parent ? parent->addChild(this) : true;
}

SceneObj* SceneObj::getParent() {
    return m_parent;
}

Sorvex::M3d SceneObj::getTranslation() const {
    return m_transform.getCol(3);
}

void SceneObj::setTransform(const Sorvex::M4x4& m) {
    m_transform = m;
    requestSceneRedraw();
}

Sorvex::M4x4 SceneObj::getWorldTransform() const {
    Sorvex::M4x4 world = m_transform;
    for (const SceneObj* p = m_parent; p; p = p->m_parent)
        world = p->m_transform * world;
    return world;
}

SceneRoot* SceneObj::getRoot() {
    SceneObj* top = this;
    while (top->m_parent)
        top = top->m_parent;
    return dynamic_cast<SceneRoot*>(top);
}

bool SceneObj::isAncestorOf(const SceneObj* other) const {
    for (const SceneObj* p = other; p; p = p->m_parent)
        if (p == this)
            return true;
    return false;
}

// ----- Changes -----

void SceneObj::onChanged(bool structural) {
    m_drawingStamp = NewDrawingStamp();
    if (structural)
        ++m_structuralChanges;
    else
        m_inPlaceStamp = m_drawingStamp;
    // Copies: a handler may attach or drop children and listeners.
    const std::vector<SceneObj*> children = m_children;
    for (SceneObj* child : children)
        child->onTargetChanged(this, structural);
    const std::vector<ChangeListener*> listeners = m_listeners;
    for (ChangeListener* l : listeners)
        if (std::find(m_listeners.begin(), m_listeners.end(), l) != m_listeners.end())
            l->onTargetChanged(this, structural);
    if (SceneRoot* root = getRoot())
        root->markChanged();
}

void SceneObj::addChangeListener(ChangeListener* l) {
    if (!l || l == this ||
        std::find(m_listeners.begin(), m_listeners.end(), l) != m_listeners.end())
        return;
    m_listeners.push_back(l);
    if (auto* obj = dynamic_cast<SceneObj*>(l))
        obj->m_listeningTo.push_back(this);
}

void SceneObj::remChangeListener(ChangeListener* l) {
    if (!std::erase(m_listeners, l))
        return;
    if (auto* obj = dynamic_cast<SceneObj*>(l))
        std::erase(obj->m_listeningTo, this);
}

void SceneObj::onTargetChanged(SceneObj* /*target*/, bool /*structural*/) {}

// ----- Requests that travel up to the scene root -----

void SceneObj::onFocusRequest(SceneObj* obj, const Viewpoint& vp) {
    if (m_parent)
        m_parent->onFocusRequest(obj, vp);
}

void SceneObj::onSelectionRequest(SceneObj* obj) {
    if (m_parent)
        m_parent->onSelectionRequest(obj);
}

bool SceneObj::onDeselectionRequest(SceneObj* obj) {
    return m_parent ? m_parent->onDeselectionRequest(obj) : false;
}

bool SceneObj::onCapRequest(const std::string& path, int width, int height, bool selectedOnly) {
    return m_parent ? m_parent->onCapRequest(path, width, height, selectedOnly) : false;
}

void SceneObj::delayedSelect() {
    onSelectionRequest(this);
}

// ----- Drawing, picking and interaction defaults -----

double SceneObj::getTransparency(Renderer* /*r*/) {
    return 1.0;
}
bool SceneObj::takeChildPick(SceneObj* /*child*/) {
    return false;
}
bool SceneObj::isPickable() {
    return true;
}
bool SceneObj::isFamilyPickable() {
    return true;
}
void SceneObj::preRender(Renderer* /*r*/) {}

std::uint64_t SceneObj::NewDrawingStamp() {
    static std::atomic<std::uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

void SceneObj::markDrawingChanged() {
    m_drawingStamp = m_inPlaceStamp = NewDrawingStamp();
}

bool SceneObj::reusesDrawing() {
    return false;
}

void SceneObj::refreshDrawingStamp() {}
void SceneObj::renderSelf(Renderer* /*r*/) {}

void SceneObj::onDeselected() {}
void SceneObj::onLButtonUp(const Sorvex::M3d& /*hitPoint*/) {}
void SceneObj::onMouseOver(const Sorvex::M3d& /*hitPoint*/) {}

void SceneObj::onBeginDrag() {
    if (m_parent)
        m_parent->onBeginChildDrag(this);
}

void SceneObj::onEndDrag() {
    if (m_parent)
        m_parent->onEndChildDrag(this);
}

void SceneObj::onBeginChildDrag(SceneObj* /*child*/) {}
void SceneObj::onEndChildDrag(SceneObj* /*child*/) {}

// ----- Capabilities and clipboard -----

bool SceneObj::canSave() {
    return true;
}
bool SceneObj::canCopy() {
    return true;
}
bool SceneObj::canDelete() {
    return true;
}
SceneObj* SceneObj::canPaste(SceneObj* root, SceneObj* /*selection*/) {
    return root;
}
SceneObj* SceneObj::doDefaultAction() {
    return nullptr;
}
bool SceneObj::canSelect() {
    return true;
}
void SceneObj::onBeingCloned(SceneObj* /*original*/) {}
void SceneObj::onBeingPasted() {}
