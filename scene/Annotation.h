#pragma once

#include "scene/TextLabel.h"

/// A note the user places in a scene: a small marker ball with its text beside it. A new
/// note reads "Annotation"; the text is edited in its settings panel and saved as "Text".
class Annotation : public TextLabel {
    VORN_DECLARE_FACTORY(Annotation)

    Annotation();

    void renderSelf(Renderer* r) override;
};
