#pragma once

class SceneObj;

/// Hears about changes of scene objects it registered with (`SceneObj::addChangeListener`).
/// A listener that is destroyed before its targets must first be removed from them;
/// `SceneObj` and the settings panels do that themselves.
class ChangeListener {
public:
    virtual ~ChangeListener() = default;

    /// `target` changed; `structural` is true when its geometry or content changed (things
    /// derived from it must be rebuilt) and false for a change of display state only.
    virtual void onTargetChanged(SceneObj* target, bool structural) = 0;
    /// `target` is being destroyed; the listener must not use it afterwards. The link is
    /// already gone when this is called.
    virtual void onTargetDestroyed(SceneObj* /*target*/) {}
};
