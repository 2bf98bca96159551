#include "vorn/app/CVornApp.h"

int main(int argc, char** argv) {
    CVornApp::SetSurfaceFormat();

    CVornApp app(argc, argv);
    if (!app.initInstance())
        return 1;
    return app.exec();
}
