#pragma once

#include <memory>

class QOpenGLShaderProgram;

/// A lean vertex program for lit batches, drawing what GLRenderer's fixed-function
/// lighting draws: one directional light of full diffuse strength, the default scene
/// ambient of 0.2, the vertex colour as ambient and diffuse material, no specular light.
///
/// The recorder keeps normals in world space and the view is a rigid look-at, so the
/// light's direction is turned into world space once a frame and each vertex takes one dot
/// product, where fixed-function lighting transforms every normal and works out the terms
/// that are zero here. On a software renderer this is a good share of a huge mesh's frame.
class GLLitProgram {
public:
    GLLitProgram();
    ~GLLitProgram();

    /// Uses the program (current context), built on first use: `twoSided` also lights
    /// back sides, against the reversed normal, for GL_VERTEX_PROGRAM_TWO_SIDE. False when
    /// the context cannot build it: the caller lights with fixed-function lighting.
    bool bind(bool twoSided, const float towardsLight[3]);
    /// Back to fixed-function drawing.
    void release();
    /// Forgets the programs without deleting them (their context is gone or changed).
    void reset();

private:
    struct Variant;
    std::unique_ptr<Variant> m_variants[2];
    bool m_failed = false;
    /// The variant bound, or -1.
    int m_bound = -1;
};
