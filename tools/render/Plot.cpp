#include "Plot.h"

#include "Canvas.h"
#include "PixelFont.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

void WriteRgbPng(const std::string& path, int width, int height, const unsigned char* rgb) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot write '" + path + "'");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        throw std::runtime_error("libpng could not write '" + path + "'");
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; y++)
        png_write_row(png, const_cast<png_bytep>(rgb + static_cast<size_t>(y) * width * 3));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

double PlotTickStep(double totalMs, int plotWidth) {
    for (double decade = 1;; decade *= 10)
        for (double m : {1.0, 2.0, 2.5, 5.0}) {
            const double step = m * decade;
            char label[32];
            std::snprintf(label, sizeof label, "%g", std::floor(totalMs / step) * step);
            if (step / totalMs * plotWidth >= TextWidth5x7(label) + PlotLabelGap) return step;
        }
}

void PlotImpulseResponse(const std::string& path, const SStereo& response, double earlyMs) {
    const int width = 840, height = 380;
    const int left = 64, right = 20, top = 40, bottom = 44;
    const int plotW = width - left - right, plotH = height - top - bottom;
    const double floorDb = -90.0;
    const double totalMs = std::max(300.0, 1000.0 * response.Frames() / response.SampleRate);
    CCanvas c(width, height, Rgb(0x262B31));
    c.Rect(left, top, plotW, plotH, Rgb(0x1B1F24));

    auto xOf = [&](double ms) {
        return left + static_cast<int>(std::lround(ms / totalMs * plotW));
    };
    auto yOf = [&](double db) {
        const double clamped = std::clamp(db, floorDb, 0.0);
        return top + static_cast<int>(std::lround(clamped / floorDb * plotH));
    };
    // Regions: the early reflections (0 … earlyMs) and the late tail after them.
    c.Rect(left, top, xOf(earlyMs) - left, plotH, Rgb(0xE8A33D, 0.10));
    c.Rect(xOf(earlyMs), top, left + plotW - xOf(earlyMs), plotH, Rgb(0x5AA0D8, 0.07));
    c.Rect(xOf(earlyMs), top, 1, plotH, Rgb(0xE8A33D, 0.6));
    // Legend in the title row, so that it never covers the curve.
    char early[48];
    std::snprintf(early, sizeof early, "EARLY REFLECTIONS 0-%g MS", earlyMs);
    int legend = left + 150;
    c.Rect(legend, 14, 7, 7, Rgb(0xE8A33D));
    legend += 12 + DrawText5x7(c, legend + 12, 14, early, Rgb(0xE8A33D)) + 16;
    c.Rect(legend, 14, 7, 7, Rgb(0x5AA0D8));
    DrawText5x7(c, legend + 12, 14, "LATE TAIL", Rgb(0x7DB6E3));

    // Grid: every 10 dB, and a round step in milliseconds.
    for (int db = 0; db >= -90; db -= 10) {
        c.Rect(left, yOf(db), plotW, 1, Rgb(0x3A424B));
        char label[16];
        std::snprintf(label, sizeof label, "%d", db);
        DrawText5x7(c, left - 8 - TextWidth5x7(label), yOf(db) - 3, label, Rgb(0xAAB3BC));
    }
    const double step = PlotTickStep(totalMs, plotW);
    for (double ms = 0; ms <= totalMs + 1e-9; ms += step) {
        c.Rect(xOf(ms), top, 1, plotH, Rgb(0x3A424B, 0.7));
        char label[16];
        std::snprintf(label, sizeof label, "%g", ms);
        DrawText5x7(c, xOf(ms) - TextWidth5x7(label) / 2, top + plotH + 8, label, Rgb(0xAAB3BC));
    }
    DrawText5x7(c, left, 14, "IMPULSE RESPONSE", Rgb(0xE6E9EC));
    DrawText5x7(c, left + plotW - TextWidth5x7("LEVEL DB OVER MS"), 14, "LEVEL DB OVER MS",
                Rgb(0x8B949D));

    // The curve: per column, the peak of both channels over the samples it covers.
    int previousY = -1;
    for (int x = 0; x < plotW; x++) {
        const size_t from =
            static_cast<size_t>(x / double(plotW) * totalMs / 1000.0 * response.SampleRate);
        const size_t to =
            static_cast<size_t>((x + 1) / double(plotW) * totalMs / 1000.0 * response.SampleRate);
        float peak = 0;
        for (size_t i = from; i < to && i < response.Frames(); i++)
            peak = std::max({peak, std::fabs(response.Left[i]), std::fabs(response.Right[i])});
        if (peak <= 0) {
            previousY = -1;
            continue;
        }
        const int y = yOf(20 * std::log10(peak));
        c.Rect(left + x, y, 1, top + plotH - y, Rgb(0x5AA0D8, 0.35));
        const int y0 = previousY < 0 ? y : previousY;
        for (int yy = std::min(y, y0); yy <= std::max(y, y0); yy++)
            c.Rect(left + x, yy, 1, 1, Rgb(0xF4F1EA));
        previousY = y;
    }
    const auto bytes = c.Bytes(false);
    WriteRgbPng(path, c.Width(), c.Height(), bytes.data());
}
