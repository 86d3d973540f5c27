// The marked-up speech text of talk bubbles, turned into the SSML the speech engine reads.
// Known tags: silence (msec), rate (speed, absspeed), pitch (middle, absmiddle), volume (level),
// emph and spell. Unknown tags are dropped with their text kept; unclosed tags end with the text,
// stray closing tags are ignored and a '<' without its '>' is spoken as text.
#pragma once

#include <string>
#include <string_view>

// A complete <speak> document in UTF-8.
std::string SpeechMarkupToSsml(std::u16string_view markup);
