#pragma once

#include <string>

class Unfolder;

/// The first status text of an unfolder's panel: "Success", the progress
/// while unfolding, or the share of faces free of overlaps after a failure.
/// Recomputes the overlap graph first when it is stale.
std::string GetUnfolderResultText(Unfolder& u);

/// The second status text: net faces, source faces and their ratio.
std::string GetUnfolderCountText(Unfolder& u);
