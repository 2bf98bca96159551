#include "unfolders/engine/FaceBSP.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "scene/Renderer.h"
#include "unfolders/engine/FaceOverlap.h"

namespace {

/// Doublings tried before the search tree gives up reaching a region that way (a
/// finite region is reached in far fewer: the range of a double spans 2,100 of them).
constexpr int MaxDoublings = 2200;

bool isFinite(const FaceBoxTreeOrder::Region& r) {
    return std::isfinite(r.minX) && std::isfinite(r.maxX) && std::isfinite(r.minZ) &&
           std::isfinite(r.maxZ);
}

} // namespace

// ----- Nodes -----

double FaceBSP::Node::extentOf(const FaceBox& box) const {
    return splitOnX ? box.maxZ - box.minZ : box.maxX - box.minX;
}

void FaceBSP::Node::store(const Entry& entry) {
    const double key = keyOf(entry.box);
    // After every equal key: equal keys keep the order they came in.
    const auto at = std::upper_bound(entries.begin(), entries.end(), key,
                                     [this](double k, const Entry& e) { return k < keyOf(e.box); });
    entries.insert(at, entry);
    const double extent = extentOf(entry.box);
    if (extent > maxExtent)
        maxExtent = extent;
    // NaN bounds fail both tests and leave the span as it was: such a box meets nothing.
    const double low = splitOnX ? entry.box.minX : entry.box.minZ;
    const double high = splitOnX ? entry.box.maxX : entry.box.maxZ;
    if (low < spanLow)
        spanLow = low;
    if (high > spanHigh)
        spanHigh = high;
}

void FaceBSP::Node::erase(std::size_t at) {
    entries.erase(entries.begin() + std::ptrdiff_t(at));
}

void FaceBSP::Node::clearEntries() {
    entries.clear();
    spanLow = std::numeric_limits<double>::infinity();
    spanHigh = -std::numeric_limits<double>::infinity();
}

template <typename Visit>
bool FaceBSP::Node::forCandidates(OverlapQuery& query, Visit&& visit) const {
    const FaceBox& box = query.getBox();
    // A stored box overlaps the query only where their spans on the split axis overlap.
    if (!(splitOnX ? box.maxX > spanLow && box.minX < spanHigh
                   : box.maxZ > spanLow && box.minZ < spanHigh))
        return true;
    // Only boxes whose minimum on the sorted axis lies in this window can overlap the
    // query with positive area.
    const double queryMin = splitOnX ? box.minZ : box.minX;
    const double queryMax = splitOnX ? box.maxZ : box.maxX;
    const double from = queryMin - maxExtent - (std::fabs(queryMin) + maxExtent) * 1e-12;
    auto it = std::lower_bound(entries.begin(), entries.end(), from,
                               [this](const Entry& e, double k) { return keyOf(e.box) < k; });
    for (; it != entries.end() && keyOf(it->box) < queryMax; ++it)
        if (query.overlaps(it->box) && !visit(*it))
            return false;
    return true;
}

// ----- The index -----

FaceBSP::FaceBSP()
    : FaceBSP(FaceBox::Empty, -FaceBox::Empty, FaceBox::Empty, -FaceBox::Empty, false, 0.0f) {}

namespace {

/// The nodes of the last index to go on this thread, for the next one made here: a batch
/// makes an index per net, and nodes that come with room in their lists spare the heap
/// most of an index's allocations.
thread_local std::deque<FaceBSP::Node> t_spareNodes;
/// Larger pools are let go with their index rather than held by the thread.
constexpr std::size_t MaxSpareNodes = 1 << 14;

} // namespace

FaceBSP::FaceBSP(double minX, double maxX, double minZ, double maxZ, bool splitOnX, float drawDepth)
    : order({minX, maxX, minZ, maxZ, splitOnX}) {
    nodes.swap(t_spareNodes);
    root = makeNode(minX, maxX, minZ, maxZ, splitOnX, drawDepth);
}

FaceBSP::~FaceBSP() {
    if (nodes.size() <= MaxSpareNodes && nodes.size() > t_spareNodes.size())
        nodes.swap(t_spareNodes);
}

FaceBSP::Node* FaceBSP::makeNode(double minX, double maxX, double minZ, double maxZ,
                                 bool splitOnX, float drawDepth) {
    Node* node = used < nodes.size() ? &nodes[used] : &nodes.emplace_back();
    ++used;
    // A reused node keeps its entry list's capacity.
    node->clearEntries();
    node->maxExtent = 0;
    node->low = node->high = nullptr;
    node->minX = minX;
    node->maxX = maxX;
    node->minZ = minZ;
    node->maxZ = maxZ;
    node->splitOnX = splitOnX;
    node->drawDepth = drawDepth;
    return node;
}

