#include "vorn/core/papercraft/PapercraftOptions.h"

#include "common/Registry.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

const char* const kSection = "Settings\\Papercraft";

std::string lower(std::string text) {
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool positive(double v) { return std::isfinite(v) && v > 0.0; }

double readNumber(const char* key, double def) {
    const std::string text = GetRegistryString(kSection, key, "");
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    return text.empty() || *end != '\0' || !std::isfinite(v) ? def : v;
}

bool readFlag(const char* key, bool def) {
    const std::string text = GetRegistryString(kSection, key, "");
    return text.empty() ? def : text == "true";
}

std::string number(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.10g", v);
    return buffer;
}

} // namespace

bool ResolvePageSize(PapercraftOptions& options, std::string& error) {
    const std::string name = lower(options.page);
    double w = options.pageWidthMm, h = options.pageHeightMm;
    if (name == "a4") {
        w = 210.0, h = 297.0;
    } else if (name == "a3") {
        w = 297.0, h = 420.0;
    } else if (name == "letter") {
        w = 215.9, h = 279.4;
    } else if (name != "custom") {
        error = "unknown page size '" + options.page + "' (A4, A3, Letter or Custom)";
        return false;
    }
    if (name != "custom" && options.landscape)
        std::swap(w, h);
    options.pageWidthMm = w;
    options.pageHeightMm = h;
    return true;
}

bool CheckPapercraftOptions(const PapercraftOptions& o, std::string& error) {
    if (!positive(o.sizeValue))
        error = "the model size must be a positive number of millimetres";
    else if (!positive(o.pageWidthMm) || !positive(o.pageHeightMm) || o.pageWidthMm > 10000.0 ||
             o.pageHeightMm > 10000.0)
        error = "the page size must be positive and at most 10 m";
    else if (!std::isfinite(o.marginMm) || o.marginMm < 0.0 ||
             2.0 * o.marginMm >= std::min(o.pageWidthMm, o.pageHeightMm))
        error = "the margins leave no room on the page";
    else if (!std::isfinite(o.spacingMm) || o.spacingMm < 0.0)
        error = "the spacing between pieces must not be negative";
    else if (o.tabs && !positive(o.tabHeightMm))
        error = "the tab height must be positive";
    else if (o.tabs && !(o.tabAngleDegrees > 0.0 && o.tabAngleDegrees <= 90.0))
        error = "the tab angle must lie between 0 and 90 degrees";
    else if (!positive(o.textMm))
        error = "the text size must be positive";
    else if (!std::isfinite(o.omitFoldsBelowDegrees) || o.omitFoldsBelowDegrees < 0.0 ||
             o.omitFoldsBelowDegrees > 180.0)
        error = "the flat-fold angle must lie between 0 and 180 degrees";
    else if (!positive(o.lineWidthMm))
        error = "the line width must be positive";
    else if (!positive(o.pngDpi) || o.pngDpi > 2400.0)
        error = "the PNG resolution must lie between 0 and 2400 pixels per inch";
    else
        return true;
    return false;
}

const char* FoldLineStyleName(FoldLineStyle style) {
    switch (style) {
    case FoldLineStyle::Solid:
        return "solid";
    case FoldLineStyle::Dash:
        return "dash";
    case FoldLineStyle::DashDot:
        return "dash-dot";
    case FoldLineStyle::Dot:
        return "dot";
    }
    return "dash";
}

bool ParseFoldLineStyle(const std::string& name, FoldLineStyle& style) {
    for (FoldLineStyle s : {FoldLineStyle::Solid, FoldLineStyle::Dash, FoldLineStyle::DashDot,
                            FoldLineStyle::Dot}) {
        if (lower(name) == FoldLineStyleName(s)) {
            style = s;
            return true;
        }
    }
    return false;
}

PapercraftOptions ReadPapercraftSettings() {
    PapercraftOptions o;
    const std::string size = GetRegistryString(kSection, "size", "height");
    o.size = size == "longest edge"  ? PapercraftOptions::Size::LongestEdge
             : size == "mm per unit" ? PapercraftOptions::Size::MmPerUnit
                                     : PapercraftOptions::Size::Height;
    o.sizeValue = readNumber("size value", o.sizeValue);
    o.page = GetRegistryString(kSection, "page", o.page);
    o.pageWidthMm = readNumber("page width", o.pageWidthMm);
    o.pageHeightMm = readNumber("page height", o.pageHeightMm);
    o.landscape = readFlag("landscape", o.landscape);
    o.marginMm = readNumber("margin", o.marginMm);
    o.spacingMm = readNumber("spacing", o.spacingMm);
    o.tabs = readFlag("tabs", o.tabs);
    o.tabHeightMm = readNumber("tab height", o.tabHeightMm);
    o.tabAngleDegrees = readNumber("tab angle", o.tabAngleDegrees);
    o.edgeNumbers = readFlag("edge numbers", o.edgeNumbers);
    o.textMm = readNumber("text size", o.textMm);
    ParseFoldLineStyle(GetRegistryString(kSection, "mountain", ""), o.mountainStyle);
    ParseFoldLineStyle(GetRegistryString(kSection, "valley", ""), o.valleyStyle);
    o.omitFoldsBelowDegrees = readNumber("omit folds below", o.omitFoldsBelowDegrees);
    o.lineWidthMm = readNumber("line width", o.lineWidthMm);
    o.pngDpi = readNumber("png dpi", o.pngDpi);
    // A damaged settings file must not stop the export: fall back to the defaults.
    std::string error;
    PapercraftOptions checked = o;
    if (!ResolvePageSize(checked, error) || !CheckPapercraftOptions(checked, error))
        return PapercraftOptions();
    return o;
}

bool WritePapercraftSettings(const PapercraftOptions& o) {
    const char* size = o.size == PapercraftOptions::Size::LongestEdge ? "longest edge"
                       : o.size == PapercraftOptions::Size::MmPerUnit ? "mm per unit"
                                                                      : "height";
    const auto flag = [](bool b) { return std::string(b ? "true" : "false"); };
    return SetRegistryStrings(kSection, {{"size", size},
                                         {"size value", number(o.sizeValue)},
                                         {"page", o.page},
                                         {"page width", number(o.pageWidthMm)},
                                         {"page height", number(o.pageHeightMm)},
                                         {"landscape", flag(o.landscape)},
                                         {"margin", number(o.marginMm)},
                                         {"spacing", number(o.spacingMm)},
                                         {"tabs", flag(o.tabs)},
                                         {"tab height", number(o.tabHeightMm)},
                                         {"tab angle", number(o.tabAngleDegrees)},
                                         {"edge numbers", flag(o.edgeNumbers)},
                                         {"text size", number(o.textMm)},
                                         {"mountain", FoldLineStyleName(o.mountainStyle)},
                                         {"valley", FoldLineStyleName(o.valleyStyle)},
                                         {"omit folds below", number(o.omitFoldsBelowDegrees)},
                                         {"line width", number(o.lineWidthMm)},
                                         {"png dpi", number(o.pngDpi)}});
}
