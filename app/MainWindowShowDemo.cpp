// "&Show Demo": the web player cannot load a page from a file:// address, so the published
// folder is served on 127.0.0.1 for as long as the program runs and the page is opened there.
#include <QProcess>
#include <filesystem>

#include "app/MainWindow.h"
#include "platform/LocalHttpServer.h"
#include "platform/Prompter.h"
#include "project/model/DemoProject.h"
#include "publish/package/PackageText.h"
#include "publish/package/PublishedPage.h"

void CMainWindow::ShowDemo() {
    if (!m_bHasProject) {
        return;
    }
    // A publish writes beside the project under the project's name unless told otherwise.
    const std::string outBase =
        (std::filesystem::path(m_pProject->m_pszFileName).parent_path() / ProjectStem()).string();
    const auto page = FindPublishedPage(outBase);
    if (!page) {
        m_prompter.Info("There is no published demo of this project yet: " + outBase + ".htm",
                        "Show Demo");
        return;
    }
    std::string why;
    m_pDemoServer = std::make_unique<CLocalHttpServer>();
    if (!m_pDemoServer->Start(page->folder, why)) {
        m_prompter.Warning("Unable to show the demo: " + why, "Quillo Warning");
        return;
    }
    const std::string address = m_pDemoServer->Address(UrlEscape(page->strPage));
    if (!QProcess::startDetached("xdg-open", {QString::fromStdString(address)})) {
        m_prompter.Warning("Unable to open a web browser for " + address, "Quillo Warning");
    }
}
