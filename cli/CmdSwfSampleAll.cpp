#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/Subcommands.h"
#include "swf/JpegFile.h"
#include "swf/SwfAction.h"
#include "swf/SwfActionList.h"
#include "swf/SwfBitmapData.h"
#include "swf/SwfBitmapRect.h"
#include "swf/SwfButton.h"
#include "swf/SwfEditText.h"
#include "swf/SwfFont.h"
#include "swf/SwfMovie.h"
#include "swf/SwfOctreeQuantizer.h"
#include "swf/SwfShapeObject.h"
#include "swf/SwfSpriteObject.h"

// A movie of bitmaps, a sprite, a button, a bound text field and frame scripts, at 4 frames per
// second on a 480 × 360 pixel stage (20 units per pixel):
//   - four rows of lossless bitmaps of widths 1 to 9 and height 6 at x = 20 + 14 (w − 1),
//     y = 20 (32-bit), 36 (32-bit with alpha), 52 (colour-mapped), 68 (colour-mapped with
//     alpha); pixel (x, y) has red 40 + 23x, green 200 − 30y, blue 25w and, with alpha,
//     opacity 255 − 60 ((x + y) mod 4);
//   - a 64 × 48 JPEG at (200, 20) of red 4x, green 5y, blue 255 − 2x, and the same picture with
//     an alpha plane (left half opaque, right half 96) at (280, 20) over a blue box;
//   - the sprite "spr" at (40, 120): a 60 × 60 square red, green, blue, orange in its own four
//     frames, each of which traces "sprite frame N";
//   - a grey button at (300, 130)-(420, 170) that stops the main timeline or plays it again, sets
//     "running" and "msg" and traces "button: " + msg (on release and on the Enter key); frame 5
//     removes it and places it again;
//   - a text field at (300, 190)-(470, 220) that shows "msg";
//   - six main frames, each tracing "main frame N" and moving a red 20 × 20 marker to
//     x = 40 + 60 (N − 1), y = 300. Frame 1 sets msg to "ready", running to 1 and laps to 0;
//     frame 6 counts laps and goes back to frame 2 until three laps are done, then sets msg to
//     "done" and stops.
namespace {

constexpr int32_t kUnits = 20;

constexpr int32_t U(int32_t pixels) {
    return pixels * kUnits;
}

struct SSamplePixel {
    uint8_t r, g, b, a;
};

SSamplePixel SamplePixel(int x, int y, int width, bool alpha) {
    return {uint8_t(40 + 23 * x), uint8_t(200 - 30 * y), uint8_t(25 * width),
            uint8_t(alpha ? 255 - 60 * ((x + y) % 4) : 255)};
}

std::unique_ptr<CSwfDefineBitsLossless> SampleBitmap(uint16_t width, uint16_t height,
                                                     bool colorMapped, bool alpha) {
    if (!colorMapped) {
        std::vector<uint32_t> pixels;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const SSamplePixel p = SamplePixel(x, y, width, alpha);
                pixels.push_back(uint32_t(p.a) << 24 | uint32_t(p.r) << 16 | uint32_t(p.g) << 8 |
                                 p.b);
            }
        }
        return CSwfDefineBitsLossless::TrueColor(width, height, pixels, alpha);
    }
    SSwfPalette palette;
    std::vector<uint8_t> indexes;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const SSamplePixel p = SamplePixel(x, y, width, alpha);
            if (!alpha) {
                indexes.push_back(uint8_t(CSwfOctreeQuantizer::ExactIndex(p.r, p.g, p.b, palette)));
                continue;
            }
            // Entries that differ only in opacity stay apart.
            const uint32_t color = PackSwfColor(p.r, p.g, p.b) | uint32_t(p.a) << 24;
            auto found = std::find(palette.m_colors.begin(), palette.m_colors.end(), color);
            if (found == palette.m_colors.end()) {
                palette.m_colors.push_back(color);
                found = palette.m_colors.end() - 1;
            }
            indexes.push_back(uint8_t(found - palette.m_colors.begin()));
        }
    }
    return CSwfDefineBitsLossless::ColorMapped(width, height, palette.m_colors, indexes, alpha);
}

template <class T, class... Extra>
std::unique_ptr<T> Box(int32_t x, int32_t y, int32_t width, int32_t height, Extra&&... extra) {
    return std::make_unique<T>(U(x), U(y), U(x + width) - 1, U(y + height) - 1,
                               std::forward<Extra>(extra)...);
}

std::unique_ptr<CSwfRectangle> Solid(int32_t x, int32_t y, int32_t width, int32_t height,
                                     CSwfColor color) {
    auto box = Box<CSwfRectangle>(x, y, width, height);
    box->SetFillColor(color);
    box->SetLineWidth(0);
    return box;
}

void Append(CSwfActionList& list, std::unique_ptr<CSwfAction> step) {
    step->AppendRecords(list);
}

void Append(CSwfActionList& list, uint8_t code) {
    list.Add(std::make_unique<CSwfActionSimple>(code));
}

