// Opens an address in the user's default browser through xdg-open.
#pragma once

#include <string>

// Runs `xdg-open URL` (found on PATH) and waits for it. False with `why` when it cannot be
// started or reports a failure.
bool OpenInBrowser(const std::string& url, std::string& why);
