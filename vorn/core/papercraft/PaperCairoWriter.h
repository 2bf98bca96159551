#pragma once

#include "vorn/core/papercraft/PaperModel.h"

#include <string>
#include <vector>

struct PapercraftOptions;
typedef struct _cairo cairo_t;

/// Draws one page onto `cr`, whose user unit must be one millimetre with the origin at
/// the page's top left: faces lightly filled, tabs shaded with their outline cut, cut
/// lines solid, mountain and valley folds in the options' dash styles and colours, then
/// the numbers.
void DrawPaperPage(cairo_t* cr, const PaperPage& page, const PapercraftOptions& options);

/// Writes every page of `layout` into one PDF at true scale (1 mm = 72/25.4 points),
/// replacing `path` only when the whole file is written. False with `error` otherwise.
bool WritePapercraftPdf(const PaperLayout& layout, const PapercraftOptions& options,
                        const std::string& path, std::string& error);

/// Writes each page as a PNG of the options' resolution, one file a page (PaperPagePath),
/// appending the files written to `written`. False with `error` at the first failure.
bool WritePapercraftPngs(const PaperLayout& layout, const PapercraftOptions& options,
                         const std::string& path, std::vector<std::string>& written,
                         std::string& error);

/// One page drawn into an RGB image `widthPx` pixels wide (the preview of a dialog):
/// 4 bytes a pixel (Cairo's ARGB32, white background), `stride` bytes a row.
std::vector<unsigned char> RenderPaperPage(const PaperLayout& layout, int page,
                                           const PapercraftOptions& options, int widthPx,
                                           int& heightPx, int& stride);
