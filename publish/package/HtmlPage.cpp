#include "publish/package/HtmlPage.h"

#include <algorithm>
#include <cstdio>

#include "publish/package/PackageText.h"

std::string HtmlColour(uint32_t colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF,
                  (colour >> 16) & 0xFF);
    return text;
}

std::string HtmlPageText(const SWebPage& page) {
    const int32_t width = std::max(1, page.nWidth);
    const int32_t height = std::max(1, page.nHeight);
    const int32_t border = std::max(0, page.nBorderWidth);
    const std::string background = HtmlColour(page.crBackground);
    // The movie's address carries the build number, so that a browser fetches each new build
    // instead of a cached one.
    const std::string movie =
        UrlEscape(page.strBaseName + ".swf") + "?build=" + std::to_string(page.nBuildNumber);
    const std::string w = std::to_string(width);
    const std::string h = std::to_string(height);
    const std::string b2 = std::to_string(2 * border);

    std::string out;
    out += "<!DOCTYPE html>\r\n";
    out += "<html>\r\n";
    out += "<head>\r\n";
    out += "<meta charset=\"utf-8\">\r\n";
    out += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n";
    out += "<title>" + HtmlEscape(page.strBaseName) + "</title>\r\n";
    out += "<style>\r\n";
    out += "html, body { margin: 0; padding: 0; background: " + HtmlColour(page.crPage) + "; }\r\n";
    out += "body { text-align: center; }\r\n";
    out += "#movie { display: inline-block; vertical-align: top; box-sizing: content-box;\r\n";
    out += "  width: min(" + w + "px, calc(100vw - " + b2 + "px), calc((100vh - " + b2 + "px) * " +
           w + " / " + h + "));\r\n";
    out += "  aspect-ratio: " + w + " / " + h + ";\r\n";
    out += "  border: " + std::to_string(border) + "px solid " + background +
           "; background: " + background + "; }\r\n";
    out += "#movie > ruffle-player { display: block; width: 100%; height: 100%; }\r\n";
    out += "</style>\r\n";
    out += "<script src=\"" + std::string(kWebPlayerFolder) + "/ruffle.js\"></script>\r\n";
    out += "</head>\r\n";
    out += "<body>\r\n";
    out += "<div id=\"movie\"></div>\r\n";
    out += "<script>\r\n";
    out += "(function () {\r\n";
    out += "  var player = window.RufflePlayer.newest().createPlayer();\r\n";
    out += "  player.id = \"" + ScriptStringEscape(page.strBaseName) + "\";\r\n";
    out += "  player.tabIndex = 0;\r\n";
    out += "  document.getElementById(\"movie\").appendChild(player);\r\n";
    out += "  player.addEventListener(\"loadedmetadata\", function () { player.focus(); });\r\n";
    out += "  player.ruffle().load({\r\n";
    out += "    url: \"" + ScriptStringEscape(movie) + "\",\r\n";
    out += "    quality: \"best\",\r\n";
    out += "    backgroundColor: \"" + background + "\",\r\n";
    out += page.bKeepAspect ? "    scale: \"noBorder\",\r\n    salign: \"TL\",\r\n"
                            : "    scale: \"exactFit\",\r\n";
    out += "    letterbox: \"off\",\r\n";
    out += "    autoplay: \"on\",\r\n";
    out += "    splashScreen: false,\r\n";
    out += "    allowScriptAccess: true\r\n";
    out += "  });\r\n";
    out += "  player.focus();\r\n";
    out += "})();\r\n";
    out += "</script>\r\n";
    out += "</body>\r\n";
    out += "</html>\r\n";
    return out;
}
