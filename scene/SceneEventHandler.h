#pragma once

#include <string>

class SceneObj;
class Viewpoint;

/// Receives the events a scene sends to whatever shows it (a document or a view).
/// The scene root delivers them; see `SceneRoot::setEventHandler`.
class SceneEventHandler {
public:
    virtual ~SceneEventHandler() = default;

    /// Something in the scene changed and should be drawn again.
    virtual void onRedrawRequest() = 0;
    /// Move the camera to `obj`; `vp`, when valid, is relative to the object's centre.
    virtual void onFocusRequest(SceneObj* obj, const Viewpoint& vp) = 0;
    /// `obj` became the selection (null: nothing is selected).
    virtual void onSelect(SceneObj* obj) = 0;
    /// `obj` must no longer be selected (it is going away). True when it was deselected.
    virtual bool onDeselectRequest(SceneObj* obj) = 0;
    /// Capture the scene into `path` at the given size; true on success. An empty path
    /// ends a running capture series.
    virtual bool onCaptureRequest(const std::string& path, int width, int height,
                                  bool selectedOnly) = 0;
};
