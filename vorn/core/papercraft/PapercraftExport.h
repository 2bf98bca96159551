#pragma once

#include "vorn/core/papercraft/PaperModel.h"

#include <string>
#include <utility>
#include <vector>

class PolyMesh;
class SceneObj;
class Unfolder;
struct PaperSurface;
struct PapercraftOptions;

/// The net a papercraft export of a scene prints: `selection` when it is a strategy, else
/// the one attached to `targetMesh` (either may be null). Null with a one-line `error`
/// when there is none or it has not finished.
Unfolder* PapercraftNetOf(SceneObj* selection, PolyMesh* targetMesh, std::string& error);

/// The fold edges of the net `unfolder` holds, as pairs of face indices of its source
/// mesh (in the source's face order). Empty without a source.
std::vector<std::pair<int, int>> NetFoldEdges(Unfolder& unfolder);

/// Millimetres per model unit for the options' model size on `surface`; 0 when the
/// measure is zero (a flat model asked for by height).
double PaperScale(const PaperSurface& surface, const PapercraftOptions& options);

/// The whole papercraft layout of the net whose fold tree `surface` holds: split into
/// overlap-free pieces, drawn at the options' scale with fold styles and numbers, glue
/// tabs when asked for, packed onto pages. Pieces are kept small enough for the page. False
/// with a one-line `error`, and `layout` untouched, when the options are invalid, the scale
/// is zero or a single face (with its tabs) is larger than the page.
bool BuildPapercraft(const PaperSurface& surface, const PapercraftOptions& options,
                     PaperLayout& layout, std::string& error);

/// BuildPapercraft for the net of `unfolder` over its source mesh. The unfolder must be
/// done; faces it left unplaced become pieces of their own and are joined where they fit.
bool BuildPapercraftFromNet(Unfolder& unfolder, const PapercraftOptions& options,
                            PaperLayout& layout, std::string& error);

/// Writes `layout` by the extension of `path`: ".pdf" (one file, every page), ".svg" or
/// ".png" (one file a page). Appends the files written to `written`. False with `error`
/// for another extension or a failed write.
bool WritePapercraft(const PaperLayout& layout, const PapercraftOptions& options,
                     const std::string& path, std::vector<std::string>& written,
                     std::string& error);

/// True when `path` ends in an extension WritePapercraft writes.
bool IsPapercraftOutput(const std::string& path);
