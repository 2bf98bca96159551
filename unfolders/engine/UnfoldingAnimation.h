#pragma once

#include <string>
#include <utility>
#include <vector>

#include "common/IdleLoop.h"
#include "scene/mesh/PolyMesh.h"
#include "sorvex/M4x4.h"

class Unfolder;

/// What each face of an animation carries under the user-data key "ua": where it came
/// from, its flat reference geometry and the hinged faces that fold from it.
///
/// The unfolder (and, when asked, its source mesh) is deleted right after conversion, so
/// the record keeps copies, not pointers into them: the flat net face's vertex positions
/// and the source face's position in the source's face list.
struct AnimationFace {
    /// Index of the source face (the twin of the copied net face) in the source mesh.
    int sourceIndex = -1;
    /// The net face's vertex positions, in ring order: the face at fold fraction 0.
    std::vector<Sorvex::M3d> reference;
    /// The net face's stored normal: (0, -1, 0) for every face laid in the net plane.
    Sorvex::M3d normal{0, -1, 0};
    /// The face this one hinges on, and the edge of this face it hinges on (-1 for a root).
    Poly* parent = nullptr;
    int parentEdge = -1;
    /// Per edge k: the child hinged on edge k of the reference face (or null) and its fold
    /// angle in radians. The angle is single precision, as the record defines it.
    std::vector<Poly*> children;
    std::vector<float> angles;

    Sorvex::M3d referenceCentre() const;
    Sorvex::M3d referenceNormal() const;
};

/// A finished net folding back into the closed model and opening again. Built from an
/// unfolder (`Unfolder::convertToAnimation`), it copies the net's faces into trees of
/// hinged faces, one per piece of the net, and on each idle tick while playing turns every
/// face about its hinge by the same fraction of its fold angle. At fraction 0 it shows the
/// flat net; at 1 every piece closes into its part of the model, resting on its root face.
///
/// Faces do not share vertices (each folds on its own), so neighbours are the hinges of
/// the trees (`hasNeighbor`). A capture set with `setScreenCap` receives one frame per
/// idle step through `onCapRequest` and ends with `pause()`.
///
/// Sources: UnfoldingAnimation.cpp (building, folding, drawing),
/// UnfoldingAnimationPlayback.cpp (playing, the idle step, captures).
class UnfoldingAnimation : public PolyMesh, public SystemIdleHandler {
    VORN_DECLARE_FACTORY(UnfoldingAnimation)

    /// An empty animation (what the factory builds): no faces, folds nothing.
    UnfoldingAnimation();
    /// Builds the face trees from `u`'s net. An unfolder without a root face gives an
    /// animation without faces.
    explicit UnfoldingAnimation(Unfolder* u);
    ~UnfoldingAnimation() override;
    UnfoldingAnimation(const UnfoldingAnimation&) = delete;
    UnfoldingAnimation& operator=(const UnfoldingAnimation&) = delete;

    // ----- Scene object and mesh operations -----

    /// The faces, then the arcs while `drawArcs` is on.
    void renderSelf(Renderer* r) override;
    SceneObj* doDefaultAction() override { return nullptr; }
    /// The mesh colour, halved while a capture runs.
    RGBAColor getColor() override;
    bool autoMergePolys() override { return false; }
    bool canUserUnfold() override { return false; }
    /// True when edge `edge` of `f` is a hinge: to its parent or to a child.
    bool hasNeighbor(Poly& f, int edge) override;

    // ----- Fold state -----

    float getTime() const { return time; }
    /// (1 - cos t) / 2, in single precision: 0 flat, 1 closed.
    static float getFoldPercent(float t);
    /// Sets the phase for fraction `p`, clamped to [0, 1]. The faces move at the next
    /// `flexFaces`.
    void setFoldPercent(float p);
    /// Folds every tree to fraction `p` of its fold angles. Virtual so that programs that
    /// load this library by name can fold an animation they were handed.
    virtual void flexFaces(float p);

    // ----- Playback -----

    /// Loops: 180 idle ticks per fold-and-open cycle.
    void play();
    /// One run of 91 idle ticks (182 degrees of phase) from the current phase.
    void playOnce();
    /// Stops playing and ends a running capture.
    void pause();
    bool isPlaying() const { return playing; }
    bool isPlayingOnce() const { return playingOnce; }
    int getFrame() const { return frame; }
    void onSystemIdle() override;
    void onSystemIdleCleanup() override {}

    // ----- Captures -----

    /// Starts (a non-empty `file`) or ends (an empty one) a capture: every idle step then
    /// asks the scene for one frame of `file` at `w` x `h` through `onCapRequest`.
    void setScreenCap(const std::string& file, int w, int h, bool flag);
    bool getScreenCap() const { return !captureFile.empty(); }
    const std::string& getCaptureFile() const { return captureFile; }
    /// Why the last capture stopped on its own, empty when it did not.
    const std::string& getCaptureFailure() const { return captureFailure; }

    // ----- Queries -----

    bool getSeveralPieces() const { return severalPieces; }
    bool getDrawArcs() const { return drawArcs; }
    void setDrawArcs(bool b) { drawArcs = b; }
    const std::string& getPanelTitle() const { return panelTitle; }
    std::string getRecommendedDialogName() const { return "CUnfoldingAnimationSettings"; }
    /// The roots of the trees with their recorded positions, in the order they were built.
    const std::vector<std::pair<Poly*, Sorvex::M3d>>& getRoots() const { return roots; }
    /// The record of face `f`, or null for a face of another mesh.
    static AnimationFace* GetRecord(const Poly* f);

    /// An arc drawn where a cut path ends: its centre and two ends, vertices of this mesh.
    struct Arc {
        Vertex* centre;
        Vertex* end1;
        Vertex* end2;
    };
    const std::vector<Arc>& getArcs() const { return arcs; }

private:
    struct Build;
    /// Copies net face `f` and, depth first, the faces hinged below it.
    Poly* buildTree(Poly* f, Build& build);
    /// Sets every face of the tree below `root` from its reference by the hinge chain.
    void foldTree(Poly* root, const Sorvex::M4x4& m, float p);
    void renderArc(Renderer* r, const Arc& arc);

    float time = 0;
    int frame = 0;
    /// In the order the trees were built (the net's root first, then the remaining pieces
    /// in the net's face order), so folding and its results never depend on addresses.
    std::vector<std::pair<Poly*, Sorvex::M3d>> roots;
    std::vector<Arc> arcs;
    bool drawArcs = false;
    bool playing = false;
    bool playingOnce = false;
    bool severalPieces = false;
    std::string panelTitle;
    std::string captureFile;
    int captureWidth = -1;
    int captureHeight = -1;
    bool captureFlag = false;
    std::string captureFailure;
};
