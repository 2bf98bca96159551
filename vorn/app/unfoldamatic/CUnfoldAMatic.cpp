#include "vorn/app/unfoldamatic/CUnfoldAMatic.h"

#include "common/Registry.h"
#include "common/UserPaths.h"
#include "scene/SceneRoot.h"
#include "unfolders/engine/Unfolder.h"
#include "vorn/app/SceneObjPane.h"
#include "vorn/app/unfoldamatic/ChoiceLists.h"
#include "vorn/app/unfoldamatic/ResultsTable.h"
#include "vorn/core/batch/BatchSettings.h"
#include "vorn/core/batch/BatchTests.h"
#include "vorn/core/batch/TestLabels.h"
#include "vorn/core/shapes/RandomConvex.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>

namespace {

using Clock = std::chrono::steady_clock;

// The size the dialog opens at until the user has chosen one: room for both panes, both
// lists and several rows and columns of results. Smaller stored sizes are not restored.
constexpr int kDefaultWidth = 900;
constexpr int kDefaultHeight = 820;
constexpr int kMinWidth = 300;
constexpr int kMinHeight = 300;
const char* const kSizeKey = "UnfoldAMatic/Size";

// A renderer view sits 8 pixels inside its group box, and 8 more below the title.
constexpr int kPaneInset = 8;

QGroupBox* groupAround(const char* title, QWidget* content, int topExtra = 0) {
    auto* group = new QGroupBox(QString::fromLatin1(title));
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(kPaneInset, kPaneInset + topExtra, kPaneInset, kPaneInset);
    layout->addWidget(content);
    return group;
}

QListWidget* choiceList(const char* name) {
    auto* list = new QListWidget;
    list->setObjectName(QString::fromLatin1(name));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSortingEnabled(true);
    return list;
}

bool isFolder(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(path, error);
}

} // namespace

CUnfoldAMatic::CUnfoldAMatic(PolyMesh* target, QWidget* owner, std::chrono::milliseconds stepBudget)
    : QDialog(owner), m_stepBudget(stepBudget) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("Automated Unfolder Data Capture"));
    if (target) {
        // Only the geometry is copied: an unfolder under the target must not come along
        // and start working on the copy.
        target->copy(m_targetCopy);
        m_targetCopy.setTransform(Sorvex::M4x4());
        m_hasTarget = true;
        if (SceneRoot* root = target->getRoot())
            m_sceneName = SceneTestName(root->getFileName());
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildPanes(), 3);
    layout->addWidget(buildChoices(), 2);
    m_results = new ResultsTable;
    m_results->setObjectName(QStringLiteral("results"));
    layout->addWidget(groupAround("Results", m_results), 2);
    layout->addWidget(buildFields());

    restoreSize();
    const BatchSettings stored = ReadBatchSettings();
    m_modelPath->setText(QString::fromStdString(stored.modelPath));
    m_recordTo->setText(QString::fromStdString(stored.path));
    m_writePdfs->setChecked(stored.writePdfs);
    m_varyRandoms->setChecked(stored.varyRandoms);
    m_captureFails->setChecked(stored.captureFails);
    refillTests(stored.tests);
    FillChoiceList(*m_strategies, BatchStrategyTexts(), stored.filter);
    m_status->setText(QStringLiteral("Ready"));
    connect(m_modelPath, &QLineEdit::textChanged, this, &CUnfoldAMatic::onModelFolderEdited);
    connect(m_modelPath, &QLineEdit::editingFinished, this, [this] {
        const std::string stripped = StripTrailingSeparators(m_modelPath->text().toStdString());
        if (stripped != m_modelPath->text().toStdString())
            m_modelPath->setText(QString::fromStdString(stripped));
    });

    m_targetPane->setObject(&m_targetCopy);
    m_unfoldingPane->setObject(&m_emptyMesh);
    m_lastStepEnd = Clock::now();
    RegisterSystemIdleHandler(this);
}

CUnfoldAMatic::~CUnfoldAMatic() {
    UnregisterSystemIdleHandler(this);
    if (m_wasShown)
        SetRegistryString("Settings", kSizeKey,
                          std::to_string(width()) + "," + std::to_string(height()));
    // The panes outlive this body (Qt deletes child widgets later): they must not keep
    // pointers into the run or the meshes below.
    m_targetPane->setObject(nullptr);
    m_unfoldingPane->setObject(nullptr);
}

