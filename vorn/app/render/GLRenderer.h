#pragma once

#include "scene/Renderer.h"
#include "scene/render/Camera.h"
#include "vorn/app/render/GLBatchRecorder.h"

#include <QOpenGLBuffer>
#include <QPointer>

#include <functional>
#include <string>
#include <vector>

class QOpenGLContext;

/// Draws the scene into the current OpenGL context (compatibility profile). What the
/// objects draw is recorded into world-space vertex arrays (see `GLBatchRecorder`),
/// uploaded into a vertex buffer and drawn with one call per batch. Tubes and spline tubes
/// are lines of the tube's screen width, spheres small lit meshes. Texts are projected on
/// every frame and kept for the host to paint on top (OpenGL has no text of its own).
///
/// With buffer reuse on, the recording is kept across frames until `invalidate`, a new
/// root, a new selection or a new context: a host that turns reuse on must call
/// `invalidate` whenever the scene asks to be redrawn, and may then move the camera at the
/// cost of drawing the buffers alone.
class GLRenderer : public Renderer {
public:
    struct ScreenText {
        double x = 0.0;
        double y = 0.0;
        std::string text;
        RGBAColor color;
    };

    GLRenderer();
    ~GLRenderer() override;

    /// Sets projection and model-view from `camera`, clears the buffers (plain background,
    /// or a vertical gradient when `shadedBackground`) and forgets last frame's texts.
    void beginFrame(const Camera& camera, bool shadedBackground);
    /// Draws `root` and its children, from the kept buffers when they are still valid.
    void drawScene(SceneObj& root);
    /// Draws whatever `draw` renders through this renderer (recorded afresh every call).
    void drawWith(const std::function<void(Renderer&)>& draw);
    const std::vector<ScreenText>& getTexts() const { return m_texts; }
    /// The world-space bounds of the vertices the last recording of the scene drew; false
    /// when it drew none.
    bool getSceneBounds(Sorvex::M3d& lo, Sorvex::M3d& hi) const;

    /// Keep recorded buffers across frames (off: every frame records the scene again).
    void setBufferReuse(bool on);
    bool reusesBuffers() const { return m_reuse; }
    /// The scene's drawing changed: the next `drawScene` records it again.
    void invalidate() { m_valid = false; }
    /// How many times the scene has been recorded.
    int getRecordCount() const { return m_recordCount; }
    const GLBatchRecorder& getRecording() const { return m_recorder; }

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
    /// Faces are lit on both sides (two-sided lighting), so no reversed copies are needed.
    bool showsBackSides() const override { return true; }
    /// A different selection is drawn differently, so it invalidates the kept buffers.
    /// The selection (and what is drawn under it) is outlined by a box around what it drew.
    void setSelection(SceneObj* obj) override;
    void beginObject(SceneObj* obj) override;
    void endObject(SceneObj* obj) override;

private:
    void begin(GLBatchRecorder::Primitive primitive, bool lit);
    void record(const std::function<void()>& draw);
    /// Copies the recording into the vertex buffer of the current context.
    void upload();
    void drawBatches();
    /// Whether the back sides of a closed batch's faces may be skipped: only when the eye is
    /// outside the batch's box, as the inside of a closed mesh shows only back sides.
    bool mayCull(const GLBatch& batch) const;
    void projectTexts();
    void recordSelectionOutline();

    /// The world-space bounds of what the selection drew.
    struct Box {
        Sorvex::M3d lo, hi;
        bool empty = true;
        void add(const Sorvex::M3d& p);
        void clear() { empty = true; }
        bool isEmpty() const { return empty; }
    };

    Camera m_camera;
    GLBatchRecorder m_recorder;
    QOpenGLBuffer m_buffer{QOpenGLBuffer::VertexBuffer};
    QPointer<QOpenGLContext> m_bufferContext;
    int m_uploadedVertices = 0;
    /// Bytes of storage the vertex buffer has (at least what was uploaded).
    qint64 m_bufferBytes = 0;
    const SceneObj* m_recordedRoot = nullptr;
    bool m_reuse = false;
    bool m_valid = false;
    int m_recordCount = 0;
    RGBAColor m_color;
    std::vector<ScreenText> m_texts;
    Box m_selectionBox;
    Box m_sceneBox;
    bool m_inSelection = false;
    bool m_inScene = false; // recording the scene (not a drawWith drawing)
};
