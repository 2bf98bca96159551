#include "scene/SceneObj.h"
#include "scene/SceneRoot.h"

#include <algorithm>
#include <vector>

namespace {

// Requests in arrival order. Per thread, because each batch worker owns its own objects.
thread_local std::vector<SceneObj*> t_pendingDeletes;
thread_local std::vector<SceneObj*> t_pendingSelects;

// Whether this thread has ever queued a request. The queues have destructors, which the C
// library registers on their first use, and that registration aborts the process when no
// memory is left; an object destroyed while unwinding from a failed allocation must not be
// the first to touch them. A plain flag needs no registration.
thread_local bool t_everQueued = false;

// Bounds how often selections may queue further work within one call.
constexpr int MaxRounds = 16;

SceneObj* popFront(std::vector<SceneObj*>& queue) {
    SceneObj* obj = queue.front();
    queue.erase(queue.begin());
    return obj;
}

} // namespace

void SceneObj::DelayedDelete(SceneObj* obj) {
    t_everQueued = true;
    if (obj &&
        std::find(t_pendingDeletes.begin(), t_pendingDeletes.end(), obj) == t_pendingDeletes.end())
        t_pendingDeletes.push_back(obj);
}

void SceneObj::DelayedSelect(SceneObj* obj) {
    t_everQueued = true;
    if (obj)
        t_pendingSelects.push_back(obj);
}

void SceneObj::ForgetDelayed(SceneObj* obj) {
    if (!t_everQueued)
        return;
    std::erase(t_pendingDeletes, obj);
    std::erase(t_pendingSelects, obj);
}

void SceneObj::ProcessDelayedOperations() {
    if (!t_everQueued)
        return;
    for (int round = 0; round < MaxRounds; ++round) {
        if (t_pendingDeletes.empty() && t_pendingSelects.empty())
            return;
        // Each deletion also removes the object's descendants from both queues (their
        // destructors do), so the next front is always a live object.
        while (!t_pendingDeletes.empty()) {
            SceneObj* obj = popFront(t_pendingDeletes);
            if (SceneRoot* root = obj->getRoot())
                root->deselect(obj);
            delete obj;
        }
        // Selections queued while these run wait for the next round.
        size_t count = t_pendingSelects.size();
        while (count-- > 0 && !t_pendingSelects.empty())
            popFront(t_pendingSelects)->delayedSelect();
    }
}

void SceneObj::Cleanup() {
    if (!t_everQueued)
        return;
    ProcessDelayedOperations();
    t_pendingDeletes.clear();
    t_pendingSelects.clear();
}
