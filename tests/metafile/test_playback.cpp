// Playback of single records and record sequences, checked pixel by pixel on
// pictures small enough that one logical unit is one pixel (96 x 48 at 96 dpi).
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/picture.h"
#include "gfx/stream.h"
#include "metafile/metafile.h"
#include "metafile/text_codec.h"
#include "record_writer.h"

namespace {

using namespace metafile_test;

constexpr uint32_t kRed = 0x0000FF;  // COLORREF
constexpr uint32_t kBlue = 0xFF0000;
constexpr QRgb kQRed = 0xFF0000, kQBlue = 0x0000FF, kQWhite = 0xFFFFFF, kQGreen = 0x00FF00;
constexpr uint32_t kNullPen = 0x80000008;

// EMF record helpers.
EmfWriter& Brush(EmfWriter& w, uint32_t slot, uint32_t color) {
    return w.Add(39, Longs({slot, 0, color, 0})).Add(37, Longs({slot}));
}
EmfWriter& RedFill(EmfWriter& w) { return Brush(w, 1, kRed).Add(37, Longs({kNullPen})); }
EmfWriter& Rect(EmfWriter& w, int l, int t, int r, int b) { return w.Add(43, Longs({l, t, r, b})); }
Bytes Xform(float m11, float m12, float m21, float m22, float dx, float dy) {
    Bytes out;
    for (float f : {m11, m12, m21, m22, dx, dy}) PutF(out, f);
    return out;
}
Bytes Square(int l, int t, int r, int b) { return Longs({l, t, r, t, r, b, l, b}); }
// STRETCHDIBITS of a packed DIB over the destination rectangle.
Bytes StretchDibits(const Bytes& dib, int srcW, int srcH, int x, int y, int w, int h, size_t headerBytes) {
    const uint32_t fixed = 8 + 72;
    const Bytes header(dib.begin(), dib.begin() + long(headerBytes));
    const Bytes bits(dib.begin() + long(headerBytes), dib.end());
    return Cat({Longs({0, 0, 0, 0, x, y, 0, 0, srcW, srcH, fixed, int64_t(header.size()),
                       int64_t(fixed + header.size()), int64_t(bits.size()), 0, 0x00CC0020, w, h}),
                header, bits});
}

QImage Render(const Bytes& bytes, int width = 96, int height = 48) {
    gfx::MetafileGraphic graphic;
    graphic.LoadFromBytes(bytes);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    graphic.Paint(painter, QRectF(0, 0, width, height));
    return image;
}

struct Probe {
    int x, y;
    QRgb color;
};

struct PlaybackCase {
    const char* name;
    std::function<Bytes()> build;
    std::vector<Probe> probes;
};
void PrintTo(const PlaybackCase& value, std::ostream* out) { *out << value.name; }

Bytes Emf(const std::function<void(EmfWriter&)>& records) {
    EmfWriter w;
    records(w);
    return w.Finish(2540, 1270, 8);
}

// A 2 x 2 (or 2 x 1) bitmap at each depth: left pixel red, right pixel blue.
Bytes TwoPixelDib(uint16_t bits) {
    switch (bits) {
    case 1: return Dib(2, 1, 1, Longs({0xFF0000, 0x0000FF}), Bytes{0x40, 0, 0, 0});
    case 4: return Dib(2, 1, 4, Longs({0xFF0000, 0x0000FF}), Bytes{0x01, 0, 0, 0});
    case 8: return Dib(2, 1, 8, Longs({0xFF0000, 0x0000FF}), Bytes{0, 1, 0, 0});
    case 16: return Dib(2, 1, 16, {}, Cat({Words({0x7C00, 0x001F})}));
    case 24: return Dib(2, 1, 24, {}, Bytes{0, 0, 255, 255, 0, 0, 0, 0});
    default: return Dib(2, 1, 32, {}, Longs({0x00FF0000, 0x000000FF}));
    }
}

std::vector<PlaybackCase> Cases() {
    std::vector<PlaybackCase> cases;
    cases.push_back({"emf_rectangle", [] { return Emf([](EmfWriter& w) { Rect(RedFill(w), 10, 10, 40, 30); }); },
                     {{20, 20, kQRed}, {50, 20, kQWhite}, {5, 5, kQWhite}}});
    cases.push_back({"emf_anisotropic_mapping",
                     [] {
                         return Emf([](EmfWriter& w) {
                             w.Add(17, Longs({8})).Add(9, Longs({10, 10})).Add(11, Longs({96, 48}));
                             Rect(RedFill(w), 0, 0, 5, 5);
                         });
                     },
                     {{40, 20, kQRed}, {60, 20, kQWhite}, {40, 30, kQWhite}}});
    cases.push_back({"emf_isotropic_mapping_keeps_aspect",
                     [] {
                         return Emf([](EmfWriter& w) {
                             w.Add(17, Longs({7})).Add(9, Longs({10, 10})).Add(11, Longs({96, 48}));
                             Rect(RedFill(w), 0, 0, 10, 10);
                         });
                     },
                     {{40, 40, kQRed}, {60, 20, kQWhite}}});
    cases.push_back({"emf_window_origin",
                     [] { return Emf([](EmfWriter& w) { Rect(RedFill(w.Add(10, Longs({-20, -10}))), 0, 0, 10, 10); }); },
                     {{25, 15, kQRed}, {5, 5, kQWhite}}});
    cases.push_back({"emf_lometric_is_y_up",
                     [] { return Emf([](EmfWriter& w) { Rect(RedFill(w.Add(17, Longs({2}))), 0, 0, 100, -100); }); },
                     {{20, 20, kQRed}, {45, 20, kQWhite}, {20, 42, kQWhite}}});
    cases.push_back({"emf_world_transform",
                     [] {
                         return Emf([](EmfWriter& w) { Rect(RedFill(w.Add(35, Xform(2, 0, 0, 2, 10, 0))), 0, 0, 10, 10); });
                     },
                     {{25, 15, kQRed}, {5, 5, kQWhite}, {35, 5, kQWhite}}});
    cases.push_back({"emf_modify_world_transform_left_multiply",
                     [] {
                         return Emf([](EmfWriter& w) {
                             w.Add(35, Xform(1, 0, 0, 1, 20, 0)).Add(36, Cat({Xform(2, 0, 0, 2, 0, 0), Longs({2})}));
                             Rect(RedFill(w), 0, 0, 10, 10);
                         });
                     },
                     {{35, 15, kQRed}, {15, 5, kQWhite}, {45, 5, kQWhite}}});
    cases.push_back({"emf_intersect_clip",
                     [] { return Emf([](EmfWriter& w) { Rect(RedFill(w.Add(30, Longs({0, 0, 20, 48}))), 0, 0, 96, 48); }); },
                     {{10, 10, kQRed}, {30, 10, kQWhite}}});
    cases.push_back({"emf_exclude_clip",
                     [] { return Emf([](EmfWriter& w) { Rect(RedFill(w.Add(29, Longs({0, 0, 20, 48}))), 0, 0, 96, 48); }); },
                     {{10, 10, kQWhite}, {30, 10, kQRed}}});
    cases.push_back({"emf_restoredc_restores_clip_and_brush",
                     [] {
                         return Emf([](EmfWriter& w) {
                             RedFill(w).Add(33, {}).Add(30, Longs({0, 0, 20, 48}));
                             Brush(w, 2, kBlue).Add(34, Longs({-1}));
                             Rect(w, 0, 0, 96, 48);
                         });
                     },
                     {{10, 10, kQRed}, {30, 10, kQRed}}});
    cases.push_back({"emf_path_fill",
                     [] {
                         return Emf([](EmfWriter& w) {
                             RedFill(w).Add(59, {}).Add(27, Longs({10, 10})).Add(54, Longs({40, 10}));
                             w.Add(54, Longs({40, 40})).Add(54, Longs({10, 40})).Add(61, {}).Add(60, {});
                             w.Add(62, Longs({0, 0, 0, 0}));
                         });
                     },
                     {{25, 25, kQRed}, {50, 25, kQWhite}, {5, 5, kQWhite}}});
    cases.push_back({"emf_select_clip_path",
                     [] {
                         return Emf([](EmfWriter& w) {
                             w.Add(59, {}).Add(43, Longs({0, 0, 20, 48})).Add(60, {}).Add(67, Longs({5}));
                             Rect(RedFill(w), 0, 0, 96, 48);
                         });
                     },
                     {{10, 10, kQRed}, {30, 10, kQWhite}}});
    for (int mode : {1, 2}) {
        cases.push_back({mode == 1 ? "emf_polypolygon_alternate_leaves_hole" : "emf_polypolygon_winding_fills_hole",
                         [mode] {
                             return Emf([mode](EmfWriter& w) {
                                 RedFill(w).Add(19, Longs({mode}));
                                 w.Add(8, Cat({Longs({0, 0, 0, 0, 2, 8, 4, 4}), Square(0, 0, 40, 40), Square(10, 10, 30, 30)}));
                             });
                         },
                         {{20, 20, mode == 1 ? kQWhite : kQRed}, {5, 5, kQRed}}});
    }
    for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
        static std::vector<std::string> names;
        names.push_back("emf_stretchdibits_" + std::to_string(bits) + "_bits");
        cases.push_back({names.back().c_str(),
                         [bits] {
                             const Bytes dib = TwoPixelDib(bits);
                             const size_t header = bits <= 8 ? 48 : 40;
                             return Emf([&](EmfWriter& w) { w.Add(81, StretchDibits(dib, 2, 1, 0, 0, 96, 48, header)); });
                         },
                         {{10, 10, kQRed}, {40, 40, kQRed}, {60, 10, kQBlue}, {90, 40, kQBlue}}});
    }
    for (uint32_t compression : {1u, 2u}) {
        cases.push_back({compression == 1 ? "emf_stretchdibits_rle8" : "emf_stretchdibits_rle4",
                         [compression] {
                             // Palette 0 green, 1 red, 2 blue. Bottom row 0,1; end of line; top row
                             // 2,1; end of bitmap. RLE4 runs alternate the two nibbles of their byte.
                             const Bytes data = compression == 1 ? Bytes{1, 0, 1, 1, 0, 0, 1, 2, 1, 1, 0, 1}
                                                                 : Bytes{2, 0x01, 0, 0, 2, 0x21, 0, 1};
                             const Bytes dib = Dib(2, 2, compression == 1 ? 8 : 4, Longs({0x00FF00, 0xFF0000, 0x0000FF}),
                                                   data, compression);
                             return Emf([&](EmfWriter& w) { w.Add(81, StretchDibits(dib, 2, 2, 0, 0, 96, 48, 52)); });
                         },
                         {{20, 40, kQGreen}, {70, 40, kQRed}, {20, 10, kQBlue}, {70, 10, kQRed}}});
    }
    cases.push_back({"emf_stretchdibits_rle8_absolute_run_and_delta",
                     [] {
                         // 4 x 2: delta (1, 1) skips to the top row's second pixel, then an absolute
                         // run of 3 (padded), all red; the skipped pixels stay index 0 (green).
                         const Bytes data{0, 2, 1, 1, 0, 3, 1, 1, 1, 0, 0, 1};
                         const Bytes dib = Dib(4, 2, 8, Longs({0x00FF00, 0xFF0000}), data, 1);
                         return Emf([&](EmfWriter& w) { w.Add(81, StretchDibits(dib, 4, 2, 0, 0, 96, 48, 48)); });
                     },
                     {{10, 10, kQGreen}, {40, 10, kQRed}, {90, 10, kQRed}, {40, 40, kQGreen}}});
    cases.push_back({"emf_stretchdibits_bottom_up_rows",
                     [] {
                         // Rows in the file: bottom row green, top row red.
                         const Bytes dib = Dib(1, 2, 24, {}, Bytes{0, 255, 0, 0, 0, 0, 255, 0});
                         return Emf([&](EmfWriter& w) { w.Add(81, StretchDibits(dib, 1, 2, 0, 0, 96, 48, 40)); });
                     },
                     {{40, 10, kQRed}, {40, 40, kQGreen}}});
    for (int direction : {1, 2}) {
        // Pie of the circle in (0,0)-(48,48) from 3 o'clock to 12 o'clock.
        cases.push_back({direction == 1 ? "emf_pie_counterclockwise" : "emf_pie_clockwise",
                         [direction] {
                             return Emf([direction](EmfWriter& w) {
                                 RedFill(w).Add(57, Longs({direction}));
                                 w.Add(47, Longs({0, 0, 48, 48, 48, 24, 24, 0}));
                             });
                         },
                         {{36, 14, direction == 1 ? kQRed : kQWhite},
                          {12, 12, direction == 1 ? kQWhite : kQRed},
                          {36, 36, direction == 1 ? kQWhite : kQRed}}});
    }
    cases.push_back({"emf_polydraw_closes_its_figure",
                     [] {
                         return Emf([](EmfWriter& w) {
                             w.Add(38, Longs({1, 0, 4, 0, kRed})).Add(37, Longs({1}));
                             Bytes params = Longs({0, 0, 0, 0, 3, 10, 10, 40, 10, 40, 40});
                             params.insert(params.end(), {6, 2, 3});  // move, line, line + close
                             w.Add(56, params);
                         });
                     },
                     {{25, 10, kQRed}, {40, 25, kQRed}, {25, 25, kQRed}, {15, 35, kQWhite}}});
    cases.push_back({"emf_dib_pattern_brush_repeats_in_pixels",
                     [] {
                         const Bytes dib = TwoPixelDib(24);
                         return Emf([&](EmfWriter& w) {
                             w.Add(94, Cat({Longs({1, 0, 32, 40, 72, 8}), dib})).Add(37, Longs({1}));
                             w.Add(37, Longs({kNullPen}));
                             Rect(w, 0, 0, 96, 48);
                         });
                     },
                     {{0, 0, kQRed}, {1, 0, kQBlue}, {2, 5, kQRed}, {51, 7, kQBlue}}});
    cases.push_back({"wmf_stretchdib_and_dibbitblt_sources",
                     [] {
                         // Rows in the file: bottom green, top red. STRETCHDIB counts the source
                         // from the bottom (row 0 = green), DIBBITBLT from the top (row 0 = red).
                         const Bytes dib = Dib(1, 2, 24, {}, Bytes{0, 255, 0, 0, 0, 0, 255, 0});
                         WmfWriter w;
                         w.Add(0x020C, Words({48, 96}));
                         w.Add(0x0F43, Cat({Longs({0x00CC0020}), Words({0, 1, 1, 0, 0, 48, 48, 0, 0}), dib}));
                         w.Add(0x0940, Cat({Longs({0x00CC0020}), Words({0, 0, 1, 1, 0, 48}), dib}));
                         return w.Plain(0);
                     },
                     {{20, 20, kQGreen}, {48, 0, kQRed}, {49, 0, kQWhite}, {48, 1, kQWhite}}});
    cases.push_back({"emf_setdibitstodevice_band_of_scans",
                     [] {
                         // The header says 4 rows; the bits carry the bottom two (green, then red).
                         const Bytes header = Dib(1, 4, 24, {}, {});
                         const uint32_t fixed = 76;
                         return Emf([&](EmfWriter& w) {
                             w.Add(80, Cat({Longs({0, 0, 0, 0, 0, 0, 0, 0, 1, 2, fixed, 40, fixed + 40, 8, 0, 0, 2}), header,
                                            Bytes{0, 255, 0, 0, 0, 0, 255, 0}}));
                         });
                     },
                     {{0, 0, kQRed}, {0, 1, kQGreen}, {5, 5, kQWhite}}});
    cases.push_back({"wmf_placeable_window_mapping",
                     [] {
                         WmfWriter w;
                         w.Add(0x020B, Words({0, 0})).Add(0x020C, Words({100, 200}));
                         w.Add(0x02FC, Cat({Words({0}), Longs({kRed}), Words({0})})).Add(0x012D, Words({0}));
                         w.Add(0x02FA, Cat({Words({5, 0, 0}), Longs({0})})).Add(0x012D, Words({1}));
                         w.Add(0x041B, Words({50, 100, 0, 0}));  // bottom, right, top, left
                         return w.Placeable(0, 0, 200, 100, 200, 2);
                     },
                     {{40, 20, kQRed}, {60, 20, kQWhite}, {40, 30, kQWhite}}});
    cases.push_back({"wmf_deleted_slot_is_reused",
                     [] {
                         WmfWriter w;
                         w.Add(0x020C, Words({48, 96}));
                         w.Add(0x02FC, Cat({Words({0}), Longs({kBlue}), Words({0})}));  // slot 0
                         w.Add(0x01F0, Words({0}));                                      // free it
                         w.Add(0x02FC, Cat({Words({0}), Longs({kRed}), Words({0})}));   // slot 0 again
                         w.Add(0x012D, Words({0}));
                         w.Add(0x0324, Words({4, 10, 10, 40, 10, 40, 40, 10, 40}));
                         return w.Plain(1);
                     },
                     {{25, 25, kQRed}, {50, 25, kQWhite}}});
    return cases;
}

