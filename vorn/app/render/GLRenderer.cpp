#include "vorn/app/render/GLRenderer.h"

#include "scene/SceneObj.h"
#include "vorn/app/render/GLCoarseRun.h"
#include "vorn/app/render/GLViewVolume.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <algorithm>
#include <cmath>
#include <cstddef>

using Sorvex::M3d;
using Sorvex::M4x4;
using Primitive = GLBatchRecorder::Primitive;

namespace {

/// Where the light is, in eye coordinates (a direction: it moves with the camera). Above
/// and to the left of the eye: a light exactly at the eye shades every face turned to the
/// viewer alike, and a shape then reads as a flat silhouette.
constexpr float kLightInEye[4] = {-0.35f, 0.5f, 1.0f, 0.0f};

/// The camera's axes: to the right, up and the view direction, as the look-at uses them.
struct ViewAxes {
    M3d s, u, f;
};

ViewAxes viewAxes(const Camera& camera) {
    ViewAxes a;
    a.f = camera.getViewDirection();
    a.s.cross(a.f, camera.getUp());
    a.s.normalize();
    a.u.cross(a.s, a.f);
    return a;
}

void loadProjection(const Camera& camera) {
    const double aspect = double(camera.getWidth()) / double(camera.getHeight());
    const double dist = std::max(camera.getDistance(), 1e-6);
    const double zNear = GLViewVolume::nearPlane(camera);
    const double zFar = GLViewVolume::farPlane(camera);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double halfHeight = std::tan(GLViewVolume::kFovDegrees * M_PI / 360.0);
    if (camera.isOrthographic()) {
        const double h = halfHeight * dist;
        glOrtho(-h * aspect, h * aspect, -h, h, zNear, zFar);
    } else {
        const double h = halfHeight * zNear;
        glFrustum(-h * aspect, h * aspect, -h, h, zNear, zFar);
    }
}

void loadLookAt(const Camera& camera) {
    const auto [s, u, f] = viewAxes(camera);
    // Column-major: the rows of the rotation are s, u, -f.
    const double m[16] = {s.x(), u.x(), -f.x(), 0, s.y(), u.y(), -f.y(), 0,
                          s.z(), u.z(), -f.z(), 0, 0,     0,     0,      1};
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixd(m);
    const M3d& e = camera.getEye();
    glTranslated(-e.x(), -e.y(), -e.z());
}

/// Vertices of a huge batch sent between flushes (see drawVisibleSpans): a few parts for
/// a mesh of a million faces, none for ordinary ones.
constexpr int kFlushVertices = 1 << 18;

void drawGradient() {
    // A vertical gradient drawn in window space behind everything.
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBegin(GL_QUADS);
    glColor3d(0.05, 0.05, 0.15);
    glVertex2d(-1, -1);
    glVertex2d(1, -1);
    glColor3d(0.45, 0.5, 0.65);
    glVertex2d(1, 1);
    glVertex2d(-1, 1);
    glEnd();
}

} // namespace

GLRenderer::GLRenderer() {
    m_buffer.setUsagePattern(QOpenGLBuffer::StaticDraw);
    m_sharedBuffer.setUsagePattern(QOpenGLBuffer::DynamicDraw);
}

// The buffer object is released with its context when that is no longer current.
GLRenderer::~GLRenderer() = default;

