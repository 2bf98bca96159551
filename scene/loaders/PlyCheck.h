#pragma once

#include "scene/loaders/OffParser.h"

#include <string_view>

/// Checks the structure of a PLY file before the importer sees it: the "ply"
/// magic, a known format line, only known header keywords and property types,
/// an "end_header" line, and a body that holds exactly the rows the header
/// announces (ASCII: one row per line, numbers only, list lengths matching;
/// binary: every list length fits in the bytes that are left). The importer
/// would otherwise spin or allocate without bound on some malformed files.
/// False with the line (0 in binary data) and the reason.
bool CheckPlyFile(std::string_view bytes, MeshParseError& error);
