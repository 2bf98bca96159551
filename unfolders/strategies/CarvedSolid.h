#pragma once

#include "scene/mesh/PolyMesh.h"
#include "unfolders/strategies/TruncationUnfolder.h"

/// The solid the truncation strategy carves: a mesh of the strategy's own that passes its
/// truncation notifications on to it.
class CarvedSolid : public PolyMesh {
public:
    explicit CarvedSolid(TruncationUnfolder& owner) : owner(owner) {}
    void onEdgeTruncation(Vertex* a, Vertex* b, Vertex* created) override {
        owner.onEdgeTruncation(a, b, created);
    }
    void onFaceDestroyedInTruncation(Poly* face) override {
        owner.onFaceDestroyedInTruncation(face);
    }
    void onVertexDestroyedInTruncation(Vertex* v) override {
        owner.onVertexDestroyedInTruncation(v);
    }

private:
    TruncationUnfolder& owner;
};
