#include "app/gui/GuiStartup.h"

#include <QApplication>
#include <QMessageBox>

#include "app/DataModule.h"
#include "app/gui/MainWindow.h"
#include "app/gui/MessageWindow.h"
#include "app/gui/Splash.h"

namespace ortello {

TGuiStartup RunGuiStartup(QApplication& app) {
    TGuiStartup result;
    auto splash = std::make_unique<TSplash>();
    splash->show();
    splash->SetStatus("Starting...");
    app.processEvents();
    TDataModule1::StartupListStart() = [&](const std::string& f, int no, int files) {
        if (splash) splash->SetStatus(QString("Loading %1 (%2 of %3)").arg(QString::fromStdString(f)).arg(no).arg(files));
        app.processEvents();
    };
    TDataModule1::StartupStatus() = [&](int, int) { app.processEvents(); };
    try {
        result.DataModule = std::make_unique<TDataModule1>();
    } catch (const std::exception& e) {
        splash.reset();
        QMessageBox::critical(nullptr, app.applicationName(), QString::fromUtf8(e.what()));
    }
    TDataModule1::StartupListStart() = nullptr;
    TDataModule1::StartupStatus() = nullptr;
    if (result.DataModule && result.DataModule->LoadErrors().Count() == 0) {
        result.MainWindow = std::make_unique<TfrmOrtello>(*result.DataModule);
    } else {
        splash.reset();
        auto window = std::make_unique<TfrmMessage>(app.applicationName());
        QStringList lines;
        if (result.DataModule)
            for (int i = 0; i < result.DataModule->LoadErrors().Count(); ++i)
                lines << QString::fromStdString(result.DataModule->LoadErrors()[i]);
        window->SetLines(lines);
        result.MainWindow = std::move(window);
        result.LoadFailed = true;
    }
    splash.reset();
    return result;
}

}  // namespace ortello
