#include "vorn/app/CVornApp.h"

#include "common/IdleLoop.h"
#include "scene/SceneObj.h"
#include "vorn/app/CMainFrame.h"
#include "vorn/core/UnfoldingLibrary.h"

#include <QCommandLineParser>
#include <QPixmap>
#include <QScreen>
#include <QSurfaceFormat>
#include <QTimer>

#include <algorithm>
#include <cstdio>

const char* const CVornApp::kProductTitle = "Vorn (Polyhedron Unfolding Workbench)";

namespace {
// Time for the first frames (and a camera flight) before a screenshot is taken.
constexpr int kScreenshotDelayMs = 1500;
} // namespace

void CVornApp::SetSurfaceFormat() {
    QSurfaceFormat format;
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(24);
    format.setSamples(4);
    QSurfaceFormat::setDefaultFormat(format);
}

CVornApp::CVornApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName("My Projects");
    setApplicationName("Vorn");
}

CVornApp::~CVornApp() {
    m_frame.reset();
    SceneObj::Cleanup();
    CleanupIdleHandlers();
}

bool CVornApp::initInstance() {
    QCommandLineParser parser;
    parser.addHelpOption();
    QCommandLineOption screenshot("screenshot", "Save a picture of the window and quit.", "FILE");
    parser.addOption(screenshot);
    QCommandLineOption delay("delay", "Milliseconds to wait before the screenshot.", "MS",
                             QString::number(kScreenshotDelayMs));
    parser.addOption(delay);
    parser.addPositionalArgument("file", "A scene or model file to open.");
    parser.process(*this);

    m_frame = std::make_unique<CMainFrame>();
    // Strategies and their panels register themselves as the library loads, before any
    // document is read, so that strategies stored in a scene are built with it. The
    // workbench still runs without them.
    std::string error;
    if (!LoadUnfoldingLibrary(&error))
        std::fprintf(stderr, "Vorn: unfolding library not loaded: %s\n", error.c_str());
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        m_frame->newDocument();

    m_frame->setWindowTitle(kProductTitle);
    m_frame->show();
    // A file that cannot be read (a double-click on a broken model) is reported over the
    // shown window, which stays open, as File > Open does.
    if (!files.isEmpty())
        m_frame->openStartupFile(files.front().toStdString());
    if (parser.isSet(screenshot)) {
        const QString path = parser.value(screenshot);
        const int waitMs = std::max(0, parser.value(delay).toInt());
        QTimer::singleShot(waitMs, this, [this, path] { takeScreenshot(path); });
    }
    return true;
}

void CVornApp::takeScreenshot(const QString& path) {
    const QPixmap picture = m_frame->grab();
    if (!picture.save(path)) {
        std::fprintf(stderr, "Vorn: cannot write %s\n", path.toLocal8Bit().constData());
        exit(1);
        return;
    }
    quit();
}
