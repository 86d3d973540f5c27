// Where the page of a publish is: beside the movie, or in its SCORM package's folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

struct SPublishedPage {
    std::filesystem::path folder;  // the folder to serve
    std::string strPage;           // the page's file name in it
};

// `outBase` is the output path of the publish, with or without ".htm" or ".swf".
std::optional<SPublishedPage> FindPublishedPage(std::string outBase);
