#pragma once

#include <QDialog>

#include <string>

class QCheckBox;
class QLineEdit;
class QSpinBox;

/// Asks where and how large a picture is taken: the file (typed or chosen with Browse),
/// the width and height in pixels and whether only the selection is drawn.
class CCapDetails : public QDialog {
    Q_OBJECT
public:
    CCapDetails(QWidget* parent, const std::string& path, int width, int height, bool selectedOnly);

    std::string getPath() const;
    int getWidth() const;
    int getHeight() const;
    bool getSelectedOnly() const;

    /// Shows the dialog with the given values; when the user confirms, they are replaced
    /// by the chosen ones and the result is true. Cancel leaves them unchanged.
    static bool GetDetails(QWidget* parent, std::string& path, int& width, int& height,
                           bool& selectedOnly);

private:
    void browse();
    /// OK is offered only with a file name.
    void updateOk();

    QLineEdit* m_path = nullptr;
    QSpinBox* m_width = nullptr;
    QSpinBox* m_height = nullptr;
    QCheckBox* m_selectedOnly = nullptr;
};
