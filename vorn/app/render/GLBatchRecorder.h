#pragma once

#include "scene/Renderer.h"
#include "sorvex/M3d.h"
#include "sorvex/M4x4.h"

#include <string>
#include <vector>

/// One vertex as OpenGL reads it from a buffer: interleaved floats.
struct GLVertex {
    float position[3];
    float normal[3];
    float color[4];
};

/// A run of vertices drawn with one call and one set of state.
struct GLBatch {
    enum class Kind { Triangles, Lines };
    Kind kind = Kind::Triangles;
    bool lit = false;
    /// Line width in pixels for plain lines.
    float lineWidth = 1.0f;
    /// Above zero for tubes drawn as lines: their pixel width follows this world radius at
    /// the depth of `anchor`, so it is worked out per frame.
    double tubeRadius = 0.0;
    /// Mean of the batch's points, in world coordinates.
    Sorvex::M3d anchor;
    int first = 0;
    int count = 0;
};

/// A text placed at a world point; projected anew on every frame.
struct GLText {
    Sorvex::M3d at;
    std::string text;
    RGBAColor color;
};

/// Turns immediate-mode drawing (begin, normal, colour, vertex, end under a transform stack)
/// into world-space vertex arrays and batches that can be uploaded once and drawn many
/// times: polygons are fanned into triangles, line loops into segments, and consecutive
/// primitives with the same state share a batch. Needs no OpenGL context.
class GLBatchRecorder {
public:
    enum class Primitive { Lines, LineLoop, Triangles, Polygon };

    /// Forgets everything recorded and resets the transform stack.
    void clear();

    /// Starts a primitive (ending an open one). `lit` and `lineWidth` are its state.
    void begin(Primitive primitive, bool lit, float lineWidth);
    /// Position in the current transform's coordinates.
    void vertex(const Sorvex::M3d& p);
    void normal(const Sorvex::M3d& n);
    void color(const RGBAColor& c);
    /// Ends the open primitive; an incomplete triangle or line is dropped, as OpenGL would.
    void end();

    /// A tube from `a` to `b`, drawn as a line whose width follows `radius`.
    void tube(const Sorvex::M3d& a, const Sorvex::M3d& b, double radius);
    void text(const Sorvex::M3d& at, const std::string& text);

    void pushTransform(const Sorvex::M4x4& m);
    /// Ignored when only the base transform is left.
    void popTransform();
    /// The current transform (model to world).
    const Sorvex::M4x4& transform() const { return m_stack.back(); }
    /// Maps a model point to world coordinates.
    Sorvex::M3d toWorld(const Sorvex::M3d& p) const { return m_stack.back() * p; }

    const std::vector<GLVertex>& getVertices() const { return m_vertices; }
    const std::vector<GLBatch>& getBatches() const { return m_batches; }
    const std::vector<GLText>& getTexts() const { return m_texts; }
    bool isEmpty() const { return m_batches.empty() && m_texts.empty(); }

private:
    struct Pending {
        Sorvex::M3d position;
        Sorvex::M3d normal;
        RGBAColor color;
    };

    void appendVertex(const Pending& v);
    /// The batch the next vertices go to: the last one when its state matches.
    void useBatch(GLBatch::Kind kind, bool lit, float lineWidth, double tubeRadius);
    void updateNormalMatrix();

    std::vector<GLVertex> m_vertices;
    std::vector<GLBatch> m_batches;
    std::vector<GLText> m_texts;
    /// Vertices of the open primitive, in world coordinates.
    std::vector<Pending> m_pending;
    std::vector<Sorvex::M4x4> m_stack{Sorvex::M4x4()};
    /// Maps model normals to world normals (the cofactor of the upper 3x3).
    double m_normalMatrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    Sorvex::M3d m_normal{0, 0, 1};
    RGBAColor m_color;
    Primitive m_primitive = Primitive::Triangles;
    bool m_open = false;
    bool m_lit = false;
    float m_lineWidth = 1.0f;
    /// Sum of the current batch's points, for its anchor.
    Sorvex::M3d m_anchorSum;
};
