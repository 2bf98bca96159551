#include "unfolders/engine/FaceBSP.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "scene/Renderer.h"
#include "unfolders/engine/FaceOverlap.h"

FaceBSP::FaceBSP()
    : FaceBSP(FaceBox::Empty, -FaceBox::Empty, FaceBox::Empty, -FaceBox::Empty, false, 0.0f) {}

FaceBSP::FaceBSP(double minX, double maxX, double minZ, double maxZ, bool splitOnX, float drawDepth)
    : minX(minX), maxX(maxX), minZ(minZ), maxZ(maxZ), splitOnX(splitOnX), drawDepth(drawDepth),
      ownShared(std::make_unique<Shared>()), shared(ownShared.get()) {}

FaceBSP::FaceBSP(ChildTag, Shared* shared, double minX, double maxX, double minZ, double maxZ,
                 bool splitOnX, float drawDepth)
    : minX(minX), maxX(maxX), minZ(minZ), maxZ(maxZ), splitOnX(splitOnX), drawDepth(drawDepth),
      shared(shared) {}

FaceBSP::~FaceBSP() = default;

double FaceBSP::keyOf(const FaceBox& box) const {
    const double key = splitOnX ? box.minZ : box.minX;
    // A NaN would break the sorted order; such a box overlaps nothing anyway.
    return std::isnan(key) ? -std::numeric_limits<double>::infinity() : key;
}

FaceBSP* FaceBSP::makeChild(double minX, double maxX, double minZ, double maxZ, bool splitOnX) {
    const float childDepth = drawDepth - DrawDepthStep;
    auto& nodes = shared->nodes;
    FaceBSP* node;
    if (shared->used < nodes.size()) {
        node = &nodes[shared->used];
        node->entries.clear();
        node->maxExtent = 0;
        node->low = node->high = nullptr;
        node->minX = minX;
        node->maxX = maxX;
        node->minZ = minZ;
        node->maxZ = maxZ;
        node->splitOnX = splitOnX;
        node->drawDepth = childDepth;
    } else {
        node = &nodes.emplace_back(ChildTag{}, shared, minX, maxX, minZ, maxZ, splitOnX,
                                   childDepth);
    }
    ++shared->used;
    return node;
}

void FaceBSP::split() {
    if (splitOnX && maxX - minX > MinSplitWidth) {
        const double mid = (minX + maxX) * 0.5;
        low = makeChild(minX, mid, minZ, maxZ, false);
        high = makeChild(mid, maxX, minZ, maxZ, false);
    } else if (!splitOnX && maxZ - minZ > MinSplitWidth) {
        const double mid = (minZ + maxZ) * 0.5;
        low = makeChild(minX, maxX, minZ, mid, true);
        high = makeChild(minX, maxX, mid, maxZ, true);
    }
}

void FaceBSP::store(const FaceBox& box) {
    const double key = keyOf(box);
    auto at = std::upper_bound(entries.begin(), entries.end(), key,
                               [](double k, const Entry& e) { return k < e.key; });
    entries.insert(at, Entry{key, box, shared->nextSequence++});
    const double extent = splitOnX ? box.maxZ - box.minZ : box.maxX - box.minX;
    if (extent > maxExtent)
        maxExtent = extent;
}

void FaceBSP::insert(const FaceBox& box) {
    const FaceBox& clear = shared->clearBox;
    const bool checked = shared->hasClearBox && clear.face == box.face &&
                         clear.minX == box.minX && clear.maxX == box.maxX &&
                         clear.minZ == box.minZ && clear.maxZ == box.maxZ;
    if (shared->storedCount > 0 && !checked)
        shared->pairwiseClear = false;
    shared->hasClearBox = false;
    ++shared->storedCount;
    LastInsert record;
    record.nodesBefore = shared->used;
    FaceBSP* node = this;
    for (;;) {
        if (!node->low) {
            node->split();
            if (node->low && !record.firstSplit)
                record.firstSplit = node;
        }
        if (node->low && node->low->contains(box))
            node = node->low;
        else if (node->high && node->high->contains(box))
            node = node->high;
        else
            break;
    }
    record.valid = true;
    record.face = box.face;
    record.storedAt = node;
    record.extentBefore = node->maxExtent;
    record.sequence = shared->nextSequence;
    node->store(box);
    shared->last = record;
}

