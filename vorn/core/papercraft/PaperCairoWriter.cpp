#include "vorn/core/papercraft/PaperCairoWriter.h"

#include "vorn/core/papercraft/PaperPagePath.h"
#include "vorn/core/papercraft/PapercraftOptions.h"

#include "common/AtomicFile.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cmath>
#include <map>

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
/// The font's em size per letter height: digits of DejaVu Sans are 0.73 em tall.
constexpr double kEmPerLetterHeight = 1.0 / 0.73;

void setDash(cairo_t* cr, FoldLineStyle style) {
    static const double dash[] = {3.0, 1.5};
    static const double dashDot[] = {3.0, 1.0, 0.4, 1.0};
    static const double dot[] = {0.4, 1.0};
    switch (style) {
    case FoldLineStyle::Solid:
        cairo_set_dash(cr, nullptr, 0, 0.0);
        break;
    case FoldLineStyle::Dash:
        cairo_set_dash(cr, dash, 2, 0.0);
        break;
    case FoldLineStyle::DashDot:
        cairo_set_dash(cr, dashDot, 4, 0.0);
        break;
    case FoldLineStyle::Dot:
        cairo_set_dash(cr, dot, 2, 0.0);
        break;
    }
}

void polygonPath(cairo_t* cr, const std::vector<Sorvex::M2d>& corners) {
    for (size_t i = 0; i < corners.size(); ++i)
        (i ? cairo_line_to : cairo_move_to)(cr, corners[i].x(), corners[i].y());
    cairo_close_path(cr);
}

void strokeLines(cairo_t* cr, const PaperPage& page, PaperLineKind kind) {
    for (const PaperPiece& piece : page.pieces) {
        for (const PaperLine& line : piece.lines) {
            if (line.kind != kind)
                continue;
            cairo_move_to(cr, line.a.x(), line.a.y());
            cairo_line_to(cr, line.b.x(), line.b.y());
        }
    }
    cairo_stroke(cr);
}

/// Draws labels as glyph runs. A page holds tens of thousands of numbers, so the glyphs
/// and advances of each character are looked up once (at one unit of em size, without
/// hinting, so they scale exactly), and all labels of one size and turn are drawn as one
/// run. Each size and turn needs a scaled font of its own, which is costly to make (its
/// glyphs are loaded anew); the layout keeps labels to whole size steps and angle steps
/// (kLabelSizeRatio) so that a page needs few of them.
class LabelDrawer {
public:
    explicit LabelDrawer(cairo_t* cr) : cr(cr) {
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                               CAIRO_FONT_WEIGHT_NORMAL);
        options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_set_font_options(cr, options);
        cairo_set_font_size(cr, 1.0);
        face = cairo_font_face_reference(cairo_get_font_face(cr));
        cairo_get_matrix(cr, &ctm);
    }
    ~LabelDrawer() {
        cairo_font_face_destroy(face);
        cairo_font_options_destroy(options);
    }
    LabelDrawer(const LabelDrawer&) = delete;
    LabelDrawer& operator=(const LabelDrawer&) = delete;

    /// Queues the label's glyphs with the others of its size and angle.
    void add(const PaperLabel& label) {
        if (!(label.size > 0.0) || label.text.empty())
            return;
        const double em = label.size * kEmPerLetterHeight;
        std::vector<cairo_glyph_t>& run = runs[{label.size, label.angle}];
        const size_t first = run.size();
        double width = 0.0;
        for (unsigned char c : label.text) {
            const Glyph& g = glyphOf(c);
            run.push_back({g.index, width, 0.0});
            width += g.advance * em;
        }
        // Along the baseline from its middle, then into user space.
        const double cosA = std::cos(label.angle), sinA = std::sin(label.angle);
        for (size_t i = first; i < run.size(); ++i) {
            cairo_glyph_t& g = run[i];
            const double along = g.x - 0.5 * width;
            g.x = label.position.x() + cosA * along;
            g.y = label.position.y() + sinA * along;
        }
    }

    /// Draws and forgets every label queued, one run a size and angle.
    void flush() {
        for (const auto& [key, run] : runs) {
            const auto& [size, angle] = key;
            const double em = size * kEmPerLetterHeight;
            const double cosA = std::cos(angle), sinA = std::sin(angle);
            cairo_matrix_t m;
            cairo_matrix_init(&m, em * cosA, em * sinA, -em * sinA, em * cosA, 0, 0);
            cairo_scaled_font_t* font = cairo_scaled_font_create(face, &m, &ctm, options);
            cairo_set_scaled_font(cr, font);
            cairo_scaled_font_destroy(font);
            cairo_show_glyphs(cr, run.data(), int(run.size()));
        }
        runs.clear();
    }

