#include "unfolders/engine/FaceBoxTreeOrder.h"

namespace {

using Region = FaceBoxTreeOrder::Region;

/// Where a box goes at a node: it stays, or goes to the low or the high child.
enum class Way { Stays = 0, Low = 1, High = 2 };

/// The children of `node`, as the tree splits it; false when it does not split.
bool childrenOf(const Region& node, Region& low, Region& high) {
    if (node.splitOnX) {
        if (!(node.maxX - node.minX > FaceBoxTreeOrder::MinSplitWidth))
            return false;
        const double mid = (node.minX + node.maxX) * 0.5;
        low = {node.minX, mid, node.minZ, node.maxZ, false};
        high = {mid, node.maxX, node.minZ, node.maxZ, false};
    } else {
        if (!(node.maxZ - node.minZ > FaceBoxTreeOrder::MinSplitWidth))
            return false;
        const double mid = (node.minZ + node.maxZ) * 0.5;
        low = {node.minX, node.maxX, node.minZ, mid, true};
        high = {node.minX, node.maxX, mid, node.maxZ, true};
    }
    return true;
}

Way wayOf(const FaceBox& box, const Region& low, const Region& high) {
    // The low child is asked first: a flat box on the split line goes low.
    if (low.contains(box))
        return Way::Low;
    if (high.contains(box))
        return Way::High;
    return Way::Stays;
}

} // namespace

FaceBoxTreeOrder::FaceBoxTreeOrder(const Region& region) : generations{{region, 0}} {}

void FaceBoxTreeOrder::setRegion(const Region& region, std::uint64_t nextSequence) {
    const Region& current = getRegion();
    if (region.minX == current.minX && region.maxX == current.maxX &&
        region.minZ == current.minZ && region.maxZ == current.maxZ &&
        region.splitOnX == current.splitOnX)
        return;
    generations.push_back({region, nextSequence});
}

void FaceBoxTreeOrder::forgetHistory(std::uint64_t nextSequence) {
    generations.erase(generations.begin(), generations.end() - 1);
    generations.back().firstSequence = nextSequence;
}

void FaceBoxTreeOrder::shift(double dx, double dz) {
    for (Generation& g : generations) {
        g.region.minX += dx;
        g.region.maxX += dx;
        g.region.minZ += dz;
        g.region.maxZ += dz;
    }
}

bool FaceBoxTreeOrder::precedes(const FaceBox& a, std::uint64_t seqA, const FaceBox& b,
                                std::uint64_t seqB) const {
    return precedesInTree(generations.size() - 1, a, seqA, b, seqB);
}

bool FaceBoxTreeOrder::precedesInTree(std::size_t g, const FaceBox& a, std::uint64_t seqA,
                                      const FaceBox& b, std::uint64_t seqB) const {
    Region node = generations[g].region;
    Region low{}, high{};
    // Down the tree together until the boxes part or stop.
    while (childrenOf(node, low, high)) {
        const Way wayA = wayOf(a, low, high);
        const Way wayB = wayOf(b, low, high);
        if (wayA != wayB)
            return wayA < wayB; // the node's own boxes, then low, then high
        if (wayA == Way::Stays)
            break;
        node = wayA == Way::Low ? low : high;
    }
    return precedesInNode(g, a, seqA, b, seqB);
}

bool FaceBoxTreeOrder::precedesInNode(std::size_t g, const FaceBox& a, std::uint64_t seqA,
                                      const FaceBox& b, std::uint64_t seqB) const {
    const std::uint64_t first = generations[g].firstSequence;
    const bool newA = seqA >= first, newB = seqB >= first;
    if (newA && newB)
        return seqA < seqB;
    if (newA != newB)
        return newB; // the boxes placed again when the region grew come first
    // Both were there when the region grew: they keep the earlier region's order.
    return g > 0 && precedesInTree(g - 1, a, seqA, b, seqB);
}
