#include "vorn/app/CPapercraftDlg.h"

#include "vorn/core/papercraft/EdgeNumbering.h"
#include "vorn/core/papercraft/PaperCairoWriter.h"
#include "vorn/core/papercraft/PapercraftExport.h"

#include "common/StatusLine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kPreviewWidth = 420;
const char* const kPages[] = {"A4", "A3", "Letter", "Custom"};
const FoldLineStyle kStyles[] = {FoldLineStyle::Solid, FoldLineStyle::Dash, FoldLineStyle::DashDot,
                                 FoldLineStyle::Dot};

QDoubleSpinBox* number(double low, double high, int decimals, const char* name) {
    auto* box = new QDoubleSpinBox;
    box->setRange(low, high);
    box->setDecimals(decimals);
    box->setObjectName(name);
    return box;
}

QComboBox* styleBox(const char* name) {
    auto* box = new QComboBox;
    for (FoldLineStyle s : kStyles)
        box->addItem(FoldLineStyleName(s));
    box->setObjectName(name);
    return box;
}

} // namespace

CPapercraftDlg::CPapercraftDlg(QWidget* parent, Unfolder& unfolder)
    : QDialog(parent), m_unfolder(unfolder) {
    setWindowTitle("Export Papercraft");
    m_chooser = [this] {
        return QFileDialog::getSaveFileName(this, "Export Papercraft", "papercraft.pdf",
                                            "PDF (*.pdf);;SVG pages (*.svg);;PNG pages (*.png)");
    };
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setInterval(150);
    connect(m_timer, &QTimer::timeout, this, [this] { rebuild(); });
    buildControls();
    setOptions(ReadPapercraftSettings());
    rebuild();
}

CPapercraftDlg::~CPapercraftDlg() = default;

void CPapercraftDlg::buildControls() {
    auto* form = new QFormLayout;
    m_sizeMode = new QComboBox;
    m_sizeMode->addItems({"Height (mm)", "Longest edge (mm)", "mm per model unit"});
    m_sizeMode->setObjectName("SizeMode");
    m_size = number(0.001, 100000, 3, "Size");
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(m_sizeMode);
    sizeRow->addWidget(m_size);
    form->addRow("Model size", sizeRow);

    m_page = new QComboBox;
    for (const char* p : kPages)
        m_page->addItem(p);
    m_page->setObjectName("Page");
    m_landscape = new QCheckBox("Landscape");
    m_landscape->setObjectName("Landscape");
    auto* pageRow = new QHBoxLayout;
    pageRow->addWidget(m_page);
    pageRow->addWidget(m_landscape);
    form->addRow("Page", pageRow);
    m_pageWidth = number(10, 10000, 1, "PageWidth");
    m_pageHeight = number(10, 10000, 1, "PageHeight");
    auto* customRow = new QHBoxLayout;
    customRow->addWidget(m_pageWidth);
    customRow->addWidget(new QLabel("x"));
    customRow->addWidget(m_pageHeight);
    form->addRow("Custom page (mm)", customRow);
    m_margin = number(0, 1000, 1, "Margin");
    form->addRow("Margin (mm)", m_margin);

    m_tabs = new QCheckBox("Glue tabs");
    m_tabs->setObjectName("Tabs");
    form->addRow(m_tabs);
    m_tabHeight = number(0.1, 100, 1, "TabHeight");
    form->addRow("Tab height (mm)", m_tabHeight);
    m_tabAngle = number(1, 90, 0, "TabAngle");
    form->addRow("Tab side angle (degrees)", m_tabAngle);
    m_numbers = new QCheckBox("Edge numbers");
    m_numbers->setObjectName("Numbers");
    form->addRow(m_numbers);
    m_textSize = number(0.5, 50, 1, "TextSize");
    form->addRow("Text size (mm)", m_textSize);
    m_mountain = styleBox("Mountain");
    form->addRow("Mountain folds", m_mountain);
    m_valley = styleBox("Valley");
    form->addRow("Valley folds", m_valley);
    m_omitFolds = number(0, 180, 1, "OmitFolds");
    form->addRow("Omit folds flatter than (degrees)", m_omitFolds);

    m_preview = new QLabel;
    m_preview->setObjectName("Preview");
    m_preview->setMinimumSize(kPreviewWidth, kPreviewWidth * 297 / 210);
    m_preview->setAlignment(Qt::AlignCenter);
    m_pageNumber = new QSpinBox;
    m_pageNumber->setObjectName("PageNumber");
    m_pageNumber->setPrefix("Page ");
    m_summary = new QLabel;
    m_summary->setObjectName("Summary");
    m_summary->setWordWrap(true);
    auto* right = new QVBoxLayout;
    right->addWidget(m_preview, 1);
    right->addWidget(m_pageNumber);
    right->addWidget(m_summary);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton* exportButton = buttons->addButton("Export...", QDialogButtonBox::AcceptRole);
    exportButton->setObjectName("Export");
    connect(exportButton, &QPushButton::clicked, this, [this] { exportClicked(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* columns = new QHBoxLayout;
    columns->addLayout(form);
    columns->addLayout(right, 1);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(columns, 1);
    outer->addWidget(buttons);

    for (QComboBox* box : {m_sizeMode, m_page, m_mountain, m_valley})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { changed(); });
    for (QDoubleSpinBox* box : {m_size, m_pageWidth, m_pageHeight, m_margin, m_tabHeight,
                                m_tabAngle, m_textSize, m_omitFolds})
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] { changed(); });
    for (QCheckBox* box : {m_landscape, m_tabs, m_numbers})
        connect(box, &QCheckBox::toggled, this, [this] { changed(); });
    connect(m_pageNumber, &QSpinBox::valueChanged, this, [this] { showPage(); });
}