// name = integer, with a number (not a string) as the value.
void SetNumber(CSwfActionList& list, const std::string& name, int32_t value) {
    Append(list, CSwfAction::PushString(name));
    Append(list, CSwfAction::PushInt(value));
    Append(list, kActionSetVariable);
}

// trace(prefix + _currentframe)
void TraceFrame(CSwfActionList& list, const std::string& prefix) {
    Append(list, CSwfAction::PushString(prefix));
    Append(list, CSwfAction::GetProperty("", 4.0f));
    Append(list, kActionStringAdd);
    Append(list, kActionTrace);
}

// if (!running) { play } else { stop }, with the state kept in "running" and shown in "msg".
CSwfActionList ToggleScript() {
    auto branch = [](bool play) {
        CSwfActionList list;
        Append(list, play ? CSwfAction::Play() : CSwfAction::Stop());
        SetNumber(list, "running", play ? 1 : 0);
        Append(list, CSwfAction::SetVariable("msg", play ? "playing" : "stopped"));
        Append(list, CSwfAction::PushString("button: "));
        Append(list, CSwfAction::GetVariable("msg"));
        Append(list, kActionStringAdd);
        Append(list, kActionTrace);
        return list;
    };
    CSwfActionList stop = branch(false);
    CSwfActionList play = branch(true);
    const auto jump = std::make_unique<CSwfActionBranch>(kActionJump, int16_t(play.Length()));
    CSwfActionList script;
    Append(script, CSwfAction::GetVariable("running"));
    Append(script, kActionNot);
    script.Add(
        std::make_unique<CSwfActionBranch>(kActionIf, int16_t(stop.Length() + jump->Length())));
    script.Append(std::move(stop));
    script.Add(std::make_unique<CSwfActionBranch>(kActionJump, int16_t(play.Length())));
    script.Append(std::move(play));
    return script;
}

// laps += 1; if (laps < 3) { gotoAndPlay(2) } else { msg = "done"; stop }
CSwfActionList LapScript() {
    CSwfActionList loop;
    Append(loop, CSwfAction::GotoFrame(1));
    Append(loop, CSwfAction::Play());
    CSwfActionList done;
    Append(done, CSwfAction::SetVariable("msg", "done"));
    Append(done, CSwfAction::Stop());
    const auto jump = std::make_unique<CSwfActionBranch>(kActionJump, int16_t(loop.Length()));

    CSwfActionList script;
    Append(script, CSwfAction::PushString("laps"));
    Append(script, CSwfAction::GetVariable("laps"));
    Append(script, CSwfAction::PushInt(1));
    Append(script, kActionAdd);
    Append(script, kActionSetVariable);
    Append(script, CSwfAction::GetVariable("laps"));
    Append(script, CSwfAction::PushInt(3));
    Append(script, kActionLess);
    script.Add(
        std::make_unique<CSwfActionBranch>(kActionIf, int16_t(done.Length() + jump->Length())));
    script.Append(std::move(done));
    script.Add(std::make_unique<CSwfActionBranch>(kActionJump, int16_t(loop.Length())));
    script.Append(std::move(loop));
    return script;
}

// A 64 × 48 picture of red, green and blue ramps for the JPEG bitmaps.
std::vector<uint8_t> JpegPicture() {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            rgb.push_back(uint8_t(x * 4));
            rgb.push_back(uint8_t(y * 5));
            rgb.push_back(uint8_t(255 - x * 2));
        }
    }
    return rgb;
}

}  // namespace

