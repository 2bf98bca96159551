// Checks what the X server shows of the workbench, not what the widgets would draw for a
// grab: run under a real (virtual) X display with an unfolding scene and the file the
// screen is captured into. The scene's net is selected, so the docked settings bar shows
// its renderer panes, and a slideshow is recorded, so the view shows the red recording
// mark. The screen is captured with FFmpeg's x11grab; the panes must not be uniformly
// black and the mark must be red. Exits 0 when both hold, 1 (with the reason) otherwise.
//
//   RealWindowCheck examples/unfold-demo.xml screen.png
#include "vorn/app/CChildFrame.h"
#include "vorn/app/CMainFrame.h"
#include "vorn/app/CVornApp.h"
#include "vorn/app/CVornDoc.h"
#include "vorn/app/CVornView.h"
#include "vorn/app/SceneObjPane.h"
#include "vorn/app/SettingsBar.h"

#include "scene/SceneRoot.h"
#include "vorn/core/UnfoldingLibrary.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace {

void pumpFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        CMainFrame::IdleTick();
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

/// The first child of the scene's first object: the strategy unfolding the scene's mesh.
/// (The strategies' classes live in the library loaded at run time, so none is named here.)
SceneObj* findUnfolder(SceneObj& root) {
    if (root.getChildren().empty() || root.getChildren().front()->getChildren().empty())
        return nullptr;
    return root.getChildren().front()->getChildren().front();
}

/// How many different colours the screen shows inside `rect`.
int colourCount(const QImage& screen, const QRect& rect) {
    std::set<QRgb> colours;
    for (int y = rect.top(); y <= rect.bottom(); y += 2)
        for (int x = rect.left(); x <= rect.right(); x += 2)
            if (screen.rect().contains(x, y))
                colours.insert(screen.pixel(x, y));
    return int(colours.size());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SCENE SCREEN.png\n", argv[0]);
        return 2;
    }
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("vorn-real-window-" + std::to_string(getpid()));
    std::filesystem::create_directories(home);
    setenv("VORN_CONFIG_DIR", (home / "config").c_str(), 1);
    setenv("VORN_DATA_DIR", (home / "data").c_str(), 1);
    CVornApp::SetSurfaceFormat();
    QApplication app(argc, argv);
    std::string error;
    if (!LoadUnfoldingLibrary(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    int failures = 0;
    {
        CMainFrame frame;
        frame.move(0, 0);
        frame.resize(1100, 800);
        CChildFrame* child = frame.openDocument(argv[1], error);
        if (!child) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        frame.show();
        pumpFor(1500);
        SceneRoot* root = child->getDocument().getRoot();
        SceneObj* unfolder = findUnfolder(*root);
        if (!unfolder) {
            std::fprintf(stderr, "%s holds no unfolder\n", argv[1]);
            return 1;
        }
        root->select(unfolder);
        CVornView& view = child->getView();
        view.startSlideshow((home / "slide.png").string(), 64, 48, false);
        pumpFor(2500);

        const QString shot = QString::fromLocal8Bit(argv[2]);
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg",
                     {"-loglevel", "error", "-y", "-f", "x11grab", "-video_size", "1280x1024", "-i",
                      qEnvironmentVariable("DISPLAY"), "-frames:v", "1", shot});
        if (!ffmpeg.waitForFinished(30000) || ffmpeg.exitCode() != 0) {
            std::fprintf(stderr, "ffmpeg could not capture the screen: %s\n",
                         ffmpeg.readAllStandardError().constData());
            return 1;
        }
        const QImage screen(shot);
        const QList<SceneObjPane*> panes = frame.getSettingsBar().findChildren<SceneObjPane*>();
        if (panes.isEmpty()) {
            std::fprintf(stderr, "the settings bar shows no renderer pane\n");
            ++failures;
        }
        for (SceneObjPane* pane : panes) {
            if (!pane->isVisible())
                continue;
            const QRect onScreen(pane->mapToGlobal(QPoint(0, 0)), pane->size());
            const int colours = colourCount(screen, onScreen);
            if (getenv("VORN_DEBUG_PANES")) {
                const QImage own = pane->grabFramebuffer();
                std::printf("pane %p valid %d, grabbed colours %d\n", static_cast<void*>(pane),
                            pane->isValid(), colourCount(own, own.rect()));
            }
            std::printf("pane %s at %d,%d %dx%d: %d colours\n",
                        pane->objectName().toLocal8Bit().constData(), onScreen.x(), onScreen.y(),
                        onScreen.width(), onScreen.height(), colours);
            if (colours < 2 || screen.pixel(onScreen.center()) == qRgb(0, 0, 0)) {
                std::fprintf(stderr, "a renderer pane is uniformly black on the screen\n");
                ++failures;
            }
        }
        const QPoint corner = view.mapToGlobal(QPoint(2, 2));
        const QColor mark = screen.pixelColor(corner);
        std::printf("recording mark at %d,%d: %d %d %d\n", corner.x(), corner.y(), mark.red(),
                    mark.green(), mark.blue());
        if (mark.red() < 200 || mark.green() > 80 || mark.blue() > 80) {
            std::fprintf(stderr, "the recording mark is not red on the screen\n");
            ++failures;
        }
        view.stopRecording();
    }
    std::filesystem::remove_all(home);
    return failures == 0 ? 0 : 1;
}