void GLRenderer::beginFrame(const Camera& camera, bool shadedBackground) {
    m_camera = camera;
    m_texts.clear();
    if (QOpenGLContext* context = QOpenGLContext::currentContext()) {
        // A painter used on the same context may leave its shader program bound.
        context->functions()->glUseProgram(0);
    }
    glViewport(0, 0, camera.getWidth(), camera.getHeight());
    glClearColor(0.15f, 0.15f, 0.2f, 1.0f);
    // Depth and stencil usually share their words: clearing both writes them outright,
    // where clearing depth alone must read every word to keep its stencil.
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (shadedBackground)
        drawGradient();
    glEnable(GL_DEPTH_TEST);
    // The recorder stores unit world-space normals and the model-view matrix is a rigid
    // look-at, so normals arrive unit length: renormalising every vertex of a million-face
    // mesh on each frame would be wasted work.
    glDisable(GL_NORMALIZE);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // The light is set before the look-at transform so that it moves with the camera.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, kLightInEye);
    glEnable(GL_LIGHT0);
    loadProjection(camera);
    loadLookAt(camera);
    // The same direction in world space, unit length as fixed-function lighting makes it.
    const auto [s, u, f] = viewAxes(camera);
    M3d towards =
        s * double(kLightInEye[0]) + u * double(kLightInEye[1]) - f * double(kLightInEye[2]);
    towards.normalize();
    for (int i = 0; i < 3; ++i)
        m_towardsLight[i] = float(towards[i]);
    Renderer::setFlag(RenderFlag::Shading, true);
}

void GLRenderer::setBufferReuse(bool on) {
    m_reuse = on;
    m_valid = false;
    // Without reuse every frame is recorded whole, kept parts included.
    if (!on) {
        for (auto& [id, run] : m_keptRuns)
            run->restart();
        m_shownWhileRecording.clear();
    }
}

void GLRenderer::setIndexedDrawing(bool on) {
    if (on == m_indexed)
        return;
    m_indexed = on;
    m_valid = false;
}

void GLRenderer::followCurrentContext() {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (m_bufferContext != context) {
        // Buffers belong to the context they were made in.
        dropKeptRuns();
        m_litProgram.reset();
        m_buffer.destroy();
        m_bufferBytes = 0;
        m_bufferContext = context;
        m_valid = false;
    }
}

void GLRenderer::prepareScene(SceneObj& root) {
    followCurrentContext();
    // Without reuse every frame records the scene again, once.
    const bool kept = m_reuse ? m_valid : m_preparedForDraw;
    if (kept && m_recordedRoot == &root)
        return;
    // Objects draw lit faces under shading, as beginFrame sets it; this may come first.
    Renderer::setFlag(RenderFlag::Shading, true);
    recordScene(root);
    m_recordedRoot = &root;
    m_valid = true;
    m_preparedForDraw = true;
}

void GLRenderer::drawScene(SceneObj& root) {
    prepareScene(root);
    m_preparedForDraw = false;
    m_drewStandIn = false;
    drawList(m_cameraMoving ? movingDraws() : m_draws);
    projectTexts();
}

const std::vector<GLRenderer::Draw>& GLRenderer::movingDraws() {
    m_movingDraws.clear();
    GLRun* prepared = nullptr;
    bool standing = false;
    for (const Draw& draw : m_draws) {
        if (draw.run && draw.run != prepared) {
            prepared = draw.run;
            standing = draw.run->coarse().prepare(*draw.run, m_camera,
                                                  m_indexed && provokeByFirstVertex(false));
        }
        const GLBatch* standIn =
            draw.run && standing ? draw.run->coarse().standInFor(draw.batchIndex) : nullptr;
        if (!standIn) {
            m_movingDraws.push_back(draw);
            continue;
        }
        m_drewStandIn = true;
        if (standIn->count == 0)
            continue; // every face of the batch is under a pixel or two
        GLRun& coarse = draw.run->coarse().drawing();
        m_movingDraws.push_back(
            {&coarse.ownBuffer(), *standIn, coarse.ownIndexBuffer(), &coarse.faceClusters()});
    }
    return m_movingDraws;
}

void GLRenderer::drawWith(const std::function<void(Renderer&)>& draw) {
    m_drawing.restart();
    m_active = &m_drawing;
    draw(*this);
    m_drawing.recorder.end();
    m_active = nullptr;
    ++m_recordCount;
    upload();
    // The scene must be recorded again before it is drawn; its kept runs stay valid.
    m_recordedRoot = nullptr;
    m_valid = false;
    m_runs.assign(1, &m_drawing);
    m_draws.clear();
    if (m_uploadedVertices > 0)
        for (const GLBatch& batch : m_drawing.recorder.getBatches())
            if (batch.first + batch.count <= m_uploadedVertices)
                m_draws.push_back({&m_buffer, batch});
    drawList(m_draws);
    projectTexts();
}

