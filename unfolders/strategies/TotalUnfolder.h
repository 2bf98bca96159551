#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "unfolders/engine/Unfolder.h"
#include "unfolders/strategies/enumeration/CandidateBudget.h"

/// One step of an attachment order: `face` attached to its parent's face across its own
/// edge `edge` (-1 at the root, the starting face).
struct AttachmentNode {
    AttachmentNode* parent = nullptr;
    Poly* face = nullptr;
    int edge = -1;
    std::vector<std::unique_ptr<AttachmentNode>> children;
    /// The next child to visit.
    size_t nextChild = 0;
    /// The complete orders through this node.
    double leavesBelow = 0;
};

/// Tries every order in which faces can be attached to a growing net, with the overlap
/// check on, up to 10 moves per step. The orders form a tree built when the starting face
/// is chosen; each complete order (a leaf) is keyed by the spanning tree it makes, so the
/// number of distinct trees among the orders, and among the successful ones, is known.
/// By default every order is tried and the first successful net is shown at the end.
class TotalUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(TotalUnfolder)

    TotalUnfolder() = default;

    /// Up to 10 moves through the attachment tree (see the class comment).
    void unfold() override;
    /// Starts a paused search (returns this), or turns a running one into an animation.
    SceneObj* doDefaultAction() override;
    bool isDone() override { return current == nullptr; }
    /// Whether an order succeeded; for a refused run, whether the filled net is sound.
    bool isSuccesful() override;
    int getSuccessCount() override { return int(successCount); }
    /// Complete orders: the leaves of the attachment tree.
    int getNumUnfoldings() override { return int(leaves); }
    /// Distinct spanning trees among the complete orders.
    int getNumUnique() const { return int(allKeys.size()); }
    /// Distinct spanning trees among the successful orders.
    int getUniqueSuccessCount() const { return int(successKeys.size()); }
    const AttachmentNode* getTree() const { return root.get(); }
    bool isRunning() const { return running; }
    void setDisableTerminateOnSuccess(bool on) { disableTerminateOnSuccess = on; }
    float getProgress() override;
    void read(XML& xml) override;
    void write(XML& xml) override;
    void onDone() override;

    double getCandidateLimit() override { return budget.getLimit(); }
    /// A run refused before is prepared again under the new limit.
    void setCandidateLimit(double limit) override;
    double getCandidateEstimate() override { return budget.getEstimate().count; }
    std::string getRefusal() override { return budget.refusal(); }

    /// Complete orders a run may hold by default (the tree is kept in memory).
    static constexpr double DefaultCandidateLimit = 1e5;
    /// Moves per step.
    static constexpr int MovesPerStep = 10;

    /// The key of the spanning tree an order makes: for every face of the order in
    /// increasing source position, "%08X:" with that position, "[%08X]" for each face it
    /// is joined to, in increasing order, and a line break.
    std::string treeKey(const AttachmentNode& leaf) const;

protected:
    /// The base placement, then the attachment tree is built from `f`.
    Poly* setStartingFace(Poly* f) override;

private:
    using Frontier = std::vector<std::pair<Poly*, int>>;
    /// Builds the tree from the starting face; false (nothing kept) beyond the limit.
    void prepare();
    /// Builds the children of `node`; false when the leaves passed `maxLeaves`.
    bool buildNode(AttachmentNode& node, Frontier frontier, std::vector<char>& onPath,
                   double maxLeaves);
    /// Takes the net face of source face `f` out of the net, with its own corners.
    void removeFromNet(Poly* f);
    /// Lays the first successful order again.
    void restoreFirstSuccess();
    int positionOf(Poly* f) const;

    std::unique_ptr<AttachmentNode> root;
    AttachmentNode* current = nullptr;
    bool running = false;
    bool succeeded = false;
    bool disableTerminateOnSuccess = true;
    long successCount = 0;
    double leaves = 0;
    /// Complete orders tried or skipped so far.
    double leavesPassed = 0;
    /// The first successful order, root first.
    std::vector<std::pair<Poly*, int>> firstSuccess;
    std::map<std::string, int> allKeys;
    std::map<std::string, int> successKeys;
    std::map<Poly*, int> positions;
    Poly* startSource = nullptr;
    CandidateBudget budget{DefaultCandidateLimit, "attachment orders"};
};
