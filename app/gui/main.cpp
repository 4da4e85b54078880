// ortello: the window program.
#include <QApplication>
#include <QMessageBox>

#include <iostream>

#include "app/DataModule.h"
#include "app/Startup.h"
#include "app/gui/GuiStartup.h"

int main(int argc, char** argv) {
    ortello::TStartupOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--home" && i + 1 < argc) options.Home = argv[++i];
        else if (a.rfind("--home=", 0) == 0) options.Home = a.substr(7);
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
    const int rc = app.exec();
    started.MainWindow.reset();
    started.DataModule.reset();
    return rc;
}