bool FaceBSP::undoLastInsert(const FaceBox& box) {
    LastInsert& last = shared->last;
    if (!last.valid || last.face != box.face)
        return false;
    FaceBSP* node = last.storedAt;
    const double key = node->keyOf(box);
    auto it = std::lower_bound(node->entries.begin(), node->entries.end(), key,
                               [](const Entry& e, double k) { return e.key < k; });
    while (it != node->entries.end() && it->sequence != last.sequence)
        ++it;
    if (it == node->entries.end())
        return false;
    node->entries.erase(it);
    node->maxExtent = last.extentBefore;
    // The nodes the insert split are the newest in the pool: they go, and the first
    // node split becomes a leaf again.
    if (last.firstSplit) {
        last.firstSplit->low = last.firstSplit->high = nullptr;
        shared->used = last.nodesBefore;
    }
    shared->nextSequence = last.sequence;
    last.valid = false;
    --shared->storedCount;
    return true;
}

void FaceBSP::collectEntries(std::vector<Entry>& out) const {
    const std::size_t from = out.size();
    out.insert(out.end(), entries.begin(), entries.end());
    std::sort(out.begin() + std::ptrdiff_t(from), out.end(),
              [](const Entry& a, const Entry& b) { return a.sequence < b.sequence; });
    if (low)
        low->collectEntries(out);
    if (high)
        high->collectEntries(out);
}

void FaceBSP::collectBoxes(std::vector<FaceBox>& out) const {
    std::vector<Entry> all;
    all.reserve(getBoxCount());
    collectEntries(all);
    out.reserve(out.size() + all.size());
    for (const Entry& e : all)
        out.push_back(e.box);
}

size_t FaceBSP::getBoxCount() const {
    return entries.size() + (low ? low->getBoxCount() : 0) + (high ? high->getBoxCount() : 0);
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

    // Inserting the stored boxes again one by one, in collectBoxes order, would give
    // each the next insertion number and the deepest node that contains it; placeAll
    // builds that same tree level by level, reusing the pool's nodes.
    std::vector<Entry>& all = shared->rebuildEntries;
    all.clear();
    collectEntries(all);
    const std::uint64_t base = shared->nextSequence;
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i].sequence = base + i;
    shared->nextSequence = base + all.size();

    entries.clear();
    maxExtent = 0;
    low = high = nullptr;
    shared->used = 0;
    std::vector<std::uint32_t>& order = shared->rebuildOrder;
    order.resize(all.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        order[i] = std::uint32_t(i);
    shared->rebuildScratch.resize(all.size());
    if (!all.empty())
        placeAll(0, all.size());
    shared->last.valid = false;
}

void FaceBSP::placeAll(std::size_t begin, std::size_t end) {
    // Every box that reaches a leaf splits it, as insert does.
    if (!low)
        split();
    const std::vector<Entry>& all = shared->rebuildEntries;
    std::vector<std::uint32_t>& order = shared->rebuildOrder;
    std::vector<std::uint32_t>& scratch = shared->rebuildScratch;
    // A stable three-way partition: the boxes that stay here, then those of low, then
    // those of high, each in the order given.
    std::size_t stays = 0, lows = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const FaceBox& box = all[order[i]].box;
        if (low && low->contains(box))
            ++lows;
        else if (!(high && high->contains(box)))
            ++stays;
    }
    std::size_t atStay = begin, atLow = begin + stays, atHigh = begin + stays + lows;
    for (std::size_t i = begin; i < end; ++i) {
        const FaceBox& box = all[order[i]].box;
        if (low && low->contains(box))
            scratch[atLow++] = order[i];
        else if (high && high->contains(box))
            scratch[atHigh++] = order[i];
        else
            scratch[atStay++] = order[i];
    }
    std::copy(scratch.begin() + std::ptrdiff_t(begin), scratch.begin() + std::ptrdiff_t(end),
              order.begin() + std::ptrdiff_t(begin));

    entries.reserve(stays);
    for (std::size_t i = begin; i < begin + stays; ++i) {
        const Entry& e = all[order[i]];
        entries.push_back(Entry{keyOf(e.box), e.box, e.sequence});
        const double extent = splitOnX ? e.box.maxZ - e.box.minZ : e.box.maxX - e.box.minX;
        if (extent > maxExtent)
            maxExtent = extent;
    }
    // store() keeps equal keys in insertion order.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.key < b.key || (a.key == b.key && a.sequence < b.sequence);
    });
    if (lows > 0)
        low->placeAll(begin + stays, begin + stays + lows);
    if (atHigh > begin + stays + lows)
        high->placeAll(begin + stays + lows, end);
}