class PlaybackTest : public ::testing::TestWithParam<PlaybackCase> {};

TEST_P(PlaybackTest, PaintsWhereTheRecordsSay) {
    const QImage image = Render(GetParam().build());
    for (const Probe& probe : GetParam().probes)
        EXPECT_EQ(image.pixel(probe.x, probe.y) & 0xFFFFFF, probe.color) << "at " << probe.x << "," << probe.y;
}

INSTANTIATE_TEST_SUITE_P(Records, PlaybackTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Dark pixels in the columns [from, to) of an image: where text landed.
int DarkPixels(const QImage& image, int from, int to) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = from; x < to; ++x)
            if (qGray(image.pixel(x, y)) < 128) ++count;
    return count;
}

// SHIFTJIS_CHARSET font and text "日本" in code page 932, drawn at (48, 30).
Bytes WmfJapaneseText(uint16_t align) {
    WmfWriter w;
    w.Add(0x020C, Words({48, 96}));
    Bytes font = Words({-20, 0, 0, 0, 400});
    font.insert(font.end(), {0, 0, 0, 128, 0, 0, 0, 0, 'I', 'P', 'A', 'G', 'o', 't', 'h', 'i', 'c', 0});
    w.Add(0x02FB, font).Add(0x012D, Words({0}));
    w.Add(0x0102, Words({1}));  // transparent background
    w.Add(0x012E, Words({align}));
    w.Add(0x0521, Cat({Words({4}), Bytes{0x93, 0xFA, 0x96, 0x7B}, Words({30, 48})}));
    return w.Plain(1);
}