void FaceBSP::split(Node& node) {
    const float depth = node.drawDepth - DrawDepthStep;
    if (node.splitOnX && node.maxX - node.minX > MinSplitWidth) {
        const double mid = (node.minX + node.maxX) * 0.5;
        node.low = makeNode(node.minX, mid, node.minZ, node.maxZ, false, depth);
        node.high = makeNode(mid, node.maxX, node.minZ, node.maxZ, false, depth);
        node.splitAt = mid;
    } else if (!node.splitOnX && node.maxZ - node.minZ > MinSplitWidth) {
        const double mid = (node.minZ + node.maxZ) * 0.5;
        node.low = makeNode(node.minX, node.maxX, node.minZ, mid, true, depth);
        node.high = makeNode(node.minX, node.maxX, mid, node.maxZ, true, depth);
        node.splitAt = mid;
    }
}

namespace {

/// Unchecked boxes are tracked while there are at most this many plus a quarter of all
/// boxes: beyond that, asking about each of them saves little over asking about all.
constexpr std::size_t UncheckedAllowance = 1024;

} // namespace

void FaceBSP::insert(const FaceBox& box) {
    const bool checked = boxCount == 0 ||
                         (hasClearBox && clearBox.face == box.face && clearBox.minX == box.minX &&
                          clearBox.maxX == box.maxX && clearBox.minZ == box.minZ &&
                          clearBox.maxZ == box.maxZ);
    hasClearBox = false;
    static_assert(sizeof(Entry) == 48, "an entry per net face: keep it small");
    const Entry entry{box, nextSequence++, checked};
    place(entry);
    ++boxCount;
    if (flatKnown) {
        if (boxCount <= FlatScanLimit) {
            flat.push_back(entry);
        } else {
            flatKnown = false;
            std::vector<Entry>().swap(flat);
        }
    }
    if (!checked)
        noteUnchecked(entry);
}

void FaceBSP::place(const Entry& entry) {
    LastInsert record;
    record.nodesBefore = used;
    Node* node = root;
    const bool inside = root->contains(entry.box);
    for (;;) {
        if (!node->low) {
            split(*node);
            if (node->low && !record.firstSplit)
                record.firstSplit = node;
        }
        Node* child = inside ? childHolding(*node, entry.box) : nullptr;
        if (!child)
            break;
        node = child;
    }
    record.valid = true;
    record.face = entry.box.face;
    record.storedAt = node;
    record.extentBefore = node->maxExtent;
    record.spanBefore[0] = node->spanLow;
    record.spanBefore[1] = node->spanHigh;
    record.sequence = entry.sequence;
    record.checked = entry.checked;
    node->store(entry);
    last = record;
}

void FaceBSP::noteUnchecked(const Entry& entry) {
    if (!uncheckedKnown)
        return;
    if (unchecked.size() >= UncheckedAllowance + boxCount / 4) {
        forgetUnchecked();
        return;
    }
    unchecked.push_back(entry);
}

void FaceBSP::forgetUnchecked() {
    uncheckedKnown = false;
    std::vector<Entry>().swap(unchecked);
}

bool FaceBSP::undoLastInsert(const FaceBox& box) {
    if (!last.valid || last.face != box.face)
        return false;
    Node* node = last.storedAt;
    auto it = std::find_if(node->entries.begin(), node->entries.end(),
                           [this](const Entry& e) { return e.sequence == last.sequence; });
    if (it == node->entries.end())
        return false;
    node->erase(std::size_t(it - node->entries.begin()));
    node->maxExtent = last.extentBefore;
    node->spanLow = last.spanBefore[0];
    node->spanHigh = last.spanBefore[1];
    --boxCount;
    if (flatKnown && !flat.empty() && flat.back().sequence == last.sequence)
        flat.pop_back();
    // The face is gone, so it vouches for nothing any more either way.
    if (!last.checked && uncheckedKnown && !unchecked.empty() &&
        unchecked.back().sequence == last.sequence)
        unchecked.pop_back();
    // The nodes the insert split are the newest in the pool: they go, and the first
    // node split becomes a leaf again.
    if (last.firstSplit) {
        last.firstSplit->low = last.firstSplit->high = nullptr;
        used = last.nodesBefore;
    }
    nextSequence = last.sequence;
    last.valid = false;
    return true;
}

