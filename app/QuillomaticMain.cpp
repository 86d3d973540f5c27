// The desktop program: start-up in its fixed order, the main window, and the exit.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <clocale>

#include "app/CrashReport.h"
#include "app/CrashSave.h"
#include "app/EmergencySave.h"
#include "app/MainWindow.h"
#include "app/QtPrompter.h"
#include "app/Restart.h"
#include "app/SessionEnd.h"
#include "app/Startup.h"
#include "settings/SettingsFolder.h"

namespace {

CMainWindow* g_pMainWindow = nullptr;

// Runs from the fatal-signal handler: the unsaved work prepared last is saved without asking.
void EmergencySaveOnCrash() {
    RunCrashSave();
}

// How often the copy that a crash saves is brought up to date while there are unsaved changes.
constexpr int kCrashSaveRefreshMs = 1000;

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillomatic");
    // Stored files use the C locale for numbers, whatever the user's.
    std::setlocale(LC_NUMERIC, "C");

    SStartupOptions options;
    for (int i = 1; i < argc; ++i) {
        options.args.emplace_back(argv[i]);
    }
    options.currentFolder = QDir::currentPath().toStdString();
    options.programFolder = RunningProgramFolder();
    QFile resource(":/vidcap.data");
    QByteArray vidcap;
    if (resource.open(QIODevice::ReadOnly)) {
        vidcap = resource.readAll();
        options.vidcapResource = std::string_view(vidcap.constData(), vidcap.size());
    }

    CStartup startup(options);
    InstallCrashReporter(startup.Settings().Folder().Path(), EmergencySaveOnCrash);
    startup.Run();

    CQtPrompter prompter;
    CMainWindow window(startup.Settings(), startup.CommandLine(), prompter);
    prompter.SetParent(&window);
    g_pMainWindow = &window;
    InstallEmergencySave([&prompter] {
        if (g_pMainWindow != nullptr) {
            g_pMainWindow->hide();
            prompter.Message({"Warning - low on memory.\nPerforming EMERGENCY SAVE...     ",
                              "Quillo - EMERGENCY SAVE", EMsgIcon::Warning});
            g_pMainWindow->EmergencySave(true);
        } else {
            prompter.Message({"Warning - low on memory.\nClosing Quillo     ",
                              "Quillo - Memory Error", EMsgIcon::Warning});
        }
    });
    CSessionEndWatcher session;
    QObject::connect(&session, &CSessionEndWatcher::sessionEnding, &window,
                     &CMainWindow::CloseForAutosave);

    QTimer crashSaveRefresh;
    QObject::connect(&crashSaveRefresh, &QTimer::timeout, &window, &CMainWindow::PrepareCrashSave);
    crashSaveRefresh.start(kCrashSaveRefreshMs);

    window.StartUp();
    window.show();
    QApplication::setQuitOnLastWindowClosed(true);
    int rc = app.exec();
    g_pMainWindow = nullptr;
    if (rc == 0 && window.RecordingUnsaved()) {
        rc = 1;
    }
    if (window.RestartRequest()) {
        RestartProgram(*window.RestartRequest());
    }
    return rc;
}
