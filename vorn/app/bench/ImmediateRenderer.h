#pragma once

#include "scene/Renderer.h"

/// Sends every vertex to OpenGL as it is drawn (glBegin/glEnd under the matrix stack), the
/// way a view draws without vertex buffers; a yardstick for the buffered renderer. Expects
/// the frame set up by `GLRenderer::beginFrame`. Tubes, spheres and texts are left out.
class ImmediateRenderer : public Renderer {
public:
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
    void renderTube(const Sorvex::M3d&, const Sorvex::M3d&, double) override {}
    void renderSpline(const Sorvex::M3d&, const Sorvex::M3d&, const Sorvex::M3d&,
                      const Sorvex::M3d&, double) override {}
    void renderSphere(const Sorvex::M3d&, double) override {}
    void renderText(const Sorvex::M3d&, const std::string&) override {}

private:
    void begin(unsigned int mode, bool lit);

    bool m_open = false;
};
