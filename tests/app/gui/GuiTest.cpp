#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>

#include "app/DataModule.h"
#include "app/Startup.h"
#include "app/gui/AboutDialog.h"
#include "app/gui/MainWindow.h"
#include "app/gui/MessageWindow.h"
#include "platform/SettingsStore.h"

using namespace ortello;
namespace fs = std::filesystem;

namespace {
int argc = 1;
char arg0[] = "gui-test";
char* argv[] = {arg0, nullptr};

QApplication& App() {
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

struct Home {
    fs::path dir;
    explicit Home(const std::string& catalog) {
        dir = fs::temp_directory_path() / ("ortello-gui-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "data");
        std::ofstream(dir / "data" / "M_dav.dat", std::ios::binary) << catalog;
        TSettingsStore::SetDefaultPath((dir / "registry.ini").string());
    }
    ~Home() {
        fs::remove_all(dir);
        TSettingsStore::SetDefaultPath("");
    }
};

const char* const kGood =
    "PartNo|Desc|USPrice|Cancel\r\nc\r\n[Antennas]\r\n{Dishes}\r\nD1|Dish one|100|135\r\nD2|Dish two|250|337.5\r\n";
}  // namespace

TEST(LoadErrorWindow, HeadingNamesTheApplication) {
    App();
    TfrmMessage w("Ortello");
    EXPECT_EQ(w.windowTitle(), "Message");
    EXPECT_EQ(w.Heading(),
              "The following error(s) occured during initialization.  \nOrtello will not able to operate correctly.");
    w.SetLines({"first", "second"});
    EXPECT_EQ(w.List()->count(), 2);
    EXPECT_EQ(w.List()->item(1)->text(), "second");
}

TEST(AboutDialog, RevealWordShowsCredits) {
    TRevealWord w("QUBZ");
    std::string shown;
    for (QChar c : QString("XQUQUBAQUBZ")) shown += w.Add(c) ? '!' : '.';
    EXPECT_EQ(shown, "..........!");

    App();
    TfrmAbout about;
    about.show();
    auto* ok = about.findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    for (Qt::Key k : {Qt::Key_Q, Qt::Key_U, Qt::Key_B, Qt::Key_Z}) {
        QKeyEvent release(QEvent::KeyRelease, k, Qt::AltModifier);
        QApplication::sendEvent(ok, &release);
    }
    EXPECT_TRUE(about.CreditsShown());
    const int y = about.CreditsPanel()->y();
    about.ScrollCredits();
    EXPECT_EQ(about.CreditsPanel()->y(), y - 1);
}

TEST(MainWindow, ShowsTheCatalogAndFindsParts) {
    App();
    Home home(kGood);
    InitializeModule(TStartupOptions{home.dir.string()});
    TDataModule1 dm;
    ASSERT_EQ(dm.LoadErrors().Count(), 0);
    TfrmOrtello w(dm);
    QTreeWidgetItem* root = w.Tree()->topLevelItem(0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(0), "Products");
    ASSERT_EQ(root->childCount(), 1);
    EXPECT_EQ(root->child(0)->child(0)->text(0), "Dishes");
    ASSERT_TRUE(w.GoToPart("d2"));
    EXPECT_EQ(w.Tree()->currentItem()->text(0), "Dishes");
    EXPECT_EQ(w.PartsModel()->rowCount(), 2);
    EXPECT_EQ(w.PartsModel()->index(1, 2).data().toString(), "$250.00");
    EXPECT_FALSE(w.GoToPart("nothing"));
    // Choosing another currency reprices the list; the schedule falls back to Default.
    w.CurrencyChooser()->setCurrentIndex(ctCanada);
    EXPECT_EQ(dm.DAVNodeData1->CurrencyType(), ctCanada);
    EXPECT_EQ(w.PartsModel()->index(1, 2).data().toString(), "CAN$337.50");
    EXPECT_EQ(w.ScheduleChooser()->currentText(), "Default");
    w.CurrencyChooser()->setCurrentIndex(ctUSDollar);
    // The window's placement is remembered in the settings store.
    w.close();
    EXPECT_FALSE(TSettingsStore::Default().ReadString("HKCU\\Software\\Velmar\\Ortello\\Windows", "frmOrtello").empty());
}

TEST(Program, StartsOnAHomeAndOpensTheRightWindow) {
    struct Case {
        std::string catalog;
        std::string window;
    } cases[] = {
        {kGood, "frmOrtello: Ortello"},
        {"PartNo|Desc|USPrice\r\nc\r\n[A]\r\nX|x|bad\r\n", "frmMessage: Message"},
    };
    for (const Case& c : cases) {
        Home home(c.catalog);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("ORTELLO_REGISTRY", QString::fromStdString((home.dir / "registry.ini").string()));
        p.setProcessEnvironment(env);
        p.start(ORTELLO_PROGRAM, {"--home", QString::fromStdString(home.dir.string()), "--smoke"});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).trimmed().toStdString(), c.window);
        EXPECT_TRUE(fs::is_directory(home.dir / "quotes"));
    }
}
