#pragma once

#include "scene/Renderer.h"
#include "scene/render/Camera.h"
#include "vorn/app/render/GLBatchRecorder.h"
#include "vorn/app/render/GLLitProgram.h"
#include "vorn/app/render/GLRun.h"

#include <QElapsedTimer>
#include <QOpenGLBuffer>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
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
/// cost of drawing the buffers alone. The scene is then recorded in runs (`GLRun`): each
/// part an object draws through `beginPart` is kept with the key it was drawn under and
/// reused, appended to or recoloured while its stamp holds; everything else is recorded
/// again whenever the scene is. Large runs have vertex buffers of their own, so that a
/// frame copies to OpenGL only what changed.
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
    /// Records `root` now when the kept buffers no longer hold it, without drawing: a host
    /// may then read `getSceneBounds` and choose the frame's camera (`beginFrame`) before
    /// `drawScene` draws what was recorded. Needs the context current, as drawScene does.
    void prepareScene(SceneObj& root);
    /// Draws whatever `draw` renders through this renderer (recorded afresh every call).
    void drawWith(const std::function<void(Renderer&)>& draw);
    const std::vector<ScreenText>& getTexts() const { return m_texts; }
    /// The world-space bounds of the vertices the last recording of the scene drew; false
    /// when it drew none.
    bool getSceneBounds(Sorvex::M3d& lo, Sorvex::M3d& hi) const;

    /// Keep recorded buffers across frames (off: every frame records the scene again).
    void setBufferReuse(bool on);
    bool reusesBuffers() const { return m_reuse; }
    /// Keep the parts objects draw through `beginPart` between recordings (on by default;
    /// off: every recording draws everything afresh, which benchmarks compare against).
    void setKeepParts(bool on) { m_keepParts = on; }
    /// Draw flat-shaded batches of runs with buffers of their own through a flat index
    /// (see GLFlatIndex), shading each face about once (on by default; off: every corner is
    /// shaded, which tests and benchmarks compare against). The picture is the same.
    void setIndexedDrawing(bool on);
    bool drawsIndexed() const { return m_indexed; }
    /// Bounds the time a recording of the scene spends before kept parts stop drawing items
    /// (faces of a huge mesh appearing or of a net growing), in milliseconds; 0, the
    /// default, draws every item. Past it, each part still draws `itemsPastBudget` items
    /// (rounded up to 64), so that every part makes headway, and stops; the rest are drawn
    /// by later recordings, which the host asks for while `isCaughtUp` is false. Kept items
    /// recoloured count alike: past the budget their new colours wait for later recordings
    /// (the last complete colours stay on show), applied in the order they were given; a part
    /// still being drawn in steps takes new colours for its kept items once it is whole.
    void setRecordBudgetMs(double ms, std::size_t itemsPastBudget = 2048) {
        m_recordBudgetNs = qint64(ms * 1e6);
        m_itemsPastBudget = itemsPastBudget;
    }
    double getRecordBudgetMs() const { return double(m_recordBudgetNs) / 1e6; }
    /// While the camera moves (the user orbits, pans or zooms), meshes whose faces are a
    /// pixel or two on the screen are drawn from a coarser stand-in (see GLCoarseMesh) that
    /// sends a fraction of their triangles; the next frame after it stops draws every face.
    void setCameraMoving(bool on) { m_cameraMoving = on; }
    bool isCameraMoving() const { return m_cameraMoving; }
    /// Whether the last `drawScene` drew a coarser stand-in for some mesh.
    bool drewStandIn() const { return m_drewStandIn; }
    /// Whether the last recording drew every item of every part.
    bool isCaughtUp() const { return m_caughtUp; }
    /// How long the last recording of the scene took in all, in milliseconds: the items the
    /// budget bounds, and what it cannot stop (recolouring kept items, drawing that is not
    /// kept, copying to OpenGL).
    double getLastRecordMs() const { return m_lastRecordMs; }
    /// The scene's drawing changed: the next `drawScene` records it again.
    void invalidate() { m_valid = false; }
    /// How many times the scene has been recorded.
    int getRecordCount() const { return m_recordCount; }

    /// The last recording as one vertex array, batches merged as they are drawn.
    struct FlatRecording {
        std::vector<GLVertex> vertices;
        std::vector<GLBatch> batches;
        std::vector<GLText> texts;
        const std::vector<GLVertex>& getVertices() const { return vertices; }
        const std::vector<GLBatch>& getBatches() const { return batches; }
        bool isEmpty() const { return batches.empty() && texts.empty(); }
    };
    FlatRecording getRecording() const;
    /// Counts of what the last scene recording did with kept parts (for tests and figures).
    struct PartCounts {
        int reused = 0;
        int appended = 0;
        int recorded = 0;
        int recoloured = 0;
    };
    const PartCounts& getPartCounts() const { return m_partCounts; }

    std::size_t beginPart(SceneObj& obj, int part, std::uint64_t stamp,
                          std::size_t items) override;
    bool markItem() override;
    bool recoloursItems() const override;
    bool recolourItem(std::size_t item, const RGBAColor* colors, int corners) override;
    std::size_t restartPart() override;
    void endPart() override;

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
    /// A batch to draw and the buffer holding its vertices.
    struct Draw {
        QOpenGLBuffer* buffer = nullptr;
        GLBatch batch;
        /// The flat index of the batch's vertices, or null to draw them as they are.
        QOpenGLBuffer* indices = nullptr;
        /// Clusters of the buffer's closed surfaces, whose hidden ones are left out while
        /// back sides are culled; null to draw every face.
        const GLFaceClusters* clusters = nullptr;
        /// The run with a buffer of its own the batch belongs to, and the batch's index in
        /// it (for its coarser stand-in while the camera moves); null for shared buffers.
        GLRun* run = nullptr;
        int batchIndex = -1;
    };
    /// The frame's draws with the coarser stand-ins of huge meshes in place of their
    /// batches (see setCameraMoving).
    const std::vector<Draw>& movingDraws();

    void begin(GLBatchRecorder::Primitive primitive, bool lit);
    /// Where drawing goes now: the open part, the open run of per-frame drawing, or (while
    /// neither is open) the recorder that only follows transform, colour and normal.
    GLBatchRecorder& rec() { return m_active ? m_active->recorder : m_state; }
    /// Opens a run of per-frame drawing when none is open (before anything is recorded).
    void openFrameRun();
    /// Closes the open run of per-frame drawing, handing its state on.
    void closeFrameRun();
    void recordScene(SceneObj& root);
    /// Forgets every kept run (a new context, reuse turned off).
    void dropKeptRuns();
    /// Drops buffers and kept runs made in another context than the current one.
    void followCurrentContext();
    /// Places the frame's runs in vertex buffers, copies what changed and lists the draws.
    void layoutRuns();
    /// Copies the drawWith recording into the vertex buffer of the current context.
    void upload();
    void drawList(const std::vector<Draw>& draws);
    /// Draws `batch` in the stretches that its clusters outside the view, and with `cull`
    /// those turning their backs to the eye, leave (see GLFaceClusters), through the flat
    /// index when `indexed`; false when it is to be drawn whole.
    bool drawVisibleSpans(const Draw& draw, GLenum mode, bool indexed, bool cull);
    /// Sets which corner of a flat-shaded primitive gives its colour (the first, which the
    /// flat index is made for, or OpenGL's default, the last); false when the context
    /// cannot choose, and flat indices are then not used.
    bool provokeByFirstVertex(bool first);
    /// Whether the back sides of a closed batch's faces may be skipped: only when the eye is
    /// outside the batch's box, as the inside of a closed mesh shows only back sides.
    bool mayCull(const GLBatch& batch) const;
    void projectTexts();
    void recordSelectionOutline();
    /// Whether a part that has done `done` items (drawn or recoloured) now stops for the
    /// recording's budget: only past the share every part is given, on every 64th item.
    bool isPastBudget(std::size_t done) const;

    /// The world-space bounds of what the selection drew.
    struct Box {
        Sorvex::M3d lo, hi;
        bool empty = true;
        void add(const Sorvex::M3d& p);
        void clear() { empty = true; }
        bool isEmpty() const { return empty; }
    };

    Camera m_camera;
    /// The unit direction towards the light in world space, for the lit program.
    float m_towardsLight[3] = {0, 0, 1};
    /// Lights lit batches where the context builds it, in place of fixed-function lighting.
    GLLitProgram m_litProgram;
    /// The drawWith recording.
    GLRun m_drawing;
    /// Follows transform, colour and normal between runs; records nothing.
    GLBatchRecorder m_state;
    /// Kept runs by object and part. Objects are compared by address only together with
    /// their stamps, which are never reused, so a new object at an old address misses.
    struct RunIdHash {
        std::size_t operator()(const std::pair<const SceneObj*, int>& id) const {
            return std::hash<const void*>()(id.first) * 31u + std::size_t(id.second);
        }
    };
    using PartId = std::pair<const SceneObj*, int>;
    std::unordered_map<PartId, std::unique_ptr<GLRun>, RunIdHash> m_keptRuns;
    /// The complete drawings of parts whose new drawing is still being recorded (it
    /// stopped past the budget), drawn in their place until it is complete.
    std::unordered_map<PartId, std::unique_ptr<GLRun>, RunIdHash> m_shownWhileRecording;
    /// Parts whose last drawing stopped past the budget.
    std::unordered_set<PartId, RunIdHash> m_stoppedParts;
    /// The open part's object and part number.
    PartId m_partId;
    /// Runs of per-frame drawing, reused from frame to frame for their storage.
    std::vector<std::unique_ptr<GLRun>> m_framePool;
    std::size_t m_framePoolUsed = 0;
    /// This frame's runs in drawing order.
    std::vector<GLRun*> m_runs;
    GLRun* m_active = nullptr;
    /// The open part (also m_active), its first item to draw and vertex count at its start.
    GLRun* m_part = nullptr;
    std::size_t m_partItems = 0;
    int m_partVerticesBefore = 0;
    bool m_partFresh = false;
    /// The open part's vertices still to upload when it began (recolouring adds to them).
    std::pair<int, int> m_partDirtyBefore;
    /// The transform stack when the open part began, which drawing after it continues under.
    std::vector<Sorvex::M4x4> m_partStack;
    /// Parts begun while another was open, drawn into it.
    int m_innerParts = 0;
    /// The open part's first item drawn now, items drawn since, and whether it stopped.
    std::size_t m_partFrom = 0;
    std::size_t m_partDrawn = 0;
    bool m_partStopped = false;
    /// Kept items of the open part recoloured now, and whether further colours wait.
    std::size_t m_partRecoloured = 0;
    bool m_partDeferring = false;
    /// The open part stopped past the budget last time: its kept items are not recoloured.
    bool m_partCatchingUp = false;
    qint64 m_recordBudgetNs = 0;
    std::size_t m_itemsPastBudget = 2048;
    QElapsedTimer m_recordClock;
    bool m_caughtUp = true;
    double m_lastRecordMs = 0.0;
    PartCounts m_partCounts;
    /// The shared buffer of small runs, its vertices and the draws of the last layout.
    QOpenGLBuffer m_sharedBuffer{QOpenGLBuffer::VertexBuffer};
    qint64 m_sharedBytes = 0;
    std::vector<GLVertex> m_sharedVertices;
    std::vector<Draw> m_draws;
    /// The stretches of a batch drawn by drawVisibleSpans, reused from draw to draw.
    std::vector<int> m_spanFirsts;
    std::vector<int> m_spanCounts;
    std::vector<const void*> m_spanOffsets;
    QOpenGLBuffer m_buffer{QOpenGLBuffer::VertexBuffer};
    QPointer<QOpenGLContext> m_bufferContext;
    int m_uploadedVertices = 0;
    /// Bytes of storage the vertex buffer has (at least what was uploaded).
    qint64 m_bufferBytes = 0;
    const SceneObj* m_recordedRoot = nullptr;
    bool m_reuse = false;
    bool m_keepParts = true;
    bool m_indexed = true;
    bool m_cameraMoving = false;
    bool m_drewStandIn = false;
    std::vector<Draw> m_movingDraws;
    bool m_valid = false;
    /// Recorded by prepareScene for the drawScene to come.
    bool m_preparedForDraw = false;
    int m_recordCount = 0;
    RGBAColor m_color;
    std::vector<ScreenText> m_texts;
    Box m_selectionBox;
    Box m_sceneBox;
    bool m_inSelection = false;
    bool m_inScene = false; // recording the scene (not a drawWith drawing)
};
