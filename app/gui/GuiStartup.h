#pragma once

#include <memory>

class QApplication;
class QWidget;

namespace ortello {

class TDataModule1;

// Steps 3 to 8 of start-up: splash, data module, then the main window or the
// load-error window. Returns the window that became the main window.
struct TGuiStartup {
    std::unique_ptr<TDataModule1> DataModule;
    std::unique_ptr<QWidget> MainWindow;
    bool LoadFailed = false;
};
TGuiStartup RunGuiStartup(QApplication& app);

}  // namespace ortello
