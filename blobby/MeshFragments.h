#pragma once

class PolyMesh;

/// Deletes every connected piece of `mesh` (faces joined across shared edges) whose total
/// area is below `minArea`, with the vertices only it used: the specks a polygoniser leaves
/// where the surface barely touches a cell. Closed pieces above the limit stay whole.
/// Returns the number of faces deleted.
int filterFragments(PolyMesh& mesh, double minArea);