void GLRenderer::upload() {
    m_uploadedVertices = 0;
    if (!QOpenGLContext::currentContext())
        return;
    followCurrentContext();
    if (!m_buffer.isCreated()) {
        m_bufferBytes = 0;
        if (!m_buffer.create())
            return;
    }
    const auto& vertices = m_drawing.recorder.getVertices();
    const qint64 bytes = qint64(vertices.size() * sizeof(GLVertex));
    m_buffer.bind();
    if (bytes > m_bufferBytes || bytes < m_bufferBytes / 4) {
        m_bufferBytes = bytes + bytes / 4;
        m_buffer.allocate(int(m_bufferBytes));
    }
    m_buffer.write(0, vertices.data(), int(bytes));
    m_buffer.release();
    m_uploadedVertices = int(vertices.size());
}

bool GLRenderer::mayCull(const GLBatch& batch) const {
    if (!batch.closedSurface || !batch.opaque)
        return false;
    // The near plane cuts this close in front of the eye: nearer than that, the clipped
    // surface would open a view inside.
    const double nearPlane = std::max(m_camera.getDistance(), 1e-6) / 1000.0;
    const M3d& eye = m_camera.getEye();
    for (int i = 0; i < 3; ++i)
        if (eye[i] < batch.lo[i] - nearPlane || eye[i] > batch.hi[i] + nearPlane)
            return true;
    return false;
}

bool GLRenderer::provokeByFirstVertex(bool first) {
    using ProvokingVertex = void(QOPENGLF_APIENTRYP)(GLenum);
    QOpenGLContext* context = QOpenGLContext::currentContext();
    const auto provokingVertex =
        context ? reinterpret_cast<ProvokingVertex>(context->getProcAddress("glProvokingVertex"))
                : nullptr;
    if (!provokingVertex)
        return false;
    provokingVertex(first ? GL_FIRST_VERTEX_CONVENTION : GL_LAST_VERTEX_CONVENTION);
    return true;
}

