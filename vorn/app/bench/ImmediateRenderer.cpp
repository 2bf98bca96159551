#include "vorn/app/bench/ImmediateRenderer.h"

#include <GL/gl.h>

void ImmediateRenderer::begin(unsigned int mode, bool lit) {
    end();
    if (lit)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);
    glBegin(mode);
    m_open = true;
}

void ImmediateRenderer::beginLines() {
    begin(GL_LINES, false);
}

void ImmediateRenderer::beginLineLoop() {
    begin(GL_LINE_LOOP, false);
}

void ImmediateRenderer::beginTriangles() {
    begin(GL_TRIANGLES, getFlag(RenderFlag::Shading));
}

void ImmediateRenderer::beginPolygon() {
    begin(GL_POLYGON, getFlag(RenderFlag::Shading));
}

void ImmediateRenderer::vertex(const Sorvex::M3d& p) {
    glVertex3d(p.x(), p.y(), p.z());
}

void ImmediateRenderer::normal(const Sorvex::M3d& n) {
    glNormal3d(n.x(), n.y(), n.z());
}

void ImmediateRenderer::color(double r, double g, double b, double a) {
    glColor4d(r, g, b, a * getTransparency());
}

void ImmediateRenderer::end() {
    if (m_open)
        glEnd();
    m_open = false;
}

void ImmediateRenderer::pushTransform(const Sorvex::M4x4& m) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMultMatrixd(m.data());
}

void ImmediateRenderer::popTransform() {
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
