#pragma once

#include <memory>
#include <vector>

#include "unfolders/engine/FaceBox.h"

class Poly;
class Renderer;

/// A node of the two-dimensional k-d tree over the net plane that indexes the
/// boxes of the net's faces, so that an overlap test only looks at faces whose
/// boxes reach the query's box.
///
/// The tree deepens lazily: every insertion that reaches a leaf splits it in
/// half along its axis, and a box is kept at the deepest node whose region
/// wholly contains it (a box straddling a split line stays above it). Boxes
/// outside the root's region must be brought in with `grow` first.
class FaceBSP {
public:
    /// Nodes no wider than this along their axis do not split.
    static constexpr double MinSplitWidth = 0.0001;
    /// Height offset of each level below its parent when the tree is drawn.
    static constexpr float DrawDepthStep = 0.2f;

    /// A fresh root: empty region, splitting on z, no boxes.
    FaceBSP();
    FaceBSP(double minX, double maxX, double minZ, double maxZ, bool splitOnX, float drawDepth);

    /// Stores a box at the deepest node whose region contains it.
    void insert(const FaceBox& box);
    /// Rebuilds the tree from this root with a region widened to take in
    /// `box`: on each side the box reaches beyond, the bound moves to the
    /// box's bound plus ten times the box's extent on that axis.
    void grow(const FaceBox& box);
    /// Whether the region wholly contains the box (bounds may touch).
    bool contains(const FaceBox& box) const;
    /// Removes the first box of `box.face` at the node that the box's extent
    /// leads to; false when it is not stored there.
    bool remove(const FaceBox& box);
    /// Whether a stored face overlaps the box's face (see FacesOverlap). With
    /// a list, every such face is appended: this node's boxes in order, then
    /// the low subtree, then the high one; without one the search stops at
    /// the first overlap.
    bool query(const FaceBox& box, std::vector<Poly*>* overlapping = nullptr) const;
    /// The first stored face, in the order `query` lists them, that overlaps
    /// the box's face; null when none does.
    Poly* findFirst(const FaceBox& box) const;
    /// Moves every region and stored box by (dx, dz).
    void shift(double dx, double dz);
    /// Draws the regions as lines, each level lowered by its draw depth.
    void draw(Renderer* renderer, double height) const;

    /// All stored boxes: this node's, then the low subtree's, then the high one's.
    void collectBoxes(std::vector<FaceBox>& out) const;
    size_t getBoxCount() const;

    double getMinX() const { return minX; }
    double getMaxX() const { return maxX; }
    double getMinZ() const { return minZ; }
    double getMaxZ() const { return maxZ; }
    bool getSplitOnX() const { return splitOnX; }
    float getDrawDepth() const { return drawDepth; }
    const FaceBSP* getLow() const { return low.get(); }
    const FaceBSP* getHigh() const { return high.get(); }
    const std::vector<FaceBox>& getBoxes() const { return boxes; }

private:
    void split();

    std::vector<FaceBox> boxes; // in insertion order
    std::unique_ptr<FaceBSP> low;
    std::unique_ptr<FaceBSP> high;
    double minX, maxX, minZ, maxZ;
    bool splitOnX;
    float drawDepth;
};