PapercraftOptions CPapercraftDlg::getOptions() const {
    PapercraftOptions o = ReadPapercraftSettings(); // keeps the choices shown nowhere here
    o.size = PapercraftOptions::Size(m_sizeMode->currentIndex());
    o.sizeValue = m_size->value();
    o.page = m_page->currentText().toStdString();
    o.pageWidthMm = m_pageWidth->value();
    o.pageHeightMm = m_pageHeight->value();
    o.landscape = m_landscape->isChecked();
    o.marginMm = m_margin->value();
    o.tabs = m_tabs->isChecked();
    o.tabHeightMm = m_tabHeight->value();
    o.tabAngleDegrees = m_tabAngle->value();
    o.edgeNumbers = m_numbers->isChecked();
    o.textMm = m_textSize->value();
    o.mountainStyle = kStyles[m_mountain->currentIndex()];
    o.valleyStyle = kStyles[m_valley->currentIndex()];
    o.omitFoldsBelowDegrees = m_omitFolds->value();
    return o;
}

void CPapercraftDlg::setOptions(const PapercraftOptions& o) {
    m_sizeMode->setCurrentIndex(int(o.size));
    m_size->setValue(o.sizeValue);
    const int page = m_page->findText(QString::fromStdString(o.page), Qt::MatchFixedString);
    m_page->setCurrentIndex(page >= 0 ? page : 0);
    m_pageWidth->setValue(o.pageWidthMm);
    m_pageHeight->setValue(o.pageHeightMm);
    m_landscape->setChecked(o.landscape);
    m_margin->setValue(o.marginMm);
    m_tabs->setChecked(o.tabs);
    m_tabHeight->setValue(o.tabHeightMm);
    m_tabAngle->setValue(o.tabAngleDegrees);
    m_numbers->setChecked(o.edgeNumbers);
    m_textSize->setValue(o.textMm);
    for (int i = 0; i < 4; ++i) {
        if (kStyles[i] == o.mountainStyle)
            m_mountain->setCurrentIndex(i);
        if (kStyles[i] == o.valleyStyle)
            m_valley->setCurrentIndex(i);
    }
    m_omitFolds->setValue(o.omitFoldsBelowDegrees);
    changed();
}

