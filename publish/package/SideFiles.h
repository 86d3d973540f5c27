// The files a publish writes around its movie, in this order: the build report, the HTML page
// with the web player and the hotspot movies beside it, the executable and the SCORM package.
#pragma once

class CDemoProject;
class IPrompter;
struct CPublishSettings;
struct SPublishResults;

// Called once the movie has been written (or the build was cancelled). Failures go to the
// results' error text or, for the executable, to a warning; the movie stays in place.
void WriteSideFiles(const CDemoProject& project, const CPublishSettings& settings,
                    SPublishResults& results, IPrompter& prompter);