void GLRenderer::drawList(const std::vector<Draw>& draws) {
    if (draws.empty() || m_bufferContext != QOpenGLContext::currentContext())
        return;
    // Batches drawn through a flat index take each primitive's colour from its first
    // corner; the others look the same either way (flat ones have corners alike).
    provokeByFirstVertex(true);
    constexpr GLsizei stride = sizeof(GLVertex);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    QOpenGLBuffer* bound = nullptr;
    QOpenGLBuffer* boundIndices = nullptr;
    for (const Draw& draw : draws) {
        const GLBatch& batch = draw.batch;
        if (draw.buffer != bound) {
            if (!draw.buffer->bind())
                continue;
            bound = draw.buffer;
            glVertexPointer(3, GL_FLOAT, stride,
                            reinterpret_cast<void*>(offsetof(GLVertex, position)));
            glNormalPointer(GL_BYTE, stride, reinterpret_cast<void*>(offsetof(GLVertex, normal)));
            glColorPointer(4, GL_UNSIGNED_BYTE, stride,
                           reinterpret_cast<void*>(offsetof(GLVertex, color)));
        }
        // Blending reads the frame back for every fragment: only see-through batches pay.
        if (batch.opaque)
            glDisable(GL_BLEND);
        else
            glEnable(GL_BLEND);
        // Back sides that cannot be seen are neither rasterised nor lit.
        const bool cull = batch.kind == GLBatch::Kind::Triangles && mayCull(batch);
        // A mirror turns the winding round: the side the normals point to stays the front,
        // so that it is lit as the front and not as a back side.
        glFrontFace(batch.mirrored ? GL_CW : GL_CCW);
        // Lighting a vertex depends only on its normal and colour: where a primitive's
        // corners share both, they come out alike and need not be interpolated.
        glShadeModel(batch.uniform ? GL_FLAT : GL_SMOOTH);
        if (cull) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
        } else {
            glDisable(GL_CULL_FACE);
        }
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, cull ? GL_FALSE : GL_TRUE);
        // Lit by the lean program where the context builds it, else by fixed-function
        // lighting; unlit batches by neither.
        const bool programLit = batch.lit && m_litProgram.bind(!cull, m_towardsLight);
        if (!programLit)
            m_litProgram.release();
        if (batch.lit && !programLit)
            glEnable(GL_LIGHTING);
        else
            glDisable(GL_LIGHTING);
        if (programLit && !cull)
            glEnable(GL_VERTEX_PROGRAM_TWO_SIDE);
        else
            glDisable(GL_VERTEX_PROGRAM_TWO_SIDE);
        if (batch.kind == GLBatch::Kind::Lines) {
            float width = batch.lineWidth;
            if (batch.tubeRadius > 0.0) {
                // Pixel width of the tube's diameter at the batch's depth; at least one.
                const ScreenPoint p = m_camera.project(batch.anchor);
                const double pixel = m_camera.pixelSizeAt(std::max(p.depth, 1e-9));
                width = float(std::clamp(2.0 * batch.tubeRadius / pixel, 1.0, 16.0));
            }
            glLineWidth(std::max(width, 1.0f));
        }
        const GLenum mode = batch.kind == GLBatch::Kind::Lines ? GL_LINES : GL_TRIANGLES;
        // The flat index holds for a batch only while it is drawn flat; one recoloured to
        // mixed corners is drawn from its vertices as they are.
        if (draw.indices && batch.uniform && batch.count > 0) {
            if (draw.indices != boundIndices) {
                if (!draw.indices->bind()) {
                    glDrawArrays(mode, batch.first, batch.count);
                    continue;
                }
                boundIndices = draw.indices;
            }
            if (!drawVisibleSpans(draw, mode, true, cull))
                glDrawRangeElements(
                    mode, GLuint(batch.first), GLuint(batch.first + batch.count - 1), batch.count,
                    GL_UNSIGNED_INT,
                    reinterpret_cast<void*>(std::size_t(batch.first) * sizeof(GLuint)));
        } else if (!drawVisibleSpans(draw, mode, false, cull)) {
            glDrawArrays(mode, batch.first, batch.count);
        }
    }
    // Painting that follows (texts, the recording mark) may draw from client memory.
    if (boundIndices)
        boundIndices->release();
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    if (bound)
        bound->release();
    m_litProgram.release();
    glDisable(GL_VERTEX_PROGRAM_TWO_SIDE);
    provokeByFirstVertex(false);
    glLineWidth(1.0f);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glEnable(GL_BLEND);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
}

