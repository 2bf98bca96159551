#pragma once

#include <QApplication>

#include <memory>

class CMainFrame;

/// The application object: creates the main frame, opens the file named on the command
/// line (or a new document), loads the unfolding library by name and shows the window.
/// On exit the scene objects are cleaned up, then the idle handlers.
class CVornApp : public QApplication {
    Q_OBJECT
public:
    CVornApp(int& argc, char** argv);
    ~CVornApp() override;

    /// Asks for the OpenGL surfaces the views draw on (a compatibility context, as they draw
    /// with fixed-function OpenGL, with depth and multisampling). Call before the
    /// application object is made.
    static void SetSurfaceFormat();

    /// The caption of the main window.
    static const char* const kProductTitle;

    /// Runs the start-up steps; false (with the reason on stderr) when the application
    /// must quit. `--screenshot FILE` grabs the main window into FILE once the scene has
    /// been drawn, then quits.
    bool initInstance();
    CMainFrame* getMainFrame() const { return m_frame.get(); }

private:
    void takeScreenshot(const QString& path);

    std::unique_ptr<CMainFrame> m_frame;
};
