#pragma once

#include "vorn/core/papercraft/PaperModel.h"
#include "vorn/core/papercraft/PapercraftOptions.h"

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;
class QTimer;
class Unfolder;

/// File > Export Papercraft: the choices of a papercraft print of a finished net (model
/// size, page, margins, tabs, numbers, fold styles), a preview of its pages with the
/// piece, tab and page counts, and Export, which writes PDF, SVG or PNG. The choices
/// start from the remembered ones and are remembered when the dialog closes.
class CPapercraftDlg : public QDialog {
    Q_OBJECT
public:
    /// `unfolder` must be done and must outlive the dialog.
    CPapercraftDlg(QWidget* parent, Unfolder& unfolder);
    ~CPapercraftDlg() override;

    /// The choices as the controls show them.
    PapercraftOptions getOptions() const;
    void setOptions(const PapercraftOptions& options);
    /// The layout of the current choices (rebuilt at once if a change is pending); empty
    /// pages when they cannot be printed, with the reason in getError().
    const PaperLayout& getLayout();
    const std::string& getError() const { return m_error; }
    /// The counts line under the preview ("3 pieces, 12 glue tabs, 2 pages").
    QString getSummary() const;

    /// Writes the current layout to `path` (.pdf, .svg or .png); false with the reason
    /// shown and kept in getError().
    bool exportTo(const std::string& path);
    /// Replaces the save-file question of Export (for tests); it returns "" to cancel.
    void setPathChooser(std::function<QString()> chooser) { m_chooser = std::move(chooser); }

    void done(int result) override;

private:
    void buildControls();
    /// Called on every change: the preview is rebuilt shortly after the last one.
    void changed();
    void rebuild();
    void showPage();
    void exportClicked();

    Unfolder& m_unfolder;
    PaperLayout m_layout;
    std::string m_error;
    bool m_stale = true;
    std::function<QString()> m_chooser;
    QTimer* m_timer = nullptr;

    QComboBox* m_sizeMode = nullptr;
    QDoubleSpinBox* m_size = nullptr;
    QComboBox* m_page = nullptr;
    QDoubleSpinBox* m_pageWidth = nullptr;
    QDoubleSpinBox* m_pageHeight = nullptr;
    QCheckBox* m_landscape = nullptr;
    QDoubleSpinBox* m_margin = nullptr;
    QCheckBox* m_tabs = nullptr;
    QDoubleSpinBox* m_tabHeight = nullptr;
    QDoubleSpinBox* m_tabAngle = nullptr;
    QCheckBox* m_numbers = nullptr;
    QDoubleSpinBox* m_textSize = nullptr;
    QComboBox* m_mountain = nullptr;
    QComboBox* m_valley = nullptr;
    QDoubleSpinBox* m_omitFolds = nullptr;
    QSpinBox* m_pageNumber = nullptr;
    QLabel* m_preview = nullptr;
    QLabel* m_summary = nullptr;
};
