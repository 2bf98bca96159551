#pragma once

#include "vorn/core/papercraft/PaperModel.h"

#include <string>
#include <vector>

struct PapercraftOptions;

/// One page as SVG text in millimetres (width, height and view box), with one group
/// (a layer, for cutting plotters and drawing programs) each for "cut", "mountain",
/// "valley", "tabs" and "text". Cut and fold lines are single paths per group; folds
/// carry the options' dash styles.
std::string PaperPageSvg(const PaperLayout& layout, int page, const PapercraftOptions& options);

/// Writes each page as an SVG file (PaperPagePath), appending the files written to
/// `written`. Every page is made before the first file is written. False with `error`.
bool WritePapercraftSvgs(const PaperLayout& layout, const PapercraftOptions& options,
                         const std::string& path, std::vector<std::string>& written,
                         std::string& error);