TEST(TextPlayback, AlignmentPlacesTheTextOnTheRightSideOfTheReference) {
    const QImage left = Render(WmfJapaneseText(0x18));          // TA_LEFT | TA_BASELINE
    const QImage right = Render(WmfJapaneseText(0x18 | 0x02));  // TA_RIGHT | TA_BASELINE
    EXPECT_GT(DarkPixels(left, 49, 96), 20);
    EXPECT_EQ(DarkPixels(left, 0, 47), 0);
    EXPECT_GT(DarkPixels(right, 0, 47), 20);
    EXPECT_EQ(DarkPixels(right, 49, 96), 0);
}

TEST(TextCodec, DecodesCodePagesCharacterByCharacter) {
    struct Case {
        std::string bytes;
        uint8_t charSet;
        std::u16string text;
        std::vector<int> widths;
    };
    const Case cases[] = {
        {"\x93\xFA\x96\x7B", 128, u"日本", {2, 2}},
        {"\x81\x60", 128, u"\uFF5E", {2}},
        {"A\xB1", 128, u"Aｱ", {1, 1}},      // half-width katakana is one byte
        {"A\x93", 128, u"A\uFFFD", {1, 1}},  // lead byte cut off at the end
        {"\xE9t\xE9", 0, u"été", {1, 1, 1}},
        {"\xC0", 204, u"А", {1}},
    };
    for (const Case& c : cases) {
        const auto chars = gfx::metafile::DecodeCharsetText(c.bytes, c.charSet);
        QString joined;
        std::vector<int> widths;
        for (const auto& ch : chars) {
            joined += ch.text;
            widths.push_back(ch.bytes);
        }
        EXPECT_EQ(joined, QString::fromStdU16String(c.text)) << c.bytes;
        EXPECT_EQ(widths, c.widths) << c.bytes;
    }
}