bool GLRenderer::drawVisibleSpans(const Draw& draw, GLenum mode, bool indexed, bool cull) {
    if (!draw.clusters || draw.clusters->clusters().empty())
        return false;
    using MultiDrawArrays = void(QOPENGLF_APIENTRYP)(GLenum, const GLint*, const GLsizei*, GLsizei);
    using MultiDrawElements =
        void(QOPENGLF_APIENTRYP)(GLenum, const GLsizei*, GLenum, const void* const*, GLsizei);
    QOpenGLContext* context = QOpenGLContext::currentContext();
    const auto multiDrawArrays =
        reinterpret_cast<MultiDrawArrays>(context->getProcAddress("glMultiDrawArrays"));
    const auto multiDrawElements =
        reinterpret_cast<MultiDrawElements>(context->getProcAddress("glMultiDrawElements"));
    if (!multiDrawArrays || !multiDrawElements)
        return false;
    GLFaceClusters::Eye eye;
    if (m_camera.isOrthographic()) {
        // Every face is seen along the view direction.
        M3d towards = m_camera.getViewDirection() * -1.0;
        towards.normalize();
        eye.parallel = true;
        for (int i = 0; i < 3; ++i)
            eye.at[i] = towards[i];
    } else {
        for (int i = 0; i < 3; ++i)
            eye.at[i] = m_camera.getEye()[i];
    }
    const GLBatch& batch = draw.batch;
    m_spanFirsts.clear();
    m_spanCounts.clear();
    const GLViewVolume volume(m_camera);
    // A batch wholly in view (the usual case) tests its clusters for their sides alone.
    const GLViewVolume* partlyInView = volume.holds(batch.lo, batch.hi) ? nullptr : &volume;
    if (!draw.clusters->visibleSpans(batch.first, batch.count, cull ? &eye : nullptr,
                                     batch.mirrored, partlyInView, m_spanFirsts, m_spanCounts))
        return false;
    const auto spans = GLsizei(m_spanFirsts.size());
    if (spans == 0)
        return true; // every face turns its back to the eye
    if (indexed) {
        m_spanOffsets.clear();
        for (const int first : m_spanFirsts)
            m_spanOffsets.push_back(
                reinterpret_cast<const void*>(std::size_t(first) * sizeof(GLuint)));
    }
    // A huge batch is sent in parts, each handed on with glFlush: a software renderer's
    // threads rasterise one part while the next one's vertices are shaded and set up,
    // where otherwise they would wait for the whole batch.
    GLsizei from = 0;
    int vertices = 0;
    for (GLsizei i = 0; i < spans; ++i) {
        vertices += m_spanCounts[std::size_t(i)];
        if (i + 1 < spans && vertices < kFlushVertices)
            continue;
        if (indexed)
            multiDrawElements(mode, m_spanCounts.data() + from, GL_UNSIGNED_INT,
                              m_spanOffsets.data() + from, i + 1 - from);
        else
            multiDrawArrays(mode, m_spanFirsts.data() + from, m_spanCounts.data() + from,
                            i + 1 - from);
        if (i + 1 < spans)
            glFlush();
        from = i + 1;
        vertices = 0;
    }
    return true;
}

void GLRenderer::projectTexts() {
    for (const GLRun* run : m_runs)
        for (const GLText& text : run->recorder.getTexts()) {
            const ScreenPoint p = m_camera.project(text.at);
            if (p.depth > 0.0)
                m_texts.push_back({p.x, p.y, text.text, text.color});
        }
}

void GLRenderer::begin(Primitive primitive, bool lit) {
    const bool faces = primitive == Primitive::Triangles || primitive == Primitive::Polygon;
    openFrameRun();
    rec().begin(primitive, lit, float(std::max(getLineWidth(), 1.0)),
                faces && getFlag(RenderFlag::ClosedSurface));
}

void GLRenderer::beginLines() {
    begin(Primitive::Lines, false);
}

void GLRenderer::beginLineLoop() {
    begin(Primitive::LineLoop, false);
}

void GLRenderer::beginTriangles() {
    begin(Primitive::Triangles, getFlag(RenderFlag::Shading));
}

void GLRenderer::beginPolygon() {
    begin(Primitive::Polygon, getFlag(RenderFlag::Shading));
}

void GLRenderer::vertex(const M3d& p) {
    rec().vertex(p);
}

bool GLRenderer::getSceneBounds(M3d& lo, M3d& hi) const {
    if (m_sceneBox.isEmpty())
        return false;
    lo = m_sceneBox.lo;
    hi = m_sceneBox.hi;
    return true;
}

void GLRenderer::beginObject(SceneObj* obj) {
    Renderer::beginObject(obj);
    // Children are drawn after their parent's endObject: each object asks for itself.
    bool inSelection = false;
    for (SceneObj* o = obj; o && getSelection(); o = o->getParent())
        if (o == getSelection()) {
            inSelection = true;
            break;
        }
    // A run of per-frame drawing is bounded as a whole: it must not mix the two.
    if (inSelection != m_inSelection)
        closeFrameRun();
    m_inSelection = inSelection;
}

void GLRenderer::endObject(SceneObj* obj) {
    if (m_inSelection)
        closeFrameRun();
    m_inSelection = false;
    Renderer::endObject(obj);
}

