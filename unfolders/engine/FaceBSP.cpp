#include "unfolders/engine/FaceBSP.h"

#include <algorithm>

#include "scene/Renderer.h"

FaceBSP::FaceBSP()
    : FaceBSP(FaceBox::Empty, -FaceBox::Empty, FaceBox::Empty, -FaceBox::Empty, false, 0.0f) {}

FaceBSP::FaceBSP(double minX, double maxX, double minZ, double maxZ, bool splitOnX, float drawDepth)
    : minX(minX), maxX(maxX), minZ(minZ), maxZ(maxZ), splitOnX(splitOnX), drawDepth(drawDepth) {}

bool FaceBSP::contains(const FaceBox& box) const {
    return minX <= box.minX && minZ <= box.minZ && box.maxX <= maxX && box.maxZ <= maxZ;
}

void FaceBSP::split() {
    const float childDepth = drawDepth - DrawDepthStep;
    if (splitOnX && maxX - minX > MinSplitWidth) {
        const double mid = (minX + maxX) * 0.5;
        low = std::make_unique<FaceBSP>(minX, mid, minZ, maxZ, false, childDepth);
        high = std::make_unique<FaceBSP>(mid, maxX, minZ, maxZ, false, childDepth);
    } else if (!splitOnX && maxZ - minZ > MinSplitWidth) {
        const double mid = (minZ + maxZ) * 0.5;
        low = std::make_unique<FaceBSP>(minX, maxX, minZ, mid, true, childDepth);
        high = std::make_unique<FaceBSP>(minX, maxX, mid, maxZ, true, childDepth);
    }
}

void FaceBSP::insert(const FaceBox& box) {
    FaceBSP* node = this;
    for (;;) {
        if (!node->low)
            node->split();
        if (node->low && node->low->contains(box))
            node = node->low.get();
        else if (node->high && node->high->contains(box))
            node = node->high.get();
        else
            break;
    }
    node->boxes.push_back(box);
}

void FaceBSP::collectBoxes(std::vector<FaceBox>& out) const {
    out.insert(out.end(), boxes.begin(), boxes.end());
    if (low)
        low->collectBoxes(out);
    if (high)
        high->collectBoxes(out);
}

size_t FaceBSP::getBoxCount() const {
    return boxes.size() + (low ? low->getBoxCount() : 0) + (high ? high->getBoxCount() : 0);
}

void FaceBSP::grow(const FaceBox& box) {
    // The tenfold margin keeps rebuilds rare while a net spreads outwards.
    const double width = box.maxX - box.minX;
    const double depth = box.maxZ - box.minZ;
    if (box.minX < minX)
        minX = box.minX - 10 * width;
    if (box.maxX > maxX)
        maxX = box.maxX + 10 * width;
    if (box.minZ < minZ)
        minZ = box.minZ - 10 * depth;
    if (box.maxZ > maxZ)
        maxZ = box.maxZ + 10 * depth;

    std::vector<FaceBox> stored;
    stored.reserve(getBoxCount());
    collectBoxes(stored);
    boxes.clear();
    low.reset();
    high.reset();
    for (const FaceBox& b : stored)
        insert(b);
}

bool FaceBSP::remove(const FaceBox& box) {
    FaceBSP* node = this;
    for (;;) {
        if (node->low && node->low->contains(box))
            node = node->low.get();
        else if (node->high && node->high->contains(box))
            node = node->high.get();
        else
            break;
    }
    auto it = std::find_if(node->boxes.begin(), node->boxes.end(),
                           [&](const FaceBox& b) { return b.face == box.face; });
    if (it == node->boxes.end())
        return false;
    node->boxes.erase(it);
    return true;
}

bool FaceBSP::query(const FaceBox& box, std::vector<Poly*>* overlapping) const {
    if (!overlapping)
        return findFirst(box) != nullptr;
    if (maxX < box.minX || maxZ < box.minZ || minX > box.maxX || minZ > box.maxZ)
        return false;
    bool found = false;
    for (const FaceBox& stored : boxes) {
        if (FacesOverlap(box, stored)) {
            found = true;
            overlapping->push_back(stored.face);
        }
    }
    if (low && low->query(box, overlapping))
        found = true;
    if (high && high->query(box, overlapping))
        found = true;
    return found;
}

Poly* FaceBSP::findFirst(const FaceBox& box) const {
    if (maxX < box.minX || maxZ < box.minZ || minX > box.maxX || minZ > box.maxZ)
        return nullptr;
    for (const FaceBox& stored : boxes)
        if (FacesOverlap(box, stored))
            return stored.face;
    if (low)
        if (Poly* hit = low->findFirst(box))
            return hit;
    return high ? high->findFirst(box) : nullptr;
}

void FaceBSP::shift(double dx, double dz) {
    minX += dx;
    maxX += dx;
    minZ += dz;
    maxZ += dz;
    for (FaceBox& b : boxes) {
        b.minX += dx;
        b.maxX += dx;
        b.minZ += dz;
        b.maxZ += dz;
    }
    if (low)
        low->shift(dx, dz);
    if (high)
        high->shift(dx, dz);
}

void FaceBSP::draw(Renderer* renderer, double height) const {
    if (minX > maxX || minZ > maxZ)
        return;
    const double y = height + drawDepth;
    renderer->beginLineLoop();
    renderer->vertex(Sorvex::M3d(minX, y, minZ));
    renderer->vertex(Sorvex::M3d(maxX, y, minZ));
    renderer->vertex(Sorvex::M3d(maxX, y, maxZ));
    renderer->vertex(Sorvex::M3d(minX, y, maxZ));
    renderer->end();
    if (low)
        low->draw(renderer, height);
    if (high)
        high->draw(renderer, height);
}
