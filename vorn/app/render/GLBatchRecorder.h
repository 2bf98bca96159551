#pragma once

#include "scene/Renderer.h"
#include "sorvex/M3d.h"
#include "sorvex/M4x4.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using PackedNormal = std::array<std::int8_t, 4>;

/// One vertex as OpenGL reads it from a buffer, 20 bytes: a software rasteriser reads every
/// byte of a million-face mesh on each frame, so normals and colours are packed.
struct GLVertex {
    float position[3];
    /// Unit normal as signed bytes, each component times 127 (the fourth is padding).
    PackedNormal normal;
    /// RGBA, 0 to 255.
    std::uint8_t color[4];

    /// The normal unpacked, as OpenGL reads it.
    Sorvex::M3d unpackNormal() const;
};

/// A run of vertices drawn with one call and one set of state.
struct GLBatch {
    enum class Kind { Triangles, Lines };
    Kind kind = Kind::Triangles;
    bool lit = false;
    /// Every vertex has alpha 1: drawn without blending.
    bool opaque = true;
    /// Faces of closed meshes (RenderFlag::ClosedSurface): from outside their box, back
    /// sides are hidden behind front sides and need not be drawn.
    bool closedSurface = false;
    /// Faces drawn under a mirroring transform: the side their normals point to turns
    /// clockwise on the screen.
    bool mirrored = false;
    /// Every primitive's vertices share one normal and one colour: drawn with flat
    /// shading, which gives the same picture with less work per fragment.
    bool uniform = true;
    /// Line width in pixels for plain lines.
    float lineWidth = 1.0f;
    /// Above zero for tubes drawn as lines: their pixel width follows this world radius at
    /// the depth of `anchor`, so it is worked out per frame.
    double tubeRadius = 0.0;
    /// Mean of the batch's points, in world coordinates.
    Sorvex::M3d anchor;
    /// World-space bounds of the batch's points.
    Sorvex::M3d lo, hi;
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

    /// Forgets everything recorded and resets the transform stack, colour and normal.
    void clear();

    /// Starts a primitive (ending an open one). `lit` and `lineWidth` are its state;
    /// `closedSurface` marks faces of a closed, outward-wound mesh.
    void begin(Primitive primitive, bool lit, float lineWidth, bool closedSurface = false);
    /// Position in the current transform's coordinates.
    void vertex(const Sorvex::M3d& p);
    void normal(const Sorvex::M3d& n);
    void color(const RGBAColor& c);
    /// Ends the open primitive; an incomplete triangle or line is dropped, as OpenGL would.
    void end();
    /// Records what the open primitive has so far and keeps it open, as if it were ended
    /// and begun again with the same state (so that an item's vertices end where it does).
    void flush();

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

    /// Continues from `other`'s transform stack, colour and normal, as drawing that follows
    /// it would (a run recorded apart from the drawing before it).
    void takeStateFrom(const GLBatchRecorder& other);
    /// The transform stack, base first.
    const std::vector<Sorvex::M4x4>& transformStack() const { return m_stack; }
    /// Continues under `stack` (as transformStack gave it) instead of the current stack.
    void setTransformStack(const std::vector<Sorvex::M4x4>& stack);
    const RGBAColor& currentColor() const { return m_color; }
    const Sorvex::M3d& currentNormal() const { return m_normal; }

    const std::vector<GLVertex>& getVertices() const { return m_vertices; }
    /// Makes room for `vertices` vertices in all, so that recording up to them moves none
    /// of those already recorded.
    void reserveVertices(std::size_t vertices) { m_vertices.reserve(vertices); }
    const std::vector<GLBatch>& getBatches() const { return m_batches; }
    /// Replaces everything recorded with `vertices` drawn as `batches`: a drawing made from
    /// another recording rather than recorded (see GLCoarseMesh).
    void assign(std::vector<GLVertex> vertices, std::vector<GLBatch> batches);
    const std::vector<GLText>& getTexts() const { return m_texts; }
    bool isEmpty() const { return m_batches.empty() && m_texts.empty(); }

    using PackedColor = std::array<std::uint8_t, 4>;
    /// `normal` made unit length and packed as GLVertex keeps it.
    static PackedNormal PackNormal(const Sorvex::M3d& normal);
    static PackedColor PackColor(const RGBAColor& c);

    /// Sets the colour of recorded vertex `index`; true when it changed.
    bool setVertexColor(int index, const PackedColor& c);
    /// The batch holding vertex `index` was recoloured: it now has a see-through vertex
    /// (`seeThrough`), or a primitive whose corners differ in colour (`mixed`).
    void markRecoloured(int index, bool seeThrough, bool mixed);

private:
    struct Pending {
        Sorvex::M3d position; // world coordinates
        PackedNormal normal;
        PackedColor color;
    };

    void appendVertex(const Pending& v);
    /// Whether vertices [first, end) of the open primitive share normal and colour.
    bool sameLook(size_t first, size_t end) const;
    /// The batch the next vertices go to: the last one when its state matches.
    void useBatch(GLBatch::Kind kind, bool lit, float lineWidth, double tubeRadius,
                  bool closedSurface = false);
    void updateNormalMatrix();

    std::vector<GLVertex> m_vertices;
    std::vector<GLBatch> m_batches;
    std::vector<GLText> m_texts;
    /// Vertices of the open primitive, in world coordinates.
    std::vector<Pending> m_pending;
    /// Scratch for splitting a polygon into triangles, kept to spare an allocation a face.
    std::vector<Sorvex::M3d> m_corners;
    std::vector<int> m_triangles;
    std::vector<Sorvex::M4x4> m_stack{Sorvex::M4x4()};
    /// Maps model normals to world normals (the cofactor of the upper 3x3).
    double m_normalMatrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    Sorvex::M3d m_normal{0, 0, 1};
    /// m_normal in world space, packed; stale after a new normal or transform.
    PackedNormal m_packedNormal{0, 0, 127, 0};
    bool m_normalStale = true;
    RGBAColor m_color;
    PackedColor m_packedColor{255, 255, 255, 255};
    Primitive m_primitive = Primitive::Triangles;
    bool m_open = false;
    bool m_lit = false;
    bool m_closedSurface = false;
    /// The current transform mirrors (negative determinant).
    bool m_mirrored = false;
    float m_lineWidth = 1.0f;
    /// Sum of the current batch's points, for its anchor.
    Sorvex::M3d m_anchorSum;
};
