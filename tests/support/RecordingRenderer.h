#pragma once

#include "scene/Renderer.h"

#include <string>
#include <vector>

/// One call received by a `RecordingRenderer`.
struct RecordedCall {
    std::string name;         ///< the operation, e.g. "vertex", "pushTransform"
    std::vector<double> args; ///< its numeric arguments in order
    std::string text;         ///< its text argument ("renderText"), or the object's class
    Sorvex::M3d world;        ///< for "vertex": the point under the current transform stack
};

/// A renderer that draws nothing and keeps every call, for tests of drawing code.
class RecordingRenderer : public Renderer {
public:
    RecordingRenderer();

    void beginLines() override;
    void beginLineLoop() override;
    void beginTriangles() override;
    void beginPolygon() override;
    void vertex(const Sorvex::M3d& p) override;
    void normal(const Sorvex::M3d& n) override;
    void color(double r, double g, double b, double a = 1.0) override;
    using Renderer::color;
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
    void beginObject(SceneObj* obj) override;
    void endObject(SceneObj* obj) override;

    const std::vector<RecordedCall>& getCalls() const { return m_calls; }
    /// The names of the calls in order, one per line.
    std::string getCallNames() const;
    /// How many calls named `name` were made.
    size_t count(const std::string& name) const;
    /// The current product of the pushed transforms.
    const Sorvex::M4x4& getCurrentTransform() const { return m_stack.back(); }
    size_t getTransformDepth() const { return m_stack.size() - 1; }
    void clear();

private:
    RecordedCall& record(const char* name, std::initializer_list<double> args = {});

    std::vector<RecordedCall> m_calls;
    std::vector<Sorvex::M4x4> m_stack;
};