void CUnfoldAMatic::restoreSize() {
    int w = 0, h = 0;
    const std::string stored = GetRegistryString("Settings", kSizeKey, "");
    if (std::sscanf(stored.c_str(), "%d,%d", &w, &h) != 2 || w < kMinWidth || h < kMinHeight) {
        w = kDefaultWidth;
        h = kDefaultHeight;
    }
    resize(w, h);
}

void CUnfoldAMatic::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_wasShown = true;
}

QWidget* CUnfoldAMatic::buildPanes() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_targetPane = new SceneObjPane;
    m_targetPane->setObjectName(QStringLiteral("targetPane"));
    m_unfoldingPane = new SceneObjPane;
    m_unfoldingPane->setObjectName(QStringLiteral("unfoldingPane"));
    for (SceneObjPane* pane : {m_targetPane, m_unfoldingPane}) {
        pane->setBackground({1.0, 1.0, 1.0, 1.0});
        pane->setMinimumSize(200, 150);
    }
    layout->addWidget(groupAround("Target PolyMesh", m_targetPane, kPaneInset));
    layout->addWidget(groupAround("Current Unfolding", m_unfoldingPane, kPaneInset));
    return row;
}

QWidget* CUnfoldAMatic::buildChoices() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tests = choiceList("tests");
    m_strategies = choiceList("strategies");
    layout->addWidget(groupAround("Geometry Source", m_tests));
    layout->addWidget(groupAround("Unfolders", m_strategies));
    return row;
}

QWidget* CUnfoldAMatic::buildFields() {
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    auto field = [&](const char* label, const char* name, bool readOnly) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(readOnly);
        form->addRow(QString::fromLatin1(label), edit);
        return edit;
    };
    // A folder field with a Browse button beside it that puts the chosen folder in it.
    auto folderField = [&](const char* label, const char* name) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QString::fromLatin1(name));
        auto* browse = new QPushButton(QStringLiteral("Browse..."));
        browse->setObjectName(QStringLiteral("browse_") + QString::fromLatin1(name));
        browse->setAutoDefault(false);
        auto* row = new QHBoxLayout;
        row->addWidget(edit, 1);
        row->addWidget(browse);
        form->addRow(QString::fromLatin1(label), row);
        connect(browse, &QPushButton::clicked, this, [this, edit] {
            const QString chosen = chooseFolder
                                       ? chooseFolder(edit->text())
                                       : QFileDialog::getExistingDirectory(
                                             this, QStringLiteral("Choose a folder"), edit->text());
            if (!chosen.isEmpty()) {
                edit->setText(chosen);
                emit edit->editingFinished();
            }
        });
        return edit;
    };
    m_modelPath = folderField("Find models in:", "modelPath");
    m_recordTo = folderField("Record to:", "recordTo");
    m_status = field("Status:", "status", true);
    m_progress = field("Progress:", "progress", true);
    layout->addLayout(form, 1);

    auto* side = new QVBoxLayout;
    auto check = [&](const char* label, const char* name) {
        auto* box = new QCheckBox(QString::fromLatin1(label));
        box->setObjectName(QString::fromLatin1(name));
        side->addWidget(box);
        return box;
    };
    m_writePdfs = check("Write PDFs", "writePdfs");
    m_varyRandoms = check("Vary Randoms", "varyRandoms");
    m_captureFails = check("Capture Fails", "captureFails");
    auto* buttons = new QHBoxLayout;
    m_go = new QPushButton(QStringLiteral("Go"));
    m_go->setObjectName(QStringLiteral("go"));
    m_go->setDefault(true);
    m_done = new QPushButton(QStringLiteral("Done"));
    m_done->setObjectName(QStringLiteral("done"));
    buttons->addWidget(m_go);
    buttons->addWidget(m_done);
    side->addLayout(buttons);
    layout->addLayout(side);
    connect(m_go, &QPushButton::clicked, this, &CUnfoldAMatic::go);
    connect(m_done, &QPushButton::clicked, this, &QDialog::reject);
    return box;
}

void CUnfoldAMatic::refillTests(const std::string& selected) {
    const std::string folder = StripTrailingSeparators(m_modelPath->text().toStdString());
    FillChoiceList(*m_tests, BatchTestTexts(m_hasTarget, folder), selected);
}

void CUnfoldAMatic::onModelFolderEdited() {
    // The text itself is tidied once editing ends; stripping it on every keystroke would
    // take away the separator just typed.
    const std::string folder = StripTrailingSeparators(m_modelPath->text().toStdString());
    if (isFolder(folder))
        refillTests(SelectedBracketList(*m_tests));
}

