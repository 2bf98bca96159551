#pragma once

#include <string>

class Camera;
class SceneObj;
class SceneRoot;

/// Scene objects as clipboard text: the XML of one object, in an element named by its
/// class. Kept apart from the view so it runs without a display.
namespace SceneClipboard {

/// The text Copy puts on the clipboard for `obj`.
std::string copyText(SceneObj& obj);

/// Builds the object `text` describes and attaches it where it says it can be pasted
/// (`canPaste(root, selection)`), moved a little down and to the left as seen from
/// `camera` so it does not hide the original, and selects it. Returns the pasted object;
/// null, with nothing changed, for text that is not a scene object's XML, an object that
/// fails to read, or one that has nowhere to go.
SceneObj* paste(const std::string& text, SceneRoot& root, const Camera& camera);

} // namespace SceneClipboard
