#include <gtest/gtest.h>

#include "sound/speech/SpeechMarkup.h"

namespace {

TEST(SpeechMarkup, TagsBecomeSsml) {
    struct SCase {
        const char* what;
        std::u16string markup;
        std::string ssml;  // between <speak> and </speak>
    };
    const SCase cases[] = {
        {"plain text", u"Hello world", "Hello world"},
        {"silence", u"a<silence msec=\"1000\"/>b", "a<break time=\"1000ms\"/>b"},
        {"rate", u"<rate speed=\"10\">fast</rate>", "<prosody rate=\"300%\">fast</prosody>"},
        {"absolute rate", u"<RATE ABSSPEED='-10'>slow</RATE>",
         "<prosody rate=\"33%\">slow</prosody>"},
        {"pitch", u"<pitch middle=\"-4\">low</pitch>", "<prosody pitch=\"-20%\">low</prosody>"},
        {"volume", u"<volume level=\"50\">soft</volume>", "<prosody volume=\"50%\">soft</prosody>"},
        {"emphasis", u"<emph>now</emph>", "<emphasis>now</emphasis>"},
        {"spelled", u"<spell>ABC</spell>", "<say-as interpret-as=\"characters\">ABC</say-as>"},
        {"an empty volume tag lasts to the end of its element",
         u"<emph>a<volume level=\"20\"/>b</emph>c",
         "<emphasis>a<prosody volume=\"20%\">b</prosody></emphasis>c"},
        {"unknown tags are dropped, their text kept", u"<voice required=\"x\">hi</voice> there",
         "hi there"},
        {"unclosed tags close at the end", u"<emph><rate speed=\"0\">x",
         "<emphasis><prosody rate=\"100%\">x</prosody></emphasis>"},
        {"stray closing tags are ignored", u"a</emph>b", "ab"},
        {"a tag without its end is text", u"1 < 2 & 3", "1 &lt; 2 &amp; 3"},
        {"values out of range are limited", u"<volume level=\"900\">v</volume>",
         "<prosody volume=\"100%\">v</prosody>"},
        {"unusable values are dropped", u"<silence msec=\"soon\"/>x<rate speed=\"\">y</rate>",
         "xy"},
        {"interleaved tags", u"<emph>a<spell>b</emph>c</spell>",
         "<emphasis>a<say-as interpret-as=\"characters\">b</say-as></emphasis>c"},
        {"text outside ASCII", u"Grüße", "Grüße"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(SpeechMarkupToSsml(c.markup), "<speak>" + c.ssml + "</speak>");
    }
}

}  // namespace
