#include "blobby/MetaLine.h"

#include "blobby/Falloff.h"
#include "scene/Renderer.h"

#include <algorithm>
#include <cmath>
#include <limits>

VORN_DEFINE_FACTORY(MetaLine, "MetaBall")

MetaLine* MetaLine::g_pAwaitingConnection = nullptr;

MetaLine::MetaLine(double strength) : MetaBall(strength) {}

MetaLine::~MetaLine() {
    if (g_pAwaitingConnection == this)
        g_pAwaitingConnection = nullptr;
    if (m_source)
        m_source->removeDestination(this);
    for (MetaLine* d : m_destinations)
        d->m_source = nullptr;
}

MetaLine* MetaLine::getAnchor() {
    MetaLine* line = this;
    while (line->m_source)
        line = line->m_source;
    return line;
}

void MetaLine::removeDestination(MetaLine* dest) {
    std::erase(m_destinations, dest);
}

double MetaLine::F(Sorvex::M3d& p) {
    if (m_source)
        return 0; // the anchor carries the field of the whole tree
    if (!m_destinations.empty())
        return JimBlynn(findClosestDistance(p), getStrength());
    return MetaBall::F(p);
}

float MetaLine::findClosestDistance(const Sorvex::M3d& p) {
    float best = std::numeric_limits<float>::max();
    const Sorvex::M3d& a = getCenter();
    for (MetaLine* d : m_destinations) {
        const Sorvex::M3d& b = d->getCenter();
        const Sorvex::M3d ab = b - a;
        const double t = (p - a).dot(ab);
        const double len2 = ab.squared();
        double dist;
        if (t <= 0)
            dist = (p - a).length();
        else if (len2 <= t)
            dist = (p - b).length();
        else
            dist = (p - (a + ab * (t / len2))).length();
        best = std::min(best, float(dist));
        if (!d->m_destinations.empty())
            best = std::min(best, d->findClosestDistance(p));
    }
    return best;
}

void MetaLine::setStrength(double s) {
    if (m_source) {
        m_source->setStrength(s);
        return;
    }
    if (s == getStrength() || !std::isfinite(s))
        return;
    internalSetStrength(s);
    restartSurface();
}

void MetaLine::internalSetStrength(double s) {
    assignStrength(s);
    for (MetaLine* d : m_destinations)
        d->internalSetStrength(s);
}

void MetaLine::becomeAnchor() {
    if (!m_source)
        return;
    m_source->becomeAnchor();
    MetaLine* old = m_source;
    old->removeDestination(this);
    old->m_source = this;
    m_destinations.push_back(old);
    m_source = nullptr;
}

bool MetaLine::connect(MetaLine* dest) {
    if (!dest || dest->m_source || dest->getAnchor() == getAnchor())
        return false;
    m_destinations.push_back(dest);
    dest->m_source = this;
    return true;
}

void MetaLine::disconnect() {
    for (MetaLine* d : m_destinations) {
        d->m_source = m_source;
        if (m_source)
            m_source->m_destinations.push_back(d);
    }
    if (m_source)
        m_source->removeDestination(this);
    m_destinations.clear();
    m_source = nullptr;
    restartSurface();
    onChanged(true);
}

void MetaLine::onSelected(CSettingsListDlg* bar) {
    MetaBall::onSelected(bar);
    MetaLine* awaiting = g_pAwaitingConnection;
    g_pAwaitingConnection = nullptr;
    if (!awaiting || awaiting->getAnchor() == getAnchor())
        return;
    becomeAnchor();
    awaiting->connect(this);
    restartSurface();
    onChanged(true);
}

SceneObj* MetaLine::doDefaultAction() {
    if (!m_source) {
        if (m_destinations.size() == 1)
            return m_destinations.front()->doDefaultAction();
        return nullptr;
    }
    MetaLine* source = m_source;
    auto* split = dynamic_cast<MetaLine*>(clone());
    if (!split)
        return nullptr;
    split->translate((getCenter() + source->getCenter()) * 0.5 - split->getCenter());
    // The clone hangs from this line; put it between this line and the source instead.
    removeDestination(split);
    std::replace(source->m_destinations.begin(), source->m_destinations.end(), this, split);
    split->m_source = source;
    split->m_destinations.push_back(this);
    m_source = split;
    restartSurface();
    return split;
}

void MetaLine::renderSelf(Renderer* r) {
    m_io.reset();
    MetaBall::renderSelf(r);
    if (r->getFlag(RenderFlag::SurfacePass))
        return;
    Sorvex::M4x4 toLocal = getTransform();
    if (!toLocal.inv())
        return;
    r->setLineWidth(4);
    r->color(1, 0, 0);
    r->beginLines();
    for (MetaLine* d : m_destinations) {
        r->vertex(toLocal * getCenter());
        r->vertex(toLocal * d->getCenter());
    }
    r->end();
    r->setLineWidth(1);
}
