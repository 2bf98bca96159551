#pragma once

#include "scene/SceneObj.h"

#include <string>

/// A line of text in the scene, drawn at the object's origin facing the viewer; its
/// transform places and sizes it. Saved as "Text".
class TextLabel : public SceneObj {
    VORN_DECLARE_FACTORY(TextLabel)

    explicit TextLabel(std::string text = "");

    const std::string& getText() const { return m_text; }
    void setText(std::string text);

    void renderSelf(Renderer* r) override;
    /// Reads "Text" (default: the current text).
    void read(XML& xml) override;
    void write(XML& xml) override;

private:
    std::string m_text;
};
