// The skinned window layer on its own:
//   tolm-skin-demo                      the window group with a stand-in foreground
//   tolm-skin-demo --screenshots DIR    render the windows to PNG files in DIR
#include "DemoForeground.h"
#include "Screenshots.h"
#include "ui/CFlashDialog.h"

#include <QApplication>

#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--screenshots") == 0)
        return RenderScreenshots(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    CFlashDialog host([](QWidget* parent) { return new DemoForeground(parent); });
    return host.DoModal();
}