FaceBSP::Node* FaceBSP::childHolding(const Node& node, const FaceBox& box) {
    if (!node.low)
        return nullptr;
    // The children share the node's bounds but at splitAt, where low ends and high starts
    // (low asked first: a flat box on the line goes low).
    if ((node.splitOnX ? box.maxX : box.maxZ) <= node.splitAt)
        return node.low;
    if ((node.splitOnX ? box.minX : box.minZ) >= node.splitAt)
        return node.high;
    return nullptr;
}

FaceBSP::Node* FaceBSP::nodeFor(const FaceBox& box) const {
    Node* node = root;
    if (!root->contains(box))
        return node;
    while (Node* child = childHolding(*node, box))
        node = child;
    return node;
}

bool FaceBSP::remove(const FaceBox& box) {
    last.valid = false;
    Node* node = nodeFor(box);
    auto first = node->entries.end();
    for (auto it = node->entries.begin(); it != node->entries.end(); ++it)
        if (it->box.face == box.face && (first == node->entries.end() || before(*it, *first)))
            first = it;
    if (first == node->entries.end())
        return false;
    if (!first->checked && uncheckedKnown) {
        const std::uint64_t sequence = first->sequence;
        unchecked.erase(std::find_if(unchecked.begin(), unchecked.end(),
                                     [sequence](const Entry& e) { return e.sequence == sequence; }));
    }
    if (flatKnown)
        eraseFlat(first->sequence);
    node->erase(std::size_t(first - node->entries.begin()));
    if (--boxCount == 0) {
        order.forgetHistory(nextSequence);
        // Nothing stored, nothing to overlap.
        uncheckedKnown = true;
        unchecked.clear();
        flatKnown = true;
        flat.clear();
    }
    return true;
}

void FaceBSP::eraseFlat(std::uint64_t sequence) {
    const auto it = std::find_if(flat.begin(), flat.end(),
                                 [sequence](const Entry& e) { return e.sequence == sequence; });
    if (it != flat.end())
        flat.erase(it);
}

FaceBox FaceBSP::GrownRegion(FaceBox region, const FaceBox& box) {
    const double width = box.maxX - box.minX;
    const double depth = box.maxZ - box.minZ;
    if (box.minX < region.minX)
        region.minX = box.minX - 10 * width;
    if (box.maxX > region.maxX)
        region.maxX = box.maxX + 10 * width;
    if (box.minZ < region.minZ)
        region.minZ = box.minZ - 10 * depth;
    if (box.maxZ > region.maxZ)
        region.maxZ = box.maxZ + 10 * depth;
    return region;
}

void FaceBSP::grow(const FaceBox& box) {
    // The answer order depends on these very bounds.
    FaceBoxTreeOrder::Region region = order.getRegion();
    const FaceBox grown =
        GrownRegion(FaceBox(region.minX, region.maxX, region.minZ, region.maxZ), box);
    region.minX = grown.minX;
    region.maxX = grown.maxX;
    region.minZ = grown.minZ;
    region.maxZ = grown.maxZ;
    order.setRegion(region, nextSequence);
    coverRegion();
    last.valid = false;
}