bool FaceBSP::remove(const FaceBox& box) {
    FaceBSP* node = this;
    for (;;) {
        if (node->low && node->low->contains(box))
            node = node->low;
        else if (node->high && node->high->contains(box))
            node = node->high;
        else
            break;
    }
    shared->last.valid = false;
    auto first = node->entries.end();
    for (auto it = node->entries.begin(); it != node->entries.end(); ++it)
        if (it->box.face == box.face &&
            (first == node->entries.end() || it->sequence < first->sequence))
            first = it;
    if (first == node->entries.end())
        return false;
    node->entries.erase(first);
    --shared->storedCount;
    return true;
}

template <typename Visit> void FaceBSP::forCandidates(OverlapQuery& query, Visit&& visit) const {
    if (entries.empty())
        return;
    const FaceBox& box = query.getBox();
    // Only boxes whose minimum on the sorted axis lies in this window can
    // overlap the query with positive area.
    const double queryMin = splitOnX ? box.minZ : box.minX;
    const double queryMax = splitOnX ? box.maxZ : box.maxX;
    const double from = queryMin - maxExtent - (std::fabs(queryMin) + maxExtent) * 1e-12;
    auto it = std::lower_bound(entries.begin(), entries.end(), from,
                               [](const Entry& e, double k) { return e.key < k; });
    for (; it != entries.end() && it->key < queryMax; ++it)
        if (query.overlaps(it->box))
            visit(*it);
}

bool FaceBSP::query(const FaceBox& box, std::vector<Poly*>* overlapping) const {
    OverlapQuery query(box);
    return queryFrom(query, overlapping);
}

bool FaceBSP::queryFrom(OverlapQuery& query, std::vector<Poly*>* overlapping) const {
    if (!overlapping)
        return findFirstFrom(query) != nullptr;
    if (!reaches(query.getBox()))
        return false;
    // Hits are gathered with their insertion numbers, then put in that order.
    std::vector<std::pair<std::uint64_t, Poly*>> hits;
    forCandidates(query, [&hits](const Entry& e) { hits.emplace_back(e.sequence, e.box.face); });
    std::sort(hits.begin(), hits.end());
    for (const auto& hit : hits)
        overlapping->push_back(hit.second);
    bool found = !hits.empty();
    if (low && low->queryFrom(query, overlapping))
        found = true;
    if (high && high->queryFrom(query, overlapping))
        found = true;
    return found;
}

Poly* FaceBSP::findFirst(const FaceBox& box) const {
    OverlapQuery query(box);
    Poly* hit = findFirstFrom(query);
    shared->hasClearBox = !hit;
    if (!hit)
        shared->clearBox = box;
    return hit;
}

Poly* FaceBSP::findFirstFrom(OverlapQuery& query) const {
    if (!reaches(query.getBox()))
        return nullptr;
    const Entry* first = nullptr;
    forCandidates(query, [&first](const Entry& e) {
        if (!first || e.sequence < first->sequence)
            first = &e;
    });
    if (first)
        return first->box.face;
    if (low)
        if (Poly* hit = low->findFirstFrom(query))
            return hit;
    return high ? high->findFirstFrom(query) : nullptr;
}

void FaceBSP::shift(double dx, double dz) {
    shared->last.valid = false;
    shared->pairwiseClear = false;
    shared->hasClearBox = false;
    minX += dx;
    maxX += dx;
    minZ += dz;
    maxZ += dz;
    // An equal shift keeps the sorted order.
    for (Entry& e : entries) {
        e.key += splitOnX ? dz : dx;
        e.box.minX += dx;
        e.box.maxX += dx;
        e.box.minZ += dz;
        e.box.maxZ += dz;
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
