#include <array>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/Subcommands.h"
#include "swf/SwfCompress.h"
#include "swf/SwfMovie.h"
#include "swf/SwfShapeObject.h"

// A movie of every shape geometry and fill, placed, moved and removed over four frames at 2
// frames per second on a 480 × 360 pixel stage (20 units per pixel), for looking at the writer's
// output with outside players and parsers:
//   frame 1: red rectangle (layer 65502, named "redé" and a character outside the basic
//            plane), round rectangle with a blue-to-green linear gradient
//            and a black outline (layer 1), ellipse with a yellow-to-magenta radial gradient,
//            orange circle with a navy outline, cyan triangle, purple path with a curve, dark
//            green rectangle drawn as a round rectangle of radius 0;
//   frame 2: the red rectangle moves to the lower right;
//   frame 3: the ellipse and the circle are removed; a brown square turned by 45 degrees appears;
//   frame 4: the round rectangle is removed; the circle comes back, moved to the left edge.
namespace {

constexpr int32_t kUnits = 20;

constexpr int32_t U(int32_t pixels) {
    return pixels * kUnits;
}

// A box from pixel (x, y) inclusive to pixel (right, bottom) exclusive.
template <class T, class... Extra>
std::unique_ptr<T> Box(int32_t x, int32_t y, int32_t right, int32_t bottom, Extra... extra) {
    return std::make_unique<T>(U(x), U(y), U(right) - 1, U(bottom) - 1, extra...);
}

}  // namespace

int SaveSwfSample(CSwfMovie& movie, const std::string& out, bool uncompressed) {
    if (!movie.Save(out)) {
        return Failure("swf-sample", movie.Error());
    }
    std::string error;
    if (!uncompressed && !CompressSwfFile(out, &error)) {
        return Failure("swf-sample", error);
    }
    return kExitOk;
}

int RunSwfSample(std::span<const std::string> args) {
    bool uncompressed = false;
    bool all = false;
    std::string out;
    for (const std::string& a : args) {
        if (a == "--fws") {
            uncompressed = true;
        } else if (a == "--all") {
            all = true;
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("swf-sample", "unknown option " + a);
        } else if (out.empty()) {
            out = a;
        } else {
            return UsageError("swf-sample", "too many arguments");
        }
    }
    if (out.empty()) {
        return UsageError("swf-sample", "the output file is missing");
    }
    if (all) {
        return WriteSwfSampleAll(out, uncompressed);
    }

    CSwfMovie movie;
    movie.SetStageSize(U(480), U(360));
    movie.SetFrameRate(2);

    auto red = Box<CSwfRectangle>(20, 20, 120, 80);
    red->SetFillColor(CSwfColor(0xFF, 0, 0, 0xFF));
    red->SetLineWidth(0);
    red->SetLayer(65502);
    red->SetName(CSwfString::FromUtf16(u"red\u00e9\U0001F600"));

    auto round = Box<CSwfRoundRect>(140, 20, 300, 100, U(20));
    round->SetLinearGradient(CSwfColor(0, 0, 0xFF, 0xFF), CSwfColor(0, 0xFF, 0, 0xFF));
    round->SetLineWidth(U(2));
    round->SetLayer(1);

    auto ellipse = Box<CSwfEllipse>(320, 20, 460, 120);
    ellipse->SetRadialGradient(CSwfColor(0xFF, 0xFF, 0, 0xFF), CSwfColor(0xFF, 0, 0xFF, 0xFF));
    ellipse->SetLineWidth(0);
    ellipse->SetLayer(5);

    auto circle = std::make_unique<CSwfEllipse>(U(80), U(200), U(50));
    circle->SetFillColor(CSwfColor(0xFF, 0x80, 0, 0xFF));
    circle->SetLineColor(CSwfColor(0, 0, 0x80, 0xFF));
    circle->SetLayer(3);

    const std::array<SSwfPoint, 3> corners = {SSwfPoint{U(200), U(150)}, SSwfPoint{U(300), U(150)},
                                              SSwfPoint{U(250), U(230)}};
    auto triangle = std::make_unique<CSwfPath>(corners);
    triangle->SetFillColor(CSwfColor(0, 0xFF, 0xFF, 0xFF));
    triangle->SetLineWidth(0);
    triangle->SetLayer(4);

    auto path = std::make_unique<CSwfPath>(U(330), U(160));
    path->LineTo(U(100), 0);
    path->CurveTo(U(40), 0, 0, U(40));
    path->LineTo(0, U(40));
    path->LineTo(U(-140), 0);
    path->LineTo(0, U(-80));
    path->SetFillColor(CSwfColor(0x80, 0, 0x80, 0xFF));
    path->SetLineWidth(0);
    path->SetLayer(6);

    auto square = Box<CSwfRoundRect>(20, 280, 100, 340, 0);
    square->SetFillColor(CSwfColor(0, 0x64, 0, 0xFF));
    square->SetLineWidth(0);
    square->SetLayer(2);

    auto turned = Box<CSwfRectangle>(200, 260, 240, 300);
    turned->SetFillColor(CSwfColor(0x8B, 0x45, 0x13, 0xFF));
    turned->SetLineWidth(0);
    turned->SetRotation(45 << 16);
    turned->SetLayer(7);

    CSwfFrame& first = movie.GetFrame(0);
    first.SetBackgroundColor(0xFFFFFF);
    for (CSwfShapeObject* shape : std::initializer_list<CSwfShapeObject*>{
             red.get(), round.get(), ellipse.get(), circle.get(), triangle.get(), path.get(),
             square.get()}) {
        first.AddObject(*shape);
    }

    CSwfFrame& second = movie.GetFrame(1);
    second.RemoveObject(*red);
    red->SetTranslate(U(350), U(250));
    second.AddObject(*red);

    CSwfFrame& third = movie.GetFrame(2);
    third.RemoveObject(*ellipse);
    third.RemoveObject(*circle);
    third.AddObject(*turned);

    CSwfFrame& fourth = movie.GetFrame(3);
    fourth.RemoveObject(*round);
    circle->SetTranslate(U(-40), 0);
    fourth.AddObject(*circle);

    return SaveSwfSample(movie, out, uncompressed);
}