void FaceBSP::coverRegion() {
    const FaceBoxTreeOrder::Region& region = order.getRegion();
    if (root->contains({region.minX, region.maxX, region.minZ, region.maxZ}))
        return;
    // An empty tree, or one whose root cannot double (not finite, or flat along an
    // axis it must widen), simply starts over on the region.
    const bool rootFinite =
        isFinite({root->minX, root->maxX, root->minZ, root->maxZ, false}) &&
        root->minX <= root->maxX && root->minZ <= root->maxZ;
    if (boxCount == 0 || !rootFinite || !isFinite(region)) {
        rebuildOver(region);
        return;
    }
    for (int doubling = 0; doubling < MaxDoublings; ++doubling) {
        const bool shortOnX = region.minX < root->minX || region.maxX > root->maxX;
        const bool shortOnZ = region.minZ < root->minZ || region.maxZ > root->maxZ;
        if (!shortOnX && !shortOnZ)
            return;
        const double width = root->maxX - root->minX;
        const double depth = root->maxZ - root->minZ;
        const bool alongX = shortOnX && (!shortOnZ || width <= depth);
        if (!((alongX ? width : depth) > 0) || !std::isfinite(alongX ? 2 * width : 2 * depth))
            break;
        // The old root's content moves into a pool node that becomes one half of the
        // new root; the other half starts empty and splits like any leaf.
        Node* old = makeNode(0, 0, 0, 0, false, 0);
        std::swap(*old, *root);
        Node& r = *root;
        r = Node{};
        r.minX = old->minX;
        r.maxX = old->maxX;
        r.minZ = old->minZ;
        r.maxZ = old->maxZ;
        r.splitOnX = alongX;
        r.drawDepth = old->drawDepth;
        Node* sibling;
        if (alongX) {
            const bool towardsLow = region.minX < old->minX;
            const double lo = towardsLow ? old->minX - width : old->maxX;
            const double hi = towardsLow ? old->minX : old->maxX + width;
            sibling = makeNode(lo, hi, old->minZ, old->maxZ, old->splitOnX, old->drawDepth);
            r.minX = std::min(lo, old->minX);
            r.maxX = std::max(hi, old->maxX);
            r.low = towardsLow ? sibling : old;
            r.high = towardsLow ? old : sibling;
            r.splitAt = towardsLow ? old->minX : old->maxX;
        } else {
            const bool towardsLow = region.minZ < old->minZ;
            const double lo = towardsLow ? old->minZ - depth : old->maxZ;
            const double hi = towardsLow ? old->minZ : old->maxZ + depth;
            sibling = makeNode(old->minX, old->maxX, lo, hi, old->splitOnX, old->drawDepth);
            r.minZ = std::min(lo, old->minZ);
            r.maxZ = std::max(hi, old->maxZ);
            r.low = towardsLow ? sibling : old;
            r.high = towardsLow ? old : sibling;
            r.splitAt = towardsLow ? old->minZ : old->maxZ;
        }
        // The old tree sits one level lower now.
        std::vector<Node*> pending{old, sibling};
        while (!pending.empty()) {
            Node* n = pending.back();
            pending.pop_back();
            n->drawDepth -= DrawDepthStep;
            if (n->low)
                pending.push_back(n->low);
            if (n->high)
                pending.push_back(n->high);
        }
    }
    if (!root->contains({region.minX, region.maxX, region.minZ, region.maxZ}))
        rebuildOver(region);
}

void FaceBSP::rebuildOver(const FaceBoxTreeOrder::Region& region) {
    std::vector<Entry> all;
    all.reserve(boxCount);
    for (std::size_t i = 0; i < used; ++i)
        all.insert(all.end(), nodes[i].entries.begin(), nodes[i].entries.end());
    const float drawDepth = root->drawDepth;
    used = 0;
    root = makeNode(region.minX, region.maxX, region.minZ, region.maxZ, region.splitOnX,
                    drawDepth);
    // The same entries go back in, so whether they were checked one by one stays as it was.
    for (const Entry& e : all)
        place(e);
    last.valid = false;
}

// ----- Answers -----

template <typename Visit> bool FaceBSP::visitOverlaps(const Node& node, OverlapQuery& query,
                                                      Visit& visit) {
    return !node.reaches(query.getBox()) || visitReached(node, query, visit);
}

template <typename Visit>
bool FaceBSP::visitReached(const Node& node, OverlapQuery& query, Visit& visit) {
    if (!node.forCandidates(query, visit))
        return false;
    if (!node.low)
        return true;
    // A reached node's children differ from it only at splitAt: these are the tests
    // Node::reaches would make on the child, without loading it.
    const FaceBox& box = query.getBox();
    const double boxMin = node.splitOnX ? box.minX : box.minZ;
    const double boxMax = node.splitOnX ? box.maxX : box.maxZ;
    if (!(node.splitAt < boxMin) && !visitReached(*node.low, query, visit))
        return false;
    return node.splitAt > boxMax || visitReached(*node.high, query, visit);
}

bool FaceBSP::query(const FaceBox& box, std::vector<Poly*>* overlapping) const {
    OverlapQuery query(box);
    if (!overlapping) {
        bool found = false;
        auto stopAtFirst = [&found](const Entry&) {
            found = true;
            return false;
        };
        visitOverlaps(*root, query, stopAtFirst);
        return found;
    }
    std::vector<const Entry*> hits;
    auto gather = [&hits](const Entry& e) {
        hits.push_back(&e);
        return true;
    };
    visitOverlaps(*root, query, gather);
    std::sort(hits.begin(), hits.end(),
              [this](const Entry* a, const Entry* b) { return before(*a, *b); });
    for (const Entry* e : hits)
        overlapping->push_back(e->box.face);
    return !hits.empty();
}

