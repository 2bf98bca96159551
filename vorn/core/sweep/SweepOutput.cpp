#include "vorn/core/sweep/SweepOutput.h"

#include "common/AtomicFile.h"
#include "common/TextUtil.h"

#include <cairo.h>

#include <algorithm>
#include <cstdio>

std::string SweepMapsCsv(const std::vector<SweepMap>& maps) {
    std::string csv = "dim,h,k,unfoldable\n";
    char line[160];
    for (const SweepMap& map : maps) {
        const double hStep = (map.h.max - map.h.min) / map.h.steps;
        const double kStep = (map.k.max - map.k.min) / map.k.steps;
        // The values are accumulated as the sweep walks them, so the CSV names the very
        // points that were evaluated.
        double k = map.k.min;
        for (int j = 0; j <= map.k.steps; ++j, k += kStep) {
            double h = map.h.min;
            for (int i = 0; i <= map.h.steps; ++i, h += hStep) {
                const int v = map.at(i, j);
                std::snprintf(line, sizeof line, "%d,%s,%s,%s\n", map.dim, formatDouble(h).c_str(),
                              formatDouble(k).c_str(), v < 0 ? "" : v ? "1" : "0");
                csv += line;
            }
        }
    }
    return csv;
}

std::string SweepMapsText(const std::vector<SweepMap>& maps) {
    std::string text;
    for (const SweepMap& map : maps) {
        text += "dim " + std::to_string(map.dim) + ": h " + formatDouble(map.h.min) + " .. " +
                formatDouble(map.h.max) + " to the right, k " + formatDouble(map.k.min) +
                " .. " + formatDouble(map.k.max) + " upwards\n";
        for (int j = map.k.steps; j >= 0; --j) {
            for (int i = 0; i <= map.h.steps; ++i) {
                const int v = map.at(i, j);
                text += v < 0 ? '?' : v ? '#' : '.';
            }
            text += '\n';
        }
    }
    return text;
}

bool WriteSweepMapsPng(const std::vector<SweepMap>& maps, const std::string& path, int cellPixels,
                       std::string& error) {
    if (maps.empty()) {
        error = path + ": no map to draw";
        return false;
    }
    const int gap = cellPixels;
    int width = -gap, height = 0;
    for (const SweepMap& map : maps) {
        width += (map.h.steps + 1) * cellPixels + gap;
        height = std::max(height, (map.k.steps + 1) * cellPixels);
    }
    if (double(width) * height > 4e8) {
        error = path + ": the picture would be too large; use fewer steps";
        return false;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    int left = 0;
    for (const SweepMap& map : maps) {
        for (int j = 0; j <= map.k.steps; ++j)
            for (int i = 0; i <= map.h.steps; ++i) {
                const int v = map.at(i, j);
                if (v < 0)
                    cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
                else if (v)
                    cairo_set_source_rgb(cr, 0.2, 0.7, 0.3);
                else
                    cairo_set_source_rgb(cr, 0.55, 0.1, 0.1);
                // k grows upwards, as in the workbench's map seen from above.
                cairo_rectangle(cr, left + i * cellPixels, height - (j + 1) * cellPixels,
                                cellPixels, cellPixels);
                cairo_fill(cr);
            }
        left += (map.h.steps + 1) * cellPixels + gap;
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    // Encoded in memory, then replaced atomically: a failed write leaves the old file.
    std::string png;
    const cairo_status_t status = cairo_surface_write_to_png_stream(
        surface,
        [](void* closure, const unsigned char* data, unsigned int length) {
            static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data),
                                                       length);
            return CAIRO_STATUS_SUCCESS;
        },
        &png);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        error = path + ": " + cairo_status_to_string(status);
        return false;
    }
    std::string why;
    if (!WriteFileAtomically(path, png, &why)) {
        error = why;
        return false;
    }
    return true;
}
