// `quillo show OUTBASE`: serves the folder of the published page OUTBASE.htm (or of its SCORM
// package) on 127.0.0.1, prints the page's address, opens it with xdg-open and serves until
// SIGINT or SIGTERM: the web player cannot load a page from a file:// address.
#include <csignal>
#include <cstdio>

#include "cli/Command.h"
#include "cli/Subcommands.h"
#include "platform/BrowserOpener.h"
#include "platform/LocalHttpServer.h"
#include "publish/package/PackageText.h"
#include "publish/package/PublishedPage.h"

int RunShow(std::span<const std::string> args) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        return UsageError("show", args.empty() ? "OUTBASE is missing" : "one OUTBASE only");
    }
    const auto page = FindPublishedPage(args[0]);
    if (!page) {
        return Failure("show", "no published page for " + args[0]);
    }

    // Blocked before the server's threads start, so that only the wait below takes them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    CLocalHttpServer server;
    std::string why;
    if (!server.Start(page->folder, why)) {
        return Failure("show", why);
    }
    const std::string address = server.Address(UrlEscape(page->strPage));
    std::printf("serving %s\n%s\n", page->folder.string().c_str(), address.c_str());
    std::fflush(stdout);
    if (!OpenInBrowser(address, why)) {
        return Failure("show", why);
    }
    int signal = 0;
    sigwait(&signals, &signal);
    return kExitOk;
}
