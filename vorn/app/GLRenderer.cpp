#include "vorn/app/GLRenderer.h"

#include "scene/SceneObj.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

using Sorvex::M3d;
using Sorvex::M4x4;

namespace {

// Field of view shared with the scene library's camera so picks match the picture.
constexpr double kFovDegrees = 40.0;

void loadProjection(const Camera& camera) {
    const double aspect = double(camera.getWidth()) / double(camera.getHeight());
    const double dist = std::max(camera.getDistance(), 1e-6);
    const double zNear = dist / 1000.0;
    const double zFar = dist * 1000.0;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double halfHeight = std::tan(kFovDegrees * M_PI / 360.0);
    if (camera.isOrthographic()) {
        const double h = halfHeight * dist;
        glOrtho(-h * aspect, h * aspect, -h, h, -zFar, zFar);
    } else {
        const double h = halfHeight * zNear;
        glFrustum(-h * aspect, h * aspect, -h, h, zNear, zFar);
    }
}

void loadLookAt(const Camera& camera) {
    const M3d f = camera.getViewDirection();
    M3d s;
    s.cross(f, camera.getUp());
    s.normalize();
    M3d u;
    u.cross(s, f);
    // Column-major: the rows of the rotation are s, u, -f.
    const double m[16] = {s.x(), u.x(), -f.x(), 0, s.y(), u.y(), -f.y(), 0,
                          s.z(), u.z(), -f.z(), 0, 0,     0,     0,      1};
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixd(m);
    const M3d& e = camera.getEye();
    glTranslated(-e.x(), -e.y(), -e.z());
}

} // namespace

void GLRenderer::beginFrame(const Camera& camera, bool shadedBackground) {
    m_camera = camera;
    m_texts.clear();
    m_stack.assign(1, M4x4());
    glViewport(0, 0, camera.getWidth(), camera.getHeight());
    glClearColor(0.15f, 0.15f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (shadedBackground) {
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
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // The light sits at the eye: set it before the look-at transform.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float lightPos[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, lightPos);
    glEnable(GL_LIGHT0);
    loadProjection(camera);
    loadLookAt(camera);
    setFlag(RenderFlag::Shading, true);
}

void GLRenderer::drawScene(SceneObj& root) {
    renderScene(root);
}

void GLRenderer::begin(unsigned int mode) {
    if (m_inPrimitive)
        glEnd();
    glBegin(mode);
    m_inPrimitive = true;
}

void GLRenderer::beginLines() {
    end();
    glDisable(GL_LIGHTING);
    begin(GL_LINES);
}

void GLRenderer::beginLineLoop() {
    end();
    glDisable(GL_LIGHTING);
    begin(GL_LINE_LOOP);
}

void GLRenderer::beginTriangles() {
    end();
    if (getFlag(RenderFlag::Shading))
        glEnable(GL_LIGHTING);
    begin(GL_TRIANGLES);
}

void GLRenderer::beginPolygon() {
    end();
    if (getFlag(RenderFlag::Shading))
        glEnable(GL_LIGHTING);
    begin(GL_POLYGON);
}

void GLRenderer::vertex(const M3d& p) {
    glVertex3d(p.x(), p.y(), p.z());
}

void GLRenderer::normal(const M3d& n) {
    glNormal3d(n.x(), n.y(), n.z());
}

void GLRenderer::color(double r, double g, double b, double a) {
    m_color = {r, g, b, a * getTransparency()};
    glColor4d(m_color.r, m_color.g, m_color.b, m_color.a);
}

void GLRenderer::end() {
    if (m_inPrimitive)
        glEnd();
    m_inPrimitive = false;
}

void GLRenderer::pushTransform(const M4x4& m) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMultMatrixd(m.data());
    m_stack.push_back(m_stack.back() * m);
}

void GLRenderer::popTransform() {
    if (m_stack.size() <= 1)
        return;
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    m_stack.pop_back();
}

void GLRenderer::renderTube(const M3d& a, const M3d& b, double radius) {
    end();
    const ScreenPoint pa = m_camera.project(m_stack.back() * a);
    // Width in pixels of the tube's diameter where it starts; at least one pixel.
    const double pixel = m_camera.pixelSizeAt(std::max(pa.depth, 1e-9));
    glLineWidth(float(std::clamp(2.0 * radius / pixel, 1.0, 16.0)));
    beginLines();
    vertex(a);
    vertex(b);
    end();
    glLineWidth(float(getLineWidth()));
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
    end();
    if (getFlag(RenderFlag::Shading))
        glEnable(GL_LIGHTING);
    for (int i = 0; i < kStacks; ++i) {
        const double phi0 = M_PI * i / kStacks - M_PI / 2;
        const double phi1 = M_PI * (i + 1) / kStacks - M_PI / 2;
        begin(GL_QUAD_STRIP);
        for (int j = 0; j <= kSlices; ++j) {
            const double theta = 2 * M_PI * j / kSlices;
            for (double phi : {phi0, phi1}) {
                const M3d n(std::cos(phi) * std::cos(theta), std::sin(phi),
                            std::cos(phi) * std::sin(theta));
                normal(n);
                vertex(centre + n * radius);
            }
        }
        end();
    }
}

void GLRenderer::renderText(const M3d& at, const std::string& text) {
    const ScreenPoint p = m_camera.project(m_stack.back() * at);
    if (p.depth <= 0.0)
        return;
    m_texts.push_back({p.x, p.y, text, m_color});
}

void GLRenderer::setLineWidth(double width) {
    end();
    Renderer::setLineWidth(width);
    glLineWidth(float(std::max(width, 1.0)));
}

void GLRenderer::setFlag(RenderFlag flag, bool on) {
    Renderer::setFlag(flag, on);
    if (flag == RenderFlag::Shading && !on)
        glDisable(GL_LIGHTING);
}
