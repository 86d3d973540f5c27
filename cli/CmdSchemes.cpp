// `quillo schemes`: the control bar's colour schemes, one a line: the name, then the Symbol,
// Edge, Button, Over, Down and Panel colours as #RRGGBB, then "built-in" or "user".
#include <cstdio>

#include "cli/Command.h"
#include "cli/Subcommands.h"
#include "publish/package/HtmlPage.h"
#include "settings/ControlScheme.h"
#include "settings/RegistryValues.h"
#include "settings/SettingsFolder.h"

int RunSchemes(std::span<const std::string> args) {
    if (!args.empty()) {
        return UsageError("schemes", "takes no arguments");
    }
    const CRegistryValues registry;
    const CSettingsFolder folder(RunningProgramFolder(), &registry);
    CControlSchemeList schemes;
    if (!folder.Path().empty()) {
        schemes.Load(folder.File(CControlSchemeList::kFileName));
    }
    for (const CControlScheme& scheme : schemes.Schemes()) {
        std::printf("%s", scheme.m_strName.c_str());
        for (uint32_t c : scheme.m_cr) {
            std::printf("\t%s", HtmlColour(c).c_str());
        }
        std::printf("\t%s\n", scheme.m_bBuiltIn ? "built-in" : "user");
    }
    if (schemes.SkippedLines() > 0) {
        std::fprintf(stderr, "quillo schemes: %d unreadable line(s) in %s were skipped\n",
                     schemes.SkippedLines(), folder.File(CControlSchemeList::kFileName).c_str());
    }
    return kExitOk;
}
