#pragma once

#include "scene/loaders/OffParser.h"

#include <string_view>

/// Checks a PLY header before the importer sees the file: the "ply" magic,
/// a known format line, only known header keywords and property types, an
/// "end_header" line, and element counts the rest of the file can hold
/// (every element takes at least one byte). Malformed headers otherwise make
/// the importer spin or allocate without bound. False with the line and
/// reason when the header cannot be right.
bool CheckPlyHeader(std::string_view bytes, MeshParseError& error);
