// ortello: the window program.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <iostream>

#include "app/DataModule.h"
#include "app/Startup.h"
#include "app/gui/GuiStartup.h"

int main(int argc, char** argv) {
    ortello::TStartupOptions options;
    // --smoke: start, report the window that opened on standard output, and quit
    // (for installation checks).
    bool smoke = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--home" && i + 1 < argc) options.Home = argv[++i];
        else if (a.rfind("--home=", 0) == 0) options.Home = a.substr(7);
        else if (a == "--smoke") smoke = true;
    }
    QApplication app(argc, argv);
    app.setApplicationName("Ortello");
    app.setApplicationDisplayName("Ortello");
    app.setQuitOnLastWindowClosed(true);
    try {
        ortello::InitializeModule(options);
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, "Ortello", QString::fromUtf8(e.what()));
        return 1;
    }
    ortello::TGuiStartup started = ortello::RunGuiStartup(app);
    started.MainWindow->show();
    if (smoke) {
        QTimer::singleShot(0, [&] {
            std::cout << started.MainWindow->objectName().toStdString() << ": "
                      << started.MainWindow->windowTitle().toStdString() << std::endl;
            app.quit();
        });
    }
    const int rc = app.exec();
    started.MainWindow.reset();
    started.DataModule.reset();
    return rc;
}
