#pragma once

class SceneObj;

/// Hears about changes of scene objects it registered with (`SceneObj::addChangeListener`).
/// A listener that is destroyed must first be removed from its targets; `SceneObj` and
/// `CSettingsDlg` do that themselves.
class ChangeListener {
public:
    virtual ~ChangeListener() = default;

    /// `target` changed; `structural` is true when its geometry or content changed (things
    /// derived from it must be rebuilt) and false for a change of display state only.
    virtual void onTargetChanged(SceneObj* target, bool structural) = 0;
};
