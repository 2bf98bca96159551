#pragma once

#include "common/IdleLoop.h"
#include "scene/mesh/PolyMesh.h"
#include "vorn/core/batch/BatchRunner.h"

#include <QDialog>

#include <chrono>
#include <functional>
#include <string>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class ResultsTable;
class SceneObjPane;

/// The batch runner dialog, "Automated Unfolder Data Capture": the user picks tests and
/// strategies, "Go" starts the batch engine, and each idle tick works on the run for up to
/// the step budget, then shows the status, the progress, the results table and the test
/// and unfolding under way. Modeless and deleted when closed ("Done"); an unfolding under
/// way goes with it. It opens at the size it had when last closed.
class CUnfoldAMatic : public QDialog, public SystemIdleHandler {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kDefaultStepBudget{1000};

    /// `target` (may be null) is copied at once; the dialog never touches it again.
    CUnfoldAMatic(PolyMesh* target, QWidget* owner,
                  std::chrono::milliseconds stepBudget = kDefaultStepBudget);
    ~CUnfoldAMatic() override;

    /// Called, after the tick that found it, with the "PolyMesh" document of each failed
    /// test mesh that is kept (Capture Fails, or a failed "Collision Repair").
    std::function<void(const std::string& xml)> onFailure;

    /// Picks a folder for a Browse button, starting at `start` (the folder dialog by
    /// default); empty when cancelled.
    std::function<QString(const QString& start)> chooseFolder;
    /// Where a failure to store the choices is shown (a message box by default).
    std::function<void(const std::string& text)> showMessage;

    /// "Go": stores the choices and starts the run over; a failure to store them is shown.
    void go();
    /// One slice of the run (about the step budget) and a refresh of the displays.
    void onSystemIdle() override;
    bool isRunning() const { return m_runner.isRunning() && m_stopReason.empty(); }
    const BatchRunner& getRunner() const { return m_runner; }

    /// Work per tick; 0 does a single step of the unfolder under way.
    void setStepBudget(std::chrono::milliseconds budget) { m_stepBudget = budget; }
    /// The test name of the current model ("[Scene]" without a named scene).
    const std::string& getSceneName() const { return m_sceneName; }
    const PolyMesh& getTargetCopy() const { return m_targetCopy; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    /// Opens at the size the dialog had when last closed (a default size the first time).
    void restoreSize();
    QWidget* buildPanes();
    QWidget* buildChoices();
    QWidget* buildFields();
    void refillTests(const std::string& selected);
    void onModelFolderEdited();
    BatchOptions optionsFromDialog();
    void showRunState();

    PolyMesh m_targetCopy;
    bool m_hasTarget = false;
    PolyMesh m_emptyMesh; // shown as the unfolding while none is under way
    std::string m_sceneName = "[Scene]";
    BatchRunner m_runner;
    std::chrono::milliseconds m_stepBudget;
    std::chrono::steady_clock::time_point m_lastStepEnd;
    std::string m_stopReason; // why a run was stopped early; empty while all is well
    bool m_wasShown = false;  // only a size the user saw is remembered

    SceneObjPane* m_targetPane = nullptr;
    SceneObjPane* m_unfoldingPane = nullptr;
    QListWidget* m_tests = nullptr;
    QListWidget* m_strategies = nullptr;
    ResultsTable* m_results = nullptr;
    QLineEdit* m_modelPath = nullptr;
    QLineEdit* m_recordTo = nullptr;
    QLineEdit* m_status = nullptr;
    QLineEdit* m_progress = nullptr;
    QCheckBox* m_writePdfs = nullptr;
    QCheckBox* m_varyRandoms = nullptr;
    QCheckBox* m_captureFails = nullptr;
    QPushButton* m_go = nullptr;
    QPushButton* m_done = nullptr;
};
