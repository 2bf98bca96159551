#include "vorn/core/papercraft/PaperSvgWriter.h"

#include "vorn/core/papercraft/PaperPagePath.h"
#include "vorn/core/papercraft/PapercraftOptions.h"

#include "common/AtomicFile.h"

#include <cmath>
#include <cstdio>

namespace {

std::string num(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", std::fabs(v) < 5e-4 ? 0.0 : v);
    return buffer;
}

std::string point(const Sorvex::M2d& p) { return num(p.x()) + "," + num(p.y()); }

const char* dashArray(FoldLineStyle style) {
    switch (style) {
    case FoldLineStyle::Solid:
        return "none";
    case FoldLineStyle::Dash:
        return "3,1.5";
    case FoldLineStyle::DashDot:
        return "3,1,0.4,1";
    case FoldLineStyle::Dot:
        return "0.4,1";
    }
    return "none";
}

std::string escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}

void openLayer(std::string& svg, const char* name) {
    svg += std::string("  <g id=\"") + name + "\" inkscape:groupmode=\"layer\" inkscape:label=\"" +
           name + "\"";
}

void linesLayer(std::string& svg, const PaperPage& page, PaperLineKind kind, const char* name,
                const char* colour, const char* dash, double width) {
    openLayer(svg, name);
    svg += ">\n";
    std::string d;
    for (const PaperPiece& piece : page.pieces)
        for (const PaperLine& line : piece.lines)
            if (line.kind == kind)
                d += "M" + point(line.a) + "L" + point(line.b);
    if (!d.empty())
        svg += std::string("    <path fill=\"none\" stroke=\"") + colour + "\" stroke-width=\"" +
               num(width) + "\" stroke-dasharray=\"" + dash + "\" d=\"" + d + "\"/>\n";
    svg += "  </g>\n";
}

} // namespace

std::string PaperPageSvg(const PaperLayout& layout, int pageIndex,
                         const PapercraftOptions& options) {
    const PaperPage& page = layout.pages[size_t(pageIndex)];
    const std::string w = num(layout.pageWidthMm), h = num(layout.pageHeightMm);
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" "
                      "xmlns:inkscape=\"http://www.inkscape.org/namespaces/inkscape\" "
                      "width=\"" +
                      w + "mm\" height=\"" + h + "mm\" viewBox=\"0 0 " + w + " " + h + "\">\n";
    linesLayer(svg, page, PaperLineKind::Cut, "cut", "#000000", "none", options.lineWidthMm);
    linesLayer(svg, page, PaperLineKind::Mountain, "mountain", "#bf261a",
               dashArray(options.mountainStyle), options.lineWidthMm);
    linesLayer(svg, page, PaperLineKind::Valley, "valley", "#1a59bf",
               dashArray(options.valleyStyle), options.lineWidthMm);
    openLayer(svg, "tabs");
    svg += " fill=\"#dcdcd6\" stroke=\"#000000\" stroke-width=\"" + num(options.lineWidthMm) +
           "\">\n";
    for (const PaperPiece& piece : page.pieces) {
        for (const GlueTab& tab : piece.tabs) {
            // Open at the base: the base is the fold under the tab, in "mountain".
            svg += "    <path d=\"M" + point(tab.corners.front());
            for (size_t i = 1; i < tab.corners.size(); ++i)
                svg += "L" + point(tab.corners[i]);
            svg += "\"/>\n";
        }
    }
    svg += "  </g>\n";
    openLayer(svg, "text");
    svg += " font-family=\"DejaVu Sans, sans-serif\" text-anchor=\"middle\" fill=\"#4d4d4d\">\n";
    for (const PaperPiece& piece : page.pieces) {
        for (const PaperLabel& label : piece.labels) {
            if (!(label.size > 0.0))
                continue;
            svg += "    <text x=\"" + num(label.position.x()) + "\" y=\"" +
                   num(label.position.y()) + "\" font-size=\"" + num(label.size / 0.73) +
                   "\" transform=\"rotate(" + num(label.angle * 180.0 / M_PI) + " " +
                   num(label.position.x()) + " " + num(label.position.y()) + ")\">" +
                   escape(label.text) + "</text>\n";
        }
    }
    svg += "  </g>\n</svg>\n";
    return svg;
}

bool WritePapercraftSvgs(const PaperLayout& layout, const PapercraftOptions& options,
                         const std::string& path, std::vector<std::string>& written,
                         std::string& error) {
    const int pages = int(layout.pages.size());
    std::vector<std::string> texts;
    for (int p = 0; p < pages; ++p)
        texts.push_back(PaperPageSvg(layout, p, options));
    for (int p = 0; p < pages; ++p) {
        const std::string file = PaperPagePath(path, p, pages);
        if (!WriteFileAtomically(file, texts[size_t(p)], &error, FileSync::Quick))
            return false;
        written.push_back(file);
    }
    return true;
}
