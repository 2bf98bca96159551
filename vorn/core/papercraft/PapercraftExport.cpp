#include "vorn/core/papercraft/PapercraftExport.h"

#include "vorn/core/papercraft/EdgeNumbering.h"
#include "vorn/core/papercraft/GlueTabs.h"
#include "vorn/core/papercraft/PagePacker.h"
#include "vorn/core/papercraft/PaperCairoWriter.h"
#include "vorn/core/papercraft/PaperSurface.h"
#include "vorn/core/papercraft/PaperSvgWriter.h"
#include "vorn/core/papercraft/PapercraftOptions.h"
#include "vorn/core/papercraft/PieceDrawing.h"
#include "vorn/core/papercraft/PieceSplitter.h"

#include "unfolders/engine/Unfolder.h"
#include "vorn/core/AttachStrategy.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <unordered_map>

namespace {

std::string extensionOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string ext = path.substr(dot);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

} // namespace

Unfolder* PapercraftNetOf(SceneObj* selection, PolyMesh* targetMesh, std::string& error) {
    SceneObj* chosen = selection;
    if (!chosen || !IsUnfoldingStrategy(chosen))
        chosen = targetMesh ? AttachedStrategy(*targetMesh) : nullptr;
    if (!chosen) {
        error = "Attach a strategy to the model first (Unfolding > Unfold With)";
        return nullptr;
    }
    // Every strategy's factory is listed under "Unfolder", so the object is one.
    auto* unfolder = static_cast<Unfolder*>(chosen);
    if (!unfolder->isDone()) {
        error = "The strategy is still unfolding; export its papercraft when it is done";
        return nullptr;
    }
    return unfolder;
}

std::vector<std::pair<int, int>> NetFoldEdges(Unfolder& unfolder) {
    std::vector<std::pair<int, int>> edges;
    PolyMesh* source = unfolder.getSource();
    if (!source)
        return edges;
    std::unordered_map<const Poly*, int> index;
    for (const Poly* p : source->getPolys())
        index.emplace(p, int(index.size()));
    Graph<Poly*> net;
    unfolder.getNet(net);
    for (const auto& [f, folded] : net) {
        const auto a = index.find(f);
        if (a == index.end())
            continue;
        for (Poly* g : folded) {
            const auto b = index.find(g);
            if (b != index.end() && a->second < b->second)
                edges.emplace_back(a->second, b->second);
        }
    }
    return edges;
}

double PaperScale(const PaperSurface& surface, const PapercraftOptions& options) {
    switch (options.size) {
    case PapercraftOptions::Size::Height:
        return surface.height > 0.0 ? options.sizeValue / surface.height : 0.0;
    case PapercraftOptions::Size::LongestEdge:
        return surface.longestEdge > 0.0 ? options.sizeValue / surface.longestEdge : 0.0;
    case PapercraftOptions::Size::MmPerUnit:
        return options.sizeValue;
    }
    return 0.0;
}

bool BuildPapercraft(const PaperSurface& surface, const PapercraftOptions& options,
                     PaperLayout& layout, std::string& error) {
    if (!CheckPapercraftOptions(options, error))
        return false;
    const double scale = PaperScale(surface, options);
    if (!(scale > 0.0) || !std::isfinite(scale) ||
        !std::isfinite(scale * std::max(surface.longestEdge, surface.height))) {
        error = options.size == PapercraftOptions::Size::Height
                    ? "the model has no height to scale by; give the size in mm per unit"
                    : "the model has no size to scale by";
        return false;
    }
    // Pieces are kept to the printable area, less room for tabs on either side.
    const double room = options.tabs ? 2.0 * options.tabHeightMm : 0.0;
    PieceLimit limit;
    limit.width = (options.pageWidthMm - 2.0 * options.marginMm - room) / scale;
    limit.height = (options.pageHeightMm - 2.0 * options.marginMm - room) / scale;
    const FlatPieces flat = SplitIntoPieces(surface, limit, NarrowestTabSlit(options));
    const auto numbers = NumberCutEdges(surface, flat);
    std::vector<PaperPiece> pieces = DrawPieces(surface, flat, numbers, options, scale);
    PaperLayout result;
    result.mmPerUnit = scale;
    for (const PaperPiece& piece : pieces)
        for (const PaperLabel& label : piece.labels)
            result.smallLabelCount += label.size < kLegibleLabelMm;
    if (options.tabs) {
        const double tolerance = std::max(1e-6, FlatTolerance(surface) * scale);
        result.tabCount = PlaceGlueTabs(pieces, numbers, options, tolerance, result.warnings);
    }
    if (!PackPages(std::move(pieces), options, scale, result, error))
        return false;
    layout = std::move(result);
    return true;
}

bool BuildPapercraftFromNet(Unfolder& unfolder, const PapercraftOptions& options,
                            PaperLayout& layout, std::string& error) {
    PolyMesh* source = unfolder.getSource();
    if (!source) {
        error = "the strategy is not attached to a mesh";
        return false;
    }
    if (!unfolder.isDone()) {
        error = "the strategy has not finished its net yet";
        return false;
    }
    PaperSurface surface;
    if (!surface.build(*source, error))
        return false;
    surface.setFolds(NetFoldEdges(unfolder));
    return BuildPapercraft(surface, options, layout, error);
}

bool IsPapercraftOutput(const std::string& path) {
    const std::string ext = extensionOf(path);
    return ext == ".pdf" || ext == ".svg" || ext == ".png";
}

bool WritePapercraft(const PaperLayout& layout, const PapercraftOptions& options,
                     const std::string& path, std::vector<std::string>& written,
                     std::string& error) {
    const std::string ext = extensionOf(path);
    if (layout.pages.empty()) {
        error = "there is nothing to print";
        return false;
    }
    if (ext == ".pdf") {
        if (!WritePapercraftPdf(layout, options, path, error))
            return false;
        written.push_back(path);
        return true;
    }
    if (ext == ".svg")
        return WritePapercraftSvgs(layout, options, path, written, error);
    if (ext == ".png")
        return WritePapercraftPngs(layout, options, path, written, error);
    error = "papercraft is written as .pdf, .svg or .png, not '" + path + "'";
    return false;
}