void CPapercraftDlg::changed() {
    m_stale = true;
    const bool custom = m_page->currentText() == "Custom";
    m_pageWidth->setEnabled(custom);
    m_pageHeight->setEnabled(custom);
    m_tabHeight->setEnabled(m_tabs->isChecked());
    m_tabAngle->setEnabled(m_tabs->isChecked());
    m_textSize->setEnabled(m_numbers->isChecked());
    m_timer->start();
}

void CPapercraftDlg::rebuild() {
    m_timer->stop();
    m_stale = false;
    PapercraftOptions options = getOptions();
    m_error.clear();
    PaperLayout layout;
    if (ResolvePageSize(options, m_error) &&
        BuildPapercraftFromNet(m_unfolder, options, layout, m_error)) {
        m_layout = std::move(layout);
    } else {
        m_layout = PaperLayout();
    }
    const int pages = int(m_layout.pages.size());
    m_pageNumber->blockSignals(true);
    m_pageNumber->setRange(pages ? 1 : 0, std::max(pages, 0));
    m_pageNumber->setSuffix(QString(" of %1").arg(pages));
    m_pageNumber->blockSignals(false);
    // A dense model can drop hundreds of tabs; the first few say what happened and the
    // dialog keeps its size.
    constexpr size_t kWarningsShown = 3;
    QString text = getSummary();
    for (size_t i = 0; i < m_layout.warnings.size() && i < kWarningsShown; ++i)
        text += "\n" + QString::fromStdString(m_layout.warnings[i]);
    if (m_layout.warnings.size() > kWarningsShown)
        text += QString("\n... and %1 more edges without a glue tab")
                    .arg(m_layout.warnings.size() - kWarningsShown);
    m_summary->setText(text);
    showPage();
}

QString CPapercraftDlg::getSummary() const {
    if (!m_error.empty())
        return QString::fromStdString("Cannot print: " + m_error);
    QString summary = QString("%1 pieces, %2 glue tabs, %3 pages")
                          .arg(m_layout.pieceCount)
                          .arg(m_layout.tabCount)
                          .arg(m_layout.pages.size());
    if (m_layout.smallLabelCount > 0)
        summary += QString(", %1 numbers under %2 mm tall")
                       .arg(m_layout.smallLabelCount)
                       .arg(kLegibleLabelMm);
    return summary;
}

const PaperLayout& CPapercraftDlg::getLayout() {
    if (m_stale)
        rebuild();
    return m_layout;
}

void CPapercraftDlg::showPage() {
    if (m_layout.pages.empty()) {
        m_preview->setPixmap(QPixmap());
        return;
    }
    int height = 0, stride = 0;
    const std::vector<unsigned char> pixels = RenderPaperPage(
        m_layout, m_pageNumber->value() - 1, getOptions(), kPreviewWidth, height, stride);
    const QImage image(pixels.data(), kPreviewWidth, height, stride, QImage::Format_ARGB32);
    m_preview->setPixmap(QPixmap::fromImage(image)); // copies the pixels
}

bool CPapercraftDlg::exportTo(const std::string& path) {
    const PaperLayout& layout = getLayout();
    if (layout.pages.empty())
        return false;
    PapercraftOptions options = getOptions();
    ResolvePageSize(options, m_error);
    std::vector<std::string> written;
    if (!WritePapercraft(layout, options, path, written, m_error)) {
        m_summary->setText(QString::fromStdString("Not written: " + m_error));
        return false;
    }
    WritePapercraftSettings(options);
    StatusMessage("Wrote %d pieces on %d pages to %s", layout.pieceCount, int(layout.pages.size()),
                  path.c_str());
    return true;
}

void CPapercraftDlg::exportClicked() {
    const QString path = m_chooser();
    if (!path.isEmpty())
        exportTo(path.toStdString());
}

void CPapercraftDlg::done(int result) {
    WritePapercraftSettings(getOptions());
    QDialog::done(result);
}
