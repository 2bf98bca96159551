#pragma once

#include "common/FlatPointerMap.h"
#include "sorvex/M3d.h"

class PolyMesh;
class Vertex;

/// Discrete curvature of a mesh's vertices, computed once and then looked up.
///
/// - Angle deficit: 2*pi minus the sum of the face angles at the vertex (the
///   integrated Gaussian curvature; positive at convex corners, zero where the
///   surface is flat or developable, negative at saddles). Boundary vertices
///   use the same formula.
/// - Curvature: the angle deficit divided by the vertex's share of the
///   surrounding area (each incident face gives its area divided by its side
///   count), i.e. the discrete Gaussian curvature density; 1 on a finely
///   tessellated unit sphere. 0 where that area is 0.
/// - Curvature flow: a discrete gradient of the curvature field, pointing
///   from the vertex towards more curved neighbours:
///   sum over edge neighbours u of (K(u) - K(v)) * (u - v) / |u - v|^2,
///   projected onto the tangent plane (normal: area-weighted face normals).
class CurvatureArmature {
public:
    struct VertexCurvature {
        double angleDeficit = 0;
        double curvature = 0;
        Sorvex::M3d flow;
    };

    /// Recomputes the values of every vertex of `mesh`. O(faces x sides). Without
    /// `withFlow` the flows are left out (all zero until computeFlow), which spares a
    /// second pass over the mesh to callers that read only the curvatures.
    void compute(PolyMesh& mesh, bool withFlow = true);
    /// Computes the flows from the curvatures of the last compute over `mesh`, the
    /// same mesh unchanged since.
    void computeFlow(PolyMesh& mesh);
    /// Whether the flows were computed along with the curvatures.
    bool hasFlow() const { return m_hasFlow; }

    /// The values as of the last compute; 0 (and a zero flow) for a vertex
    /// that was not in the mesh then.
    double getCurvature(const Vertex* v) const;
    Sorvex::M3d getCurvatureFlow(const Vertex* v) const;
    double getAngleDeficit(const Vertex* v) const;
    std::size_t size() const { return m_values.size(); }

    /// 2*pi minus the sum of the face angles at `v` over its faces, computed
    /// now from the vertex's faces; 2*pi for a vertex without faces.
    static double AngleDeficit(const Vertex* v);
    /// The smallest angle deficit over the vertices of `mesh` that lie on at
    /// least one face; 0 when there is none.
    static double MinAngleDeficit(PolyMesh& mesh);
    /// Whether MinAngleDeficit(mesh) >= least, answered from fast angles with a bound on
    /// their error; only vertices the bound leaves open are measured with AngleDeficit.
    static bool AngleDeficitsAtLeast(PolyMesh& mesh, double least);

private:
    /// The values of a huge mesh's vertices, computed on two threads.
    void computeInHalves(const PolyMesh& mesh);
    /// Flat, so that a mesh of a million vertices costs two blocks, not a node each.
    FlatPointerMap<Vertex, VertexCurvature> m_values;
    bool m_hasFlow = false;
};
