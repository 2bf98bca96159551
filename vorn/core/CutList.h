#pragma once

#include <string>
#include <utility>
#include <vector>

class PolyMesh;
class SceneObj;

/// An edge of a mesh named by the indices of its two vertices in the mesh's
/// vertex list (counted from 0, as in OFF files and stored documents).
using CutEdge = std::pair<int, int>;

/// Reads a cut list for `mesh` from the text file at `path`: one edge a line as
/// two whole numbers separated by blanks or a comma; blank lines and lines
/// starting with '#' are skipped. Every index must name a vertex of the mesh and
/// every pair an edge of one of its faces. False with one line of `error`
/// naming the file and the line when the file cannot be read or a line is wrong.
bool ReadCutList(const std::string& path, const PolyMesh& mesh, std::vector<CutEdge>& edges,
                 std::string& error);

/// Attaches a manual unfolder to `mesh` (replacing a strategy already there)
/// whose requested cuts are `edges`, laid out at once. The edges are handed over
/// in the unfolder's document element, so this works through the factory alone.
/// Null with `error` (the mesh as it was) when the manual unfolder is not
/// available or cannot be attached.
SceneObj* AttachManualCuts(PolyMesh& mesh, const std::vector<CutEdge>& edges,
                           std::string* error = nullptr);
