// Draws the editor's six pictures into a folder (resources/ in the project) and,
// with --preview, a picture of them placed at the editor's layout, composited the
// way the editor composites them.
//
//   artwork OUTDIR [--preview FILE]
#include "Pictures.h"
#include "PngWriter.h"
#include "graphics/FrameBuffer.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

struct SPicture {
    const char* File;
    CCanvas (*Draw)();
    bool Alpha;
};

const SPicture Pictures[] = {
    {"Background.png", Artwork::Background, false},
    {"KnobStrip.png", Artwork::KnobStrip, true},
    {"VerticalThumb.png", Artwork::VerticalThumb, true},
    {"HorizontalThumb.png", Artwork::HorizontalThumb, true},
    {"RoomArt.png", Artwork::RoomArt, false},
    {"FontSheet.png", Artwork::FontSheet, true},
};

std::unique_ptr<CFrameBuffer> ToFrame(const CCanvas& canvas, bool alpha) {
    auto frame = std::make_unique<CFrameBuffer>(canvas.Width(), canvas.Height(), alpha);
    const auto bytes = canvas.Bytes(alpha);
    std::memcpy(frame->GetData(), bytes.data(), bytes.size());
    return frame;
}

// Black ink at 60 %: alpha from the layer's alpha, or from its darkness where the
// layer was drawn as black on white (the LCD strip).
void Ink(CFrameBuffer& target, int x, int y, const CFrameBuffer& ink, bool fromDarkness = false) {
    CFrameBuffer layer(ink.GetWidth(), ink.GetHeight(), true);
    const unsigned char* s = ink.GetData();
    unsigned char* d = layer.GetData();
    for (int i = 0; i < ink.GetWidth() * ink.GetHeight(); i++, s += 4, d += 4) {
        const int level = fromDarkness ? 255 - (s[0] + s[1] + s[2]) / 3 : s[3];
        d[0] = d[1] = d[2] = 0;
        d[3] = static_cast<unsigned char>(level * 0.6f);
    }
    layer.Draw(&target, x, y, 0, 0, layer.GetWidth(), layer.GetHeight());
}

void Preview(const std::string& path) {
    auto background = ToFrame(Artwork::Background(), false);
    auto knobs = ToFrame(Artwork::KnobStrip(), true);
    auto vthumb = ToFrame(Artwork::VerticalThumb(), true);
    auto hthumb = ToFrame(Artwork::HorizontalThumb(), true);
    auto tiles = ToFrame(Artwork::RoomArt(), false);
    auto font = ToFrame(Artwork::FontSheet(), true);
    CFrameBuffer scene(background->GetWidth(), background->GetHeight(), false);
    background->Draw(&scene, 0, 0, 0, 0, scene.GetWidth(), scene.GetHeight());

    const int knobX[4] = {180, 264, 332, 392};
    const double values[4] = {0.5, 0.5, 1.0, 0.7};
    for (int i = 0; i < 4; i++) {
        const int frame = static_cast<int>(60 * values[i]);
        knobs->Draw(&scene, knobX[i], 158, 0, frame * 38, 32, 38);
    }
    hthumb->Draw(&scene, 32 + static_cast<int>(63 * 0.25), 56, 0, 0, 18, 11);
    vthumb->Draw(&scene, 16, 72 + 63 - static_cast<int>(63 * 0.5), 0, 0, 11, 18);
    hthumb->Draw(&scene, 32 + 21, 160, 0, 0, 18, 11);

    // Room view: a frame, a few rings, and the four nodes of the default placement.
    CFrameBuffer room(72, 72, true);
    room.Fill(0);
    room.DrawRect(0, 0, 72, 72, 0, 255);
    for (int r = 0; r < 70; r++)
        for (int c = 0; c < 70; c++) {
            const double d1 = std::hypot(c - 18.2, r - 18.2), d2 = std::hypot(c - 51.8, r - 18.2);
            const double s = std::max(0.0, 1 - std::fabs(d1 - 17) / 1.5) +
                             std::max(0.0, 1 - std::fabs(d2 - 17) / 1.5);
            room.SetPixel(c + 1, r + 1, 0, static_cast<unsigned char>(std::min(1.0, s) * 255));
        }
    Ink(scene, 36, 76, room);
    const int nodes[4][2] = {{18, 18}, {52, 18}, {29, 52}, {41, 52}};
    for (int n = 0; n < 4; n++)
        tiles->Draw(&scene, 36 + 1 + nodes[n][0] - 6, 76 + 1 + nodes[n][1] - 4, (n % 2) * 13,
                    (n / 2) * 9, 13, 9);

    // Impulse views: a few bars.
    CFrameBuffer early(88, 72, true), late(168, 72, true);
    early.Fill(0);
    late.Fill(0);
    const int bars[6][2] = {{10, 70}, {18, 40}, {27, 52}, {40, 30}, {55, 38}, {71, 22}};
    for (auto& b : bars)
        early.FillRect(b[0], 72 - b[1], 1, b[1], 0, 255);
    for (int x = 0; x < 168; x++) {
        const int h = static_cast<int>(60 * std::exp(-x / 60.0) * (0.7 + 0.3 * std::sin(x * 0.9)));
        late.FillRect(x, 72 - h, 1, h, 0, 128);
        if (h > 0) late.SetPixel(x, 72 - h, 0, 255);
    }
    Ink(scene, 132, 76, early);
    Ink(scene, 244, 76, late);

    // LCD strip: text in the glyph sheet's cells, advance 8.
    CFrameBuffer lcd(140, 12, true);
    lcd.Fill(0xFFFFFF);
    const char* text = "ROOM WIDTH 20M";
    for (int i = 0, pen = 0; text[i]; i++, pen += 8) {
        const int code = text[i] - 33;
        if (code < 0 || code > 63) continue;
        font->Draw(&lcd, pen, 0, (code % 8) * 16, (code / 8) * 13, 16, 13);
    }
    Ink(scene, 274, 50, lcd, true);

    const unsigned char* data = scene.GetData();
    WritePNG(path, scene.GetWidth(), scene.GetHeight(), false,
             std::vector<unsigned char>(data, data + scene.GetWidth() * scene.GetHeight() * 3));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--preview") == 0)) {
        std::fprintf(stderr, "usage: artwork OUTDIR [--preview FILE]\n");
        return 2;
    }
    try {
        const std::string folder = argv[1];
        for (const SPicture& p : Pictures) {
            const CCanvas canvas = p.Draw();
            WritePNG(folder + "/" + p.File, canvas.Width(), canvas.Height(), p.Alpha,
                     canvas.Bytes(p.Alpha));
        }
        if (argc == 4) Preview(argv[3]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "artwork: %s\n", e.what());
        return 1;
    }
    return 0;
}
