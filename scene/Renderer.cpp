#include "scene/Renderer.h"

#include "scene/SceneObj.h"

Renderer::Renderer() = default;
Renderer::~Renderer() = default;

void Renderer::setLineWidth(double width) {
    m_lineWidth = width;
}
void Renderer::setTransparency(double alpha) {
    m_transparency = alpha;
}
void Renderer::setFlag(RenderFlag flag, bool on) {
    m_flags.set(static_cast<size_t>(flag), on);
}
void Renderer::setSelection(SceneObj* obj) {
    m_selection = obj;
}
void Renderer::beginObject(SceneObj* /*obj*/) {}
void Renderer::endObject(SceneObj* /*obj*/) {}

std::size_t Renderer::beginPart(SceneObj& /*obj*/, int /*part*/, std::uint64_t /*stamp*/,
                                std::size_t /*items*/) {
    return 0;
}

bool Renderer::recolourItem(std::size_t /*item*/, const RGBAColor* /*colors*/, int /*corners*/) {
    return false;
}

void Renderer::renderScene(SceneObj& obj) {
    renderObject(obj);
}

void Renderer::renderObject(SceneObj& obj) {
    const bool picking = isPicking();
    pushTransform(obj.getTransform());
    beginObject(&obj);
    obj.preRender(this);
    if (!picking || obj.isPickable()) {
        const double before = m_transparency;
        setTransparency(obj.getTransparency(this));
        if (obj.reusesDrawing()) {
            obj.refreshDrawingStamp();
            if (beginPart(obj, kWholeObjectPart, obj.getDrawingStamp(), 1) == 0)
                obj.renderSelf(this);
            endPart();
        } else {
            obj.renderSelf(this);
        }
        setTransparency(before);
    }
    endObject(&obj);
    if (!picking || obj.isFamilyPickable()) {
        // A copy: drawing code may queue changes, but must not change the tree directly.
        const std::vector<SceneObj*> children = obj.getChildren();
        for (SceneObj* child : children)
            renderObject(*child);
    }
    popTransform();
}

bool Renderer::oversight(SceneObj* /*obj*/) {
    setLastError("this renderer has no view to frame an object in");
    return false;
}

bool Renderer::render_png(SceneObj& /*root*/, const std::string& path) {
    setLastError("cannot write '" + path + "': this renderer does not write PNG files");
    return false;
}

bool Renderer::render_eps(SceneObj& /*root*/, const std::string& path,
                          Sorvex::MRect* /*sharedBox*/) {
    setLastError("cannot write '" + path + "': this renderer does not write EPS files");
    return false;
}

bool Renderer::render_pdf(SceneObj& /*root*/, const std::string& path) {
    setLastError("cannot write '" + path + "': this renderer does not write PDF files");
    return false;
}

bool Renderer::render_svg(SceneObj& /*root*/, const std::string& path) {
    setLastError("cannot write '" + path + "': this renderer does not write SVG files");
    return false;
}
