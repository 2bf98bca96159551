#include "vorn/app/CVornApp.h"

#include <QSurfaceFormat>

int main(int argc, char** argv) {
    // The view draws with fixed-function OpenGL: ask for a compatibility context.
    QSurfaceFormat format;
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(24);
    format.setSamples(4);
    QSurfaceFormat::setDefaultFormat(format);

    CVornApp app(argc, argv);
    if (!app.initInstance())
        return 1;
    return app.exec();
}