// Drawing through the framework canvas, into bitmaps of either row order and
// another pixel format, with plain and reversed rectangles.
TEST(CanvasDraw, DrawsIntoBitmapsAndMirrorsOnReversedRectangles) {
    gfx::MetafileGraphic graphic;
    graphic.LoadFromBytes(Emf([](EmfWriter& w) { Rect(RedFill(w), 0, 0, 24, 12); }));  // top-left quarter
    struct Case {
        gfx::PixelFormat format;
        bool bottomUp;
        gfx::Rect rect;
        gfx::Point red, white;
    };
    const Case cases[] = {
        {gfx::PixelFormat::pf32bit, false, {0, 0, 96, 48}, {5, 5}, {90, 40}},
        {gfx::PixelFormat::pf32bit, false, {96, 0, 0, 48}, {90, 5}, {5, 5}},
        {gfx::PixelFormat::pf32bit, false, {0, 48, 96, 0}, {5, 42}, {5, 5}},
        {gfx::PixelFormat::pf32bit, true, {0, 0, 96, 48}, {5, 5}, {5, 42}},
        {gfx::PixelFormat::pf24bit, false, {0, 0, 96, 48}, {5, 5}, {90, 40}},
        {gfx::PixelFormat::pf32bit, false, {10, 10, 58, 34}, {12, 12}, {5, 5}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> memory;
        std::unique_ptr<gfx::Bitmap> owned;
        gfx::Bitmap* bitmap;
        if (c.bottomUp) {
            memory.assign(96 * 4 * 48, 0xFF);
            owned = gfx::Bitmap::Wrap(memory.data() + 96 * 4 * 47, 96, 48, gfx::PixelFormat::pf32bit, -96 * 4);
        } else {
            owned = std::make_unique<gfx::Bitmap>(96, 48, c.format);
            owned->GetCanvas().brushColor = gfx::clWhite;
            owned->GetCanvas().FillRect({0, 0, 96, 48});
        }
        bitmap = owned.get();
        bitmap->GetCanvas().StretchDraw(c.rect, graphic);
        EXPECT_EQ(bitmap->Pixel(c.red.x, c.red.y), gfx::RGB(255, 0, 0)) << c.rect.left << "," << c.rect.top;
        EXPECT_EQ(bitmap->Pixel(c.white.x, c.white.y), gfx::clWhite) << c.rect.left << "," << c.rect.top;
    }
}

TEST(Registry, OpensMetafilesByExtension) {
    gfx::RegisterMetafileFormats();
    std::vector<std::string> descriptions;
    for (const auto& format : gfx::PictureRegistry::FileFormats())
        if (format.extension == "wmf" || format.extension == "emf") descriptions.push_back(format.description);
    EXPECT_EQ(descriptions, (std::vector<std::string>{"メタファイル", "エンハンス メタファイル"}));
    for (const char* name : {"shapes.wmf", "image.emf"}) {
        gfx::Picture picture;
        picture.LoadFromFile(std::string(MORVI_SOURCE_DIR) + "/tests/data/metafile/" + name);
        ASSERT_NE(picture.GetGraphic(), nullptr);
        EXPECT_EQ(picture.GetGraphic()->ClassName(), "TMetafile");
        EXPECT_GT(picture.Width(), 0);
    }
}

}  // namespace