Poly* FaceBSP::findFirst(const FaceBox& box) const {
    OverlapQuery query(box);
    const Entry* first = nullptr;
    auto keepFirst = [this, &first](const Entry& e) {
        if (!first || before(e, *first))
            first = &e;
        return true;
    };
    if (flatKnown) {
        // The box test inline first: almost every stored box fails it.
        for (const Entry& e : flat)
            if (e.box.overlapsArea(box) && query.overlaps(e.box))
                keepFirst(e);
    } else {
        visitOverlaps(*root, query, keepFirst);
    }
    hasClearBox = !first;
    if (!first)
        clearBox = box;
    return first ? first->box.face : nullptr;
}

bool FaceBSP::findAllOverlaps(std::unordered_map<Poly*, std::vector<Poly*>>& answers) const {
    answers.clear();
    if (!uncheckedKnown)
        return false;
    auto inOrder = [this](const Entry* a, const Entry* b) { return before(*a, *b); };
    // A checked face's answer holds only unchecked faces: those that found it.
    std::unordered_map<Poly*, std::vector<const Entry*>> foundBy;
    std::vector<const Entry*> hits;
    auto gather = [&hits](const Entry& e) {
        hits.push_back(&e);
        return true;
    };
    for (const Entry& u : unchecked) {
        hits.clear();
        OverlapQuery query(u.box);
        visitOverlaps(*root, query, gather);
        if (hits.empty())
            continue;
        std::sort(hits.begin(), hits.end(), inOrder);
        std::vector<Poly*>& answer = answers[u.box.face];
        for (const Entry* e : hits) {
            answer.push_back(e->box.face);
            if (e->checked)
                foundBy[e->box.face].push_back(&u);
        }
    }
    for (auto& [face, finders] : foundBy) {
        std::sort(finders.begin(), finders.end(), inOrder);
        std::vector<Poly*>& answer = answers[face];
        for (const Entry* u : finders)
            answer.push_back(u->box.face);
    }
    return true;
}

void FaceBSP::collectEntries(const Node* node, std::vector<const Entry*>& out) const {
    for (const Entry& e : node->entries)
        out.push_back(&e);
    if (node->low)
        collectEntries(node->low, out);
    if (node->high)
        collectEntries(node->high, out);
}

void FaceBSP::collectBoxes(std::vector<FaceBox>& out) const {
    std::vector<const Entry*> all;
    all.reserve(boxCount);
    collectEntries(root, all);
    std::sort(all.begin(), all.end(),
              [this](const Entry* a, const Entry* b) { return before(*a, *b); });
    out.reserve(out.size() + all.size());
    for (const Entry* e : all)
        out.push_back(e->box);
}

void FaceBSP::shift(double dx, double dz) {
    last.valid = false;
    forgetUnchecked();
    hasClearBox = false;
    order.shift(dx, dz);
    for (std::size_t i = 0; i < used; ++i) {
        Node& node = nodes[i];
        node.minX += dx;
        node.maxX += dx;
        node.minZ += dz;
        node.maxZ += dz;
        node.splitAt += node.splitOnX ? dx : dz;
        node.spanLow += node.splitOnX ? dx : dz;
        node.spanHigh += node.splitOnX ? dx : dz;
        // An equal shift keeps the sorted order.
        for (Entry& e : node.entries) {
            e.box.minX += dx;
            e.box.maxX += dx;
            e.box.minZ += dz;
            e.box.maxZ += dz;
        }
    }
    for (Entry& e : flat) {
        e.box.minX += dx;
        e.box.maxX += dx;
        e.box.minZ += dz;
        e.box.maxZ += dz;
    }
}

void FaceBSP::draw(Renderer* renderer, double height) const {
    std::vector<const Node*> pending{root};
    while (!pending.empty()) {
        const Node* node = pending.back();
        pending.pop_back();
        if (node->minX > node->maxX || node->minZ > node->maxZ)
            continue;
        const double y = height + node->drawDepth;
        renderer->beginLineLoop();
        renderer->vertex(Sorvex::M3d(node->minX, y, node->minZ));
        renderer->vertex(Sorvex::M3d(node->maxX, y, node->minZ));
        renderer->vertex(Sorvex::M3d(node->maxX, y, node->maxZ));
        renderer->vertex(Sorvex::M3d(node->minX, y, node->maxZ));
        renderer->end();
        if (node->high)
            pending.push_back(node->high);
        if (node->low)
            pending.push_back(node->low);
    }
}
