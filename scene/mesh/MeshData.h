#pragma once

#include "sorvex/M3d.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

/// Counts that describe the surface a vertex and face list forms.
struct MeshTopology {
    int vertices = 0;
    int faces = 0;
    /// Distinct undirected edges.
    int edges = 0;
    /// Edges used by exactly one face.
    int boundaryEdges = 0;
    /// Edges used by more than two faces.
    int nonManifoldEdges = 0;
    /// At least one face, no boundary and no non-manifold edge.
    bool closed = false;
    /// vertices - edges + faces, counting every listed vertex.
    int eulerCharacteristic = 0;
};

/// Faces whose shape the layout cannot honour exactly.
struct MeshFaceShapes {
    /// Faces without area (collinear or coincident corners).
    int zeroArea = 0;
    /// Faces whose corners do not lie in one plane.
    int nonPlanar = 0;
};

/// A plain description of a polygon mesh: positions and faces as 0-based
/// vertex index rings (edge i runs from index i to index i+1). This is the
/// form meshes are checked in before they replace a live mesh.
struct MeshData {
    std::vector<Sorvex::M3d> vertices;
    std::vector<std::vector<int>> faces;

    /// The largest coordinate magnitude a usable mesh may have: the geometry multiplies
    /// up to about six coordinates together (squared areas, normalised cross products),
    /// and 1e50^6 is still far below the largest double (1.8e308).
    static constexpr double kLargestCoordinate = 1e50;

    /// True when the data describes a usable mesh: finite coordinates of at most
    /// `kLargestCoordinate`, faces of at least three distinct in-range indices, no
    /// edge used by more than two faces. On failure `error` names the first
    /// offending vertex, face or edge.
    bool validate(std::string& error) const;

    /// Edge and boundary counts. Faces with out-of-range indices are counted as
    /// faces, but their edges are ignored.
    MeshTopology topology() const;

    // Face shapes (MeshFaceShape.cpp)

    /// A face has no area when its area is at most this share of its longest side squared
    /// (1e-12: what rounding leaves of three corners on one line, far below any real face).
    static constexpr double kFlatFaceShare = 1e-12;
    /// A face is not planar when a corner lies farther than this share of its longest side
    /// from the plane through its first corner with its area normal (1e-6, the tolerance
    /// nets are laid out to).
    static constexpr double kPlanarShare = 1e-6;
    /// Counts the faces without area and the non-planar faces (faces with out-of-range
    /// indices are skipped).
    MeshFaceShapes faceShapes() const;

    // Connectivity (MeshConnectivity.cpp)

    /// Groups of faces joined across shared edges (0 for no faces).
    int countComponents() const;
    /// Vertices where faces meet in more than one fan (the surface pinches there).
    int countNonManifoldVertices() const;
};

/// A `MeshData` whose face rings lie one after another in a single index array, so a
/// loader fills a mesh of millions of faces without a heap block per face. Face f is
/// corners[faceStarts[f]] up to corners[faceStarts[f + 1]].
struct PackedMeshData {
    std::vector<Sorvex::M3d> vertices;
    std::vector<int> corners;
    /// One more entry than there are faces; starts with 0.
    std::vector<std::size_t> faceStarts{0};

    std::size_t faceCount() const { return faceStarts.size() - 1; }
    std::span<const int> face(std::size_t f) const {
        return std::span<const int>(corners).subspan(faceStarts[f],
                                                     faceStarts[f + 1] - faceStarts[f]);
    }
    /// Ends the face made of the corners appended since the last face ended.
    void endFace() { faceStarts.push_back(corners.size()); }
    /// Drops the corners appended since the last face ended.
    void dropOpenFace() { corners.resize(faceStarts.back()); }

    /// The same rules and messages as `MeshData::validate`.
    bool validate(std::string& error) const;

    static PackedMeshData pack(const MeshData& data);
    MeshData unpack() const;
};
