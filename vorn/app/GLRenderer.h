#pragma once

#include "scene/Renderer.h"
#include "scene/render/Camera.h"
#include "sorvex/M4x4.h"

#include <string>
#include <vector>

/// Draws the scene into the current OpenGL context with compatibility-profile immediate
/// mode. Tubes and spline tubes are drawn as lines of the tube's screen width, spheres as
/// small lit meshes. Texts are projected and kept for the host to paint on top (OpenGL has
/// no text of its own).
class GLRenderer : public Renderer {
public:
    struct ScreenText {
        double x = 0.0;
        double y = 0.0;
        std::string text;
        RGBAColor color;
    };

    /// Sets projection and model-view from `camera`, clears the buffers (plain background,
    /// or a vertical gradient when `shadedBackground`) and forgets last frame's texts.
    void beginFrame(const Camera& camera, bool shadedBackground);
    /// Draws `root` and its children.
    void drawScene(SceneObj& root);
    const std::vector<ScreenText>& getTexts() const { return m_texts; }

    void beginLines() override;
    void beginLineLoop() override;
    void beginTriangles() override;
    void beginPolygon() override;
    void vertex(const Sorvex::M3d& p) override;
    void normal(const Sorvex::M3d& n) override;
    void color(double r, double g, double b, double a = 1.0) override;
    void end() override;
    void pushTransform(const Sorvex::M4x4& m) override;
    void popTransform() override;
    void renderTube(const Sorvex::M3d& a, const Sorvex::M3d& b, double radius) override;
    void renderSpline(const Sorvex::M3d& a, const Sorvex::M3d& ta, const Sorvex::M3d& b,
                      const Sorvex::M3d& tb, double radius) override;
    void renderSphere(const Sorvex::M3d& centre, double radius) override;
    void renderText(const Sorvex::M3d& at, const std::string& text) override;
    void setLineWidth(double width) override;
    void setFlag(RenderFlag flag, bool on) override;

private:
    void begin(unsigned int mode);

    Camera m_camera;
    std::vector<Sorvex::M4x4> m_stack{Sorvex::M4x4()};
    RGBAColor m_color;
    bool m_inPrimitive = false;
    std::vector<ScreenText> m_texts;
};
