#pragma once

#include <string>

/// How a fold line is dashed.
enum class FoldLineStyle { Solid, Dash, DashDot, Dot };

/// What the user chooses for a papercraft export. Lengths in millimetres.
struct PapercraftOptions {
    /// What `sizeValue` measures.
    enum class Size {
        Height,      ///< the model's height (its vertical extent)
        LongestEdge, ///< the model's longest edge
        MmPerUnit,   ///< millimetres per model unit
    };
    Size size = Size::Height;
    double sizeValue = 150.0;

    /// "A4", "A3", "Letter" or "Custom" (then `pageWidthMm` x `pageHeightMm`).
    std::string page = "A4";
    double pageWidthMm = 210.0;
    double pageHeightMm = 297.0;
    bool landscape = false;
    double marginMm = 10.0;
    /// Free space kept between pieces on a page.
    double spacingMm = 3.0;

    bool tabs = true;
    double tabHeightMm = 5.0;
    /// The angle between a tab's base and its sides, in degrees (90: a rectangle).
    double tabAngleDegrees = 45.0;

    bool edgeNumbers = true;
    /// The largest letter height of edge numbers; short edges get smaller ones.
    double textMm = 3.0;

    FoldLineStyle mountainStyle = FoldLineStyle::DashDot;
    FoldLineStyle valleyStyle = FoldLineStyle::Dash;
    /// Folds turning the paper by less than this many degrees are not drawn.
    double omitFoldsBelowDegrees = 0.0;
    double lineWidthMm = 0.2;
    /// Pixels per inch of PNG pages.
    double pngDpi = 150.0;
};

/// Fills the page size of `options.page` ("A4", "A3", "Letter", case-insensitive) into
/// `pageWidthMm` and `pageHeightMm` (portrait, then swapped when `landscape`); "Custom"
/// keeps the given size. False with `error` for an unknown page name.
bool ResolvePageSize(PapercraftOptions& options, std::string& error);

/// False with a one-line `error` when a value is out of range (sizes must be positive
/// and finite, margins leave room on the page, the tab angle lies in (0, 90]).
bool CheckPapercraftOptions(const PapercraftOptions& options, std::string& error);

/// Style names as the settings and the command line spell them: "solid", "dash",
/// "dash-dot", "dot".
const char* FoldLineStyleName(FoldLineStyle style);
bool ParseFoldLineStyle(const std::string& name, FoldLineStyle& style);

/// The remembered choices (section "Settings\Papercraft"), defaults for keys never stored.
PapercraftOptions ReadPapercraftSettings();
/// Stores every choice in one write; false when the settings could not be written.
bool WritePapercraftSettings(const PapercraftOptions& options);
