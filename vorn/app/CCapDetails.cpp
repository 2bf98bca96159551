#include "vorn/app/CCapDetails.h"

#include <algorithm>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
// Pictures larger than this are refused by the renderers' memory anyway.
constexpr int kMaxPixels = 16384;

QSpinBox* sizeBox(int value, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(1, kMaxPixels);
    box->setSuffix(" px");
    box->setValue(std::clamp(value, 1, kMaxPixels));
    return box;
}
} // namespace

CCapDetails::CCapDetails(QWidget* parent, const std::string& path, int width, int height,
                         bool selectedOnly)
    : QDialog(parent) {
    setWindowTitle("Capture Details");
    m_path = new QLineEdit(QString::fromStdString(path), this);
    m_path->setMinimumWidth(320);
    auto* browse = new QPushButton("Browse...", this);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_path, 1);
    fileRow->addWidget(browse);
    m_width = sizeBox(width, this);
    m_height = sizeBox(height, this);
    m_selectedOnly = new QCheckBox("Selected only", this);
    m_selectedOnly->setChecked(selectedOnly);

    auto* form = new QFormLayout;
    form->addRow("File:", fileRow);
    form->addRow("Width:", m_width);
    form->addRow("Height:", m_height);
    form->addRow(QString(), m_selectedOnly);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(browse, &QPushButton::clicked, this, &CCapDetails::browse);
    connect(m_path, &QLineEdit::textChanged, this, &CCapDetails::updateOk);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    updateOk();
}

std::string CCapDetails::getPath() const {
    return m_path->text().trimmed().toStdString();
}

int CCapDetails::getWidth() const {
    return m_width->value();
}

int CCapDetails::getHeight() const {
    return m_height->value();
}

bool CCapDetails::getSelectedOnly() const {
    return m_selectedOnly->isChecked();
}

void CCapDetails::browse() {
    const QString chosen = QFileDialog::getSaveFileName(
        this, "Capture To", m_path->text(), "Pictures (*.png *.pdf *.eps *.svg);;All files (*)");
    if (!chosen.isEmpty())
        m_path->setText(chosen);
}

void CCapDetails::updateOk() {
    if (auto* buttons = findChild<QDialogButtonBox*>())
        buttons->button(QDialogButtonBox::Ok)->setEnabled(!m_path->text().trimmed().isEmpty());
}

bool CCapDetails::GetDetails(QWidget* parent, std::string& path, int& width, int& height,
                             bool& selectedOnly) {
    CCapDetails dialog(parent, path, width, height, selectedOnly);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    path = dialog.getPath();
    width = dialog.getWidth();
    height = dialog.getHeight();
    selectedOnly = dialog.getSelectedOnly();
    return true;
}