BatchOptions CUnfoldAMatic::optionsFromDialog() {
    BatchOptions options;
    options.recordTo = StripTrailingSeparators(m_recordTo->text().toStdString());
    options.modelPath = StripTrailingSeparators(m_modelPath->text().toStdString());
    options.writePdfs = m_writePdfs->isChecked();
    options.varyRandoms = m_varyRandoms->isChecked();
    options.captureFails = m_captureFails->isChecked();
    options.seed = unsigned(Clock::now().time_since_epoch().count());
    options.randomBuilder = BuildRandomConvex;
    options.currentModel = m_hasTarget ? &m_targetCopy : nullptr;
    options.sceneName = m_sceneName;
    for (const std::string& name : SelectedTexts(*m_strategies)) {
        OfferedStrategy strategy = FindOfferedStrategy(name);
        if (strategy.factory)
            options.strategies.push_back(std::move(strategy));
    }
    options.tests = SelectedTexts(*m_tests);
    return options;
}

void CUnfoldAMatic::go() {
    BatchOptions options = optionsFromDialog();
    const BatchSettings chosen = BatchSettingsFrom(options);
    // Tests without a strategy to run on them would only be generated and counted.
    if (options.strategies.empty())
        options.tests.clear();
    m_recordTo->setText(QString::fromStdString(options.recordTo));
    m_modelPath->setText(QString::fromStdString(options.modelPath));
    // The run about to be dropped owns the meshes the panes may be showing.
    m_targetPane->setObject(&m_targetCopy);
    m_unfoldingPane->setObject(&m_emptyMesh);

    std::vector<std::string> rows;
    for (const OfferedStrategy& strategy : options.strategies)
        rows.push_back(strategy.displayName);
    m_results->reset(rows);
    const bool hasSeries =
        std::any_of(options.tests.begin(), options.tests.end(), [&](const std::string& text) {
            return ParseTestText(text, m_sceneName).kind == BatchTestKind::RandomSeries;
        });
    if (options.varyRandoms && hasSeries)
        for (const std::string& label : VaryRandomsBuckets())
            m_results->columnFor(label);

    // A results folder that is not there yet is made, as the command-line runner does.
    std::string error;
    if (!options.recordTo.empty())
        MakeDirectories(options.recordTo, &error);
    m_runner.onTestDone = [this](const BatchTestOutcome& outcome) {
        m_results->showOutcome(outcome, m_runner.getResults());
        if (!outcome.failureXml.empty() && onFailure) {
            // Opening a document is left to the event loop, outside the idle tick.
            QTimer::singleShot(0, this, [this, xml = outcome.failureXml] {
                if (onFailure)
                    onFailure(xml);
            });
        }
    };
    m_stopReason.clear();
    m_runner.start(options);
    m_runner.prepareNextTest();
    // The run goes on; the user learns that the next run will not offer these choices.
    if (!WriteBatchSettings(chosen)) {
        const std::string text = "The choices could not be saved: " + GetRegistryError();
        if (showMessage)
            showMessage(text);
        else
            QMessageBox::warning(this, windowTitle(), QString::fromStdString(text));
    }
    m_lastStepEnd = Clock::now();
    showRunState();
}

void CUnfoldAMatic::onSystemIdle() {
    if (!m_runner.isRunning() || !m_stopReason.empty())
        return;
    // The budget runs from the end of the previous slice, so the time the user interface
    // took in between counts against it; every slice still makes some progress.
    const auto sinceLast =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_lastStepEnd);
    const auto budget = std::clamp(m_stepBudget - sinceLast, std::chrono::milliseconds(0),
                                   std::max(m_stepBudget, std::chrono::milliseconds(0)));
    try {
        m_runner.step(budget);
        m_runner.prepareNextTest();
    } catch (const std::exception& e) {
        // Nothing may leave the idle loop; the run stops where it is.
        m_runner.requestStop();
        m_stopReason = e.what();
    }
    showRunState();
    m_lastStepEnd = Clock::now();
}

void CUnfoldAMatic::showRunState() {
    BatchTestRun* test = m_runner.getCurrentTest();
    m_targetPane->setObject(test ? static_cast<SceneObj*>(&test->getMesh()) : &m_targetCopy);
    Unfolder* unfolder = test ? test->getUnfolder() : nullptr;
    m_unfoldingPane->setObject(unfolder ? static_cast<SceneObj*>(unfolder) : &m_emptyMesh);
    if (unfolder)
        m_unfoldingPane->frame();
    m_targetPane->refresh();
    m_unfoldingPane->refresh();
    m_status->setText(
        QString::fromStdString(m_stopReason.empty() ? m_runner.getStatus() : m_stopReason));
    m_progress->setText(QString::fromStdString(m_runner.getProgressText()));
}