void GLRenderer::recordSelectionOutline() {
    if (m_selectionBox.isEmpty())
        return;
    // A box a little larger than what the selection drew, in a colour no object uses for
    // itself, so that something selected never looks like nothing selected.
    const M3d margin = (m_selectionBox.hi - m_selectionBox.lo) * 0.02 + M3d(1e-3, 1e-3, 1e-3);
    const M3d lo = m_selectionBox.lo - margin;
    const M3d hi = m_selectionBox.hi + margin;
    const double width = getLineWidth();
    setLineWidth(2.0);
    beginLines();
    color(1.0, 0.85, 0.1);
    GLBatchRecorder& recorder = rec();
    auto corner = [&](int i) {
        return M3d(i & 1 ? hi.x() : lo.x(), i & 2 ? hi.y() : lo.y(), i & 4 ? hi.z() : lo.z());
    };
    for (int i = 0; i < 8; ++i)
        for (int bit : {1, 2, 4})
            if (!(i & bit)) {
                recorder.vertex(corner(i));
                recorder.vertex(corner(i | bit));
            }
    end();
    setLineWidth(width);
}

void GLRenderer::Box::add(const M3d& p) {
    if (empty) {
        lo = hi = p;
        empty = false;
        return;
    }
    lo = M3d(std::min(lo.x(), p.x()), std::min(lo.y(), p.y()), std::min(lo.z(), p.z()));
    hi = M3d(std::max(hi.x(), p.x()), std::max(hi.y(), p.y()), std::max(hi.z(), p.z()));
}

void GLRenderer::normal(const M3d& n) {
    rec().normal(n);
}

void GLRenderer::color(double r, double g, double b, double a) {
    m_color = {r, g, b, a * getTransparency()};
    rec().color(m_color);
}

void GLRenderer::end() {
    rec().end();
}

void GLRenderer::pushTransform(const M4x4& m) {
    rec().pushTransform(m);
}

void GLRenderer::popTransform() {
    rec().popTransform();
}

void GLRenderer::renderTube(const M3d& a, const M3d& b, double radius) {
    openFrameRun();
    rec().tube(a, b, radius);
}

void GLRenderer::renderSpline(const M3d& a, const M3d& ta, const M3d& b, const M3d& tb,
                              double radius) {
    constexpr int kSegments = 24;
    const M3d c1 = a + ta;
    const M3d c2 = b + tb;
    M3d previous = a;
    for (int i = 1; i <= kSegments; ++i) {
        const double t = double(i) / kSegments;
        const double s = 1.0 - t;
        const M3d p =
            a * (s * s * s) + c1 * (3 * s * s * t) + c2 * (3 * s * t * t) + b * (t * t * t);
        renderTube(previous, p, radius);
        previous = p;
    }
}

void GLRenderer::renderSphere(const M3d& centre, double radius) {
    constexpr int kStacks = 10;
    constexpr int kSlices = 16;
    begin(Primitive::Triangles, getFlag(RenderFlag::Shading));
    GLBatchRecorder& recorder = rec();
    auto corner = [&](double phi, double theta) {
        const M3d n(std::cos(phi) * std::cos(theta), std::sin(phi),
                    std::cos(phi) * std::sin(theta));
        recorder.normal(n);
        recorder.vertex(centre + n * radius);
    };
    for (int i = 0; i < kStacks; ++i) {
        const double phi0 = M_PI * i / kStacks - M_PI / 2;
        const double phi1 = M_PI * (i + 1) / kStacks - M_PI / 2;
        for (int j = 0; j < kSlices; ++j) {
            const double theta0 = 2 * M_PI * j / kSlices;
            const double theta1 = 2 * M_PI * (j + 1) / kSlices;
            corner(phi0, theta0);
            corner(phi1, theta0);
            corner(phi1, theta1);
            corner(phi0, theta0);
            corner(phi1, theta1);
            corner(phi0, theta1);
        }
    }
    recorder.end();
}

void GLRenderer::renderText(const M3d& at, const std::string& text) {
    openFrameRun();
    rec().text(at, text);
}

void GLRenderer::setLineWidth(double width) {
    end();
    Renderer::setLineWidth(width);
}

void GLRenderer::setSelection(SceneObj* obj) {
    if (obj != getSelection())
        m_valid = false;
    Renderer::setSelection(obj);
}
