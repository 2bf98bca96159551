#include "vorn/app/render/GLLitProgram.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLShaderProgram>

namespace {

// No fragment shader: fixed-function fragment processing takes the colour as it would
// from fixed-function lighting, flat shading included. Colours are clamped as
// fixed-function lighting clamps them, before they are interpolated.
const char* const kVertexSource = R"(
uniform vec3 towardsLight;
void main() {
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    float facing = dot(gl_Normal, towardsLight);
    gl_FrontColor = vec4(min(gl_Color.rgb * (0.2 + max(facing, 0.0)), 1.0), gl_Color.a);
#ifdef TWO_SIDED
    gl_BackColor = vec4(min(gl_Color.rgb * (0.2 + max(-facing, 0.0)), 1.0), gl_Color.a);
#endif
}
)";

} // namespace

struct GLLitProgram::Variant {
    QOpenGLShaderProgram program;
    int light = -1;
    /// The light direction last set, so that rebinding the same frame's program sets none.
    float lastLight[3] = {0, 0, 0};
};

GLLitProgram::GLLitProgram() = default;
GLLitProgram::~GLLitProgram() {
    // A program outliving its context is freed with the context.
    reset();
}

bool GLLitProgram::bind(bool twoSided, const float towardsLight[3]) {
    if (m_failed || !QOpenGLContext::currentContext())
        return false;
    std::unique_ptr<Variant>& variant = m_variants[twoSided ? 1 : 0];
    if (!variant) {
        variant = std::make_unique<Variant>();
        const QByteArray source =
            QByteArray("#version 120\n") + (twoSided ? "#define TWO_SIDED\n" : "") + kVertexSource;
        if (!variant->program.addShaderFromSourceCode(QOpenGLShader::Vertex, source) ||
            !variant->program.link()) {
            variant.reset();
            m_failed = true;
            return false;
        }
        variant->light = variant->program.uniformLocation("towardsLight");
    }
    const int index = twoSided ? 1 : 0;
    if (m_bound != index) {
        if (!variant->program.bind())
            return false;
        m_bound = index;
    }
    float* last = variant->lastLight;
    if (last[0] != towardsLight[0] || last[1] != towardsLight[1] || last[2] != towardsLight[2]) {
        variant->program.setUniformValue(variant->light, towardsLight[0], towardsLight[1],
                                         towardsLight[2]);
        for (int i = 0; i < 3; ++i)
            last[i] = towardsLight[i];
    }
    return true;
}

void GLLitProgram::release() {
    if (m_bound < 0)
        return;
    if (QOpenGLContext* context = QOpenGLContext::currentContext())
        context->functions()->glUseProgram(0);
    m_bound = -1;
}

void GLLitProgram::reset() {
    // Deleting a QOpenGLShaderProgram frees its GL object in its own context when that is
    // still alive, and leaves it to the context otherwise.
    for (std::unique_ptr<Variant>& variant : m_variants)
        variant.reset();
    m_failed = false;
    m_bound = -1;
}