int WriteSwfSampleAll(const std::string& out, bool uncompressed) {
    CSwfMovie movie;
    movie.SetStageSize(U(480), U(360));
    movie.SetFrameRate(4);
    CSwfFrame& first = movie.GetFrame(0);
    first.SetBackgroundColor(0xFFFFFF);

    std::vector<std::unique_ptr<CSwfObject>> objects;
    auto keep = [&objects](auto object) -> decltype(*object)& {
        auto& kept = *object;
        objects.push_back(std::move(object));
        return kept;
    };

    // Lossless bitmaps: 32-bit, 32-bit with alpha, colour-mapped, colour-mapped with alpha.
    const std::array<std::pair<bool, bool>, 4> rows = {
        {{false, false}, {false, true}, {true, false}, {true, true}}};
    for (size_t row = 0; row < rows.size(); ++row) {
        for (uint16_t width = 1; width <= 9; ++width) {
            const int32_t x = 20 + 14 * (width - 1);
            const int32_t y = 20 + 16 * int32_t(row);
            auto& bitmap = keep(std::make_unique<CSwfBitmapRect>(
                U(x), U(y), U(x + width) - 1, U(y + 6) - 1,
                SampleBitmap(width, 6, rows[row].first, rows[row].second)));
            first.AddObject(bitmap);
        }
    }

    // JPEG bitmaps, the second with an alpha plane over a blue box.
    const std::vector<uint8_t> rgb = JpegPicture();
    SJpegResult encoded = CJpegFile::EncodeJpeg(rgb, 64, 48, true, 90);
    if (!encoded.Ok()) {
        return Failure("swf-sample", "the JPEG picture could not be encoded: " + encoded.strError);
    }
    const auto jpeg = std::make_shared<const std::vector<uint8_t>>(std::move(encoded.data));
    std::vector<uint8_t> alpha(64 * 48);
    for (size_t i = 0; i < alpha.size(); ++i) {
        alpha[i] = i % 64 < 32 ? 255 : 96;
    }
    encoded = CJpegFile::EncodeJpeg(swf_bitmap::PremultipliedRgb(rgb, alpha), 64, 48, true, 90);
    if (!encoded.Ok()) {
        return Failure("swf-sample", "the JPEG picture could not be encoded: " + encoded.strError);
    }
    const auto jpegWithAlpha =
        std::make_shared<const std::vector<uint8_t>>(std::move(encoded.data));
    first.AddObject(keep(Box<CSwfBitmapRect>(200, 20, 64, 48, uint16_t(64), uint16_t(48), jpeg)));
    first.AddObject(keep(Solid(270, 10, 90, 70, CSwfColor(0, 0, 0xFF, 0xFF))));
    first.AddObject(keep(
        Box<CSwfBitmapRect>(280, 20, 64, 48, uint16_t(64), uint16_t(48), jpegWithAlpha, alpha)));

    // The sprite with its own four frames.
    auto timeline = movie.NewTimeline();
    const std::array<CSwfColor, 4> colors = {
        CSwfColor(0xFF, 0, 0, 0xFF), CSwfColor(0, 0xC0, 0, 0xFF), CSwfColor(0, 0, 0xFF, 0xFF),
        CSwfColor(0xFF, 0x80, 0, 0xFF)};
    CSwfObject* previous = nullptr;
    for (uint32_t i = 0; i < colors.size(); ++i) {
        CSwfFrame& frame = timeline->GetFrame(i);
        if (previous != nullptr) {
            frame.RemoveObject(*previous);
        }
        previous = &keep(Solid(0, 0, 60, 60, colors[i]));
        frame.AddObject(*previous);
        TraceFrame(frame.Actions().Actions(), "sprite frame ");
    }
    auto& sprite = keep(std::make_unique<CSwfSpriteObject>(std::move(timeline), CSwfString("spr")));
    sprite.SetTranslate(U(40), U(120));
    sprite.SetLayer(10);
    first.AddObject(sprite);

    // The button and the text field bound to "msg".
    auto& up = keep(Solid(300, 130, 120, 40, CSwfColor(0x80, 0x80, 0x80, 0xFF)));
    auto& over = keep(Solid(300, 130, 120, 40, CSwfColor(0xA0, 0xA0, 0xA0, 0xFF)));
    auto& down = keep(Solid(300, 130, 120, 40, CSwfColor(0x40, 0x40, 0x40, 0xFF)));
    auto& button = keep(std::make_unique<CSwfButton>(up, over, down, up));
    for (auto& record : ToggleScript().TakeAll()) {
        button.AddRecord(std::move(record), kCondOverDownToOverUp);
    }
    button.NextCondition();
    for (auto& record : ToggleScript().TakeAll()) {
        button.AddRecord(std::move(record), 0, 13);
    }
    button.SetLayer(20);
    first.AddObject(button);
    // Placed again in frame 5 without a second definition.
    movie.GetFrame(4).RemoveObject(button);
    movie.GetFrame(4).AddObject(button);

    auto& font = keep(std::make_unique<CSwfFont>("_sans", false, false));
    first.AddObject(font);
    auto& text = keep(Box<CSwfEditText>(300, 190, 170, 30, u""));
    text.SetFont(font);
    text.SetFontHeight(U(18));
    text.SetAlignment(0);
    text.SetEditable(false);
    text.SetTextColor(CSwfColor(0, 0, 0x80, 0xFF));
    text.SetVariableName("msg");
    text.SetLayer(21);
    first.AddObject(text);

    // Six main frames with their scripts and the moving marker.
    CSwfRectangle& marker = keep(Solid(0, 0, 20, 20, CSwfColor(0xFF, 0, 0, 0xFF)));
    marker.SetLayer(30);
    for (uint32_t i = 0; i < 6; ++i) {
        CSwfFrame& frame = movie.GetFrame(i);
        if (i > 0) {
            frame.RemoveObject(marker);
        }
        marker.SetTranslate(U(40 + 60 * int32_t(i)), U(300));
        frame.AddObject(marker);
        CSwfActionList& script = frame.Actions().Actions();
        if (i == 0) {
            Append(script, CSwfAction::SetVariable("msg", "ready"));
            SetNumber(script, "running", 1);
            SetNumber(script, "laps", 0);
        }
        TraceFrame(script, "main frame ");
        if (i == 5) {
            script.Append(LapScript());
        }
        frame.CloseActions();
    }

    return SaveSwfSample(movie, out, uncompressed);
}