private:
    struct Glyph {
        unsigned long index = 0;
        double advance = 0.0;
        bool known = false;
    };

    const Glyph& glyphOf(unsigned char c) {
        Glyph& g = table[c];
        if (g.known)
            return g;
        cairo_matrix_t unit;
        cairo_matrix_init_identity(&unit);
        cairo_set_font_face(cr, face);
        cairo_set_font_matrix(cr, &unit);
        cairo_scaled_font_t* font = cairo_get_scaled_font(cr);
        const char text[2] = {char(c), 0};
        cairo_glyph_t* found = nullptr;
        int count = 0;
        if (cairo_scaled_font_text_to_glyphs(font, 0, 0, text, 1, &found, &count, nullptr, nullptr,
                                             nullptr) == CAIRO_STATUS_SUCCESS &&
            count > 0) {
            g.index = found[0].index;
            cairo_text_extents_t extents;
            cairo_scaled_font_glyph_extents(font, found, 1, &extents);
            g.advance = extents.x_advance;
        }
        cairo_glyph_free(found);
        g.known = true;
        return g;
    }

    cairo_t* cr;
    cairo_font_face_t* face = nullptr;
    cairo_font_options_t* options = nullptr;
    cairo_matrix_t ctm;
    /// Glyphs by letter height and angle; ordered, so pages come out alike every time.
    std::map<std::pair<double, double>, std::vector<cairo_glyph_t>> runs;
    Glyph table[256];
};

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

std::string cairoError(cairo_status_t status) {
    return std::string("the drawing failed: ") + cairo_status_to_string(status);
}

} // namespace

void DrawPaperPage(cairo_t* cr, const PaperPage& page, const PapercraftOptions& options) {
    cairo_save(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_width(cr, options.lineWidthMm);
    for (const PaperPiece& piece : page.pieces) {
        cairo_set_source_rgb(cr, 0.965, 0.965, 0.955);
        for (const PaperFace& f : piece.faces)
            polygonPath(cr, f.corners);
        cairo_fill(cr);
    }
    // All tabs in one fill and one stroke: a dense model has tens of thousands.
    cairo_set_source_rgb(cr, 0.86, 0.86, 0.84);
    for (const PaperPiece& piece : page.pieces)
        for (const GlueTab& tab : piece.tabs)
            polygonPath(cr, tab.corners);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    for (const PaperPiece& piece : page.pieces) {
        for (const GlueTab& tab : piece.tabs) {
            // The base is the fold under the tab; the other sides are cut.
            cairo_move_to(cr, tab.corners.front().x(), tab.corners.front().y());
            for (size_t i = 1; i < tab.corners.size(); ++i)
                cairo_line_to(cr, tab.corners[i].x(), tab.corners[i].y());
        }
    }
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    strokeLines(cr, page, PaperLineKind::Cut);
    setDash(cr, options.mountainStyle);
    cairo_set_source_rgb(cr, 0.75, 0.15, 0.1);
    strokeLines(cr, page, PaperLineKind::Mountain);
    setDash(cr, options.valleyStyle);
    cairo_set_source_rgb(cr, 0.1, 0.35, 0.75);
    strokeLines(cr, page, PaperLineKind::Valley);
    cairo_set_dash(cr, nullptr, 0, 0.0);
    LabelDrawer labels(cr);
    for (bool pieceNumbers : {false, true}) {
        const double grey = pieceNumbers ? 0.1 : 0.3;
        cairo_set_source_rgb(cr, grey, grey, grey);
        for (const PaperPiece& piece : page.pieces)
            for (const PaperLabel& label : piece.labels)
                if (label.isPieceNumber == pieceNumbers)
                    labels.add(label);
        labels.flush();
    }
    cairo_restore(cr);
}

bool WritePapercraftPdf(const PaperLayout& layout, const PapercraftOptions& options,
                        const std::string& path, std::string& error) {
    std::string bytes;
    cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(
        appendBytes, &bytes, layout.pageWidthMm * kPointsPerMm, layout.pageHeightMm * kPointsPerMm);
    cairo_t* cr = cairo_create(surface);
    for (const PaperPage& page : layout.pages) {
        cairo_save(cr);
        cairo_scale(cr, kPointsPerMm, kPointsPerMm);
        DrawPaperPage(cr, page, options);
        cairo_restore(cr);
        cairo_show_page(cr);
    }
    cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    if (status == CAIRO_STATUS_SUCCESS)
        status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        error = cairoError(status);
        return false;
    }
    return WriteFileAtomically(path, bytes, &error, FileSync::Quick);
}

std::vector<unsigned char> RenderPaperPage(const PaperLayout& layout, int page,
                                           const PapercraftOptions& options, int widthPx,
                                           int& heightPx, int& stride) {
    const double scale = double(widthPx) / layout.pageWidthMm;
    heightPx = std::max(1, int(std::lround(layout.pageHeightMm * scale)));
    stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, widthPx);
    std::vector<unsigned char> pixels(size_t(stride) * size_t(heightPx), 0);
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        pixels.data(), CAIRO_FORMAT_ARGB32, widthPx, heightPx, stride);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_scale(cr, scale, scale);
    if (page >= 0 && size_t(page) < layout.pages.size())
        DrawPaperPage(cr, layout.pages[size_t(page)], options);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
    return pixels;
}

bool WritePapercraftPngs(const PaperLayout& layout, const PapercraftOptions& options,
                         const std::string& path, std::vector<std::string>& written,
                         std::string& error) {
    const double widthPx = std::max(1.0, std::round(layout.pageWidthMm / 25.4 * options.pngDpi));
    const double heightPx = widthPx * layout.pageHeightMm / layout.pageWidthMm;
    // Cairo's images are limited to 32767 pixels a side; memory runs out long before.
    if (widthPx > 32767.0 || heightPx > 32767.0 || widthPx * heightPx > 2.5e8) {
        error = "PNG pages of this size and resolution would be too large; lower the resolution";
        return false;
    }
    const int width = int(widthPx);
    const int pages = int(layout.pages.size());
    for (int p = 0; p < pages; ++p) {
        int height = 0, stride = 0;
        std::vector<unsigned char> pixels =
            RenderPaperPage(layout, p, options, width, height, stride);
        cairo_surface_t* surface = cairo_image_surface_create_for_data(
            pixels.data(), CAIRO_FORMAT_ARGB32, width, height, stride);
        std::string bytes;
        const cairo_status_t status =
            cairo_surface_write_to_png_stream(surface, appendBytes, &bytes);
        cairo_surface_destroy(surface);
        if (status != CAIRO_STATUS_SUCCESS) {
            error = cairoError(status);
            return false;
        }
        const std::string file = PaperPagePath(path, p, pages);
        if (!WriteFileAtomically(file, bytes, &error, FileSync::Quick))
            return false;
        written.push_back(file);
    }
    return true;
}
