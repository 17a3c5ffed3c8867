// Files built record by record: every broken one must be refused with
// EInvalidGraphic naming the problem, every odd but valid one must load and draw.
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include "gfx/exceptions.h"
#include "metafile/metafile.h"
#include "record_writer.h"

namespace {

using namespace metafile_test;

constexpr uint16_t kWmfSelectObject = 0x012D;
constexpr uint16_t kWmfCreateBrush = 0x02FC;
constexpr uint16_t kWmfPolygon = 0x0324;
constexpr uint16_t kWmfRectangle = 0x041B;
constexpr uint16_t kWmfStretchDib = 0x0F43;
constexpr uint16_t kWmfSetWindowExt = 0x020C;
constexpr uint16_t kWmfExtTextOut = 0x0A32;
constexpr uint32_t kEmfRectangle = 43;
constexpr uint32_t kEmfSelectObject = 37;
constexpr uint32_t kEmfPolygon = 3;
constexpr uint32_t kEmfStretchDibits = 81;
constexpr uint32_t kEmfExtTextOutW = 84;
constexpr uint32_t kEmfSetWorldTransform = 35;
constexpr uint32_t kEmfComment = 70;

// STRETCHDIB of a 100 x 100 24-bit bitmap whose rows are not there.
Bytes ShortStretchDib() {
    return Cat({Longs({0x00CC0020}), Words({0, 100, 100, 0, 0, 10, 10, 0, 0}), Dib(100, 100, 24, {}, Bytes(30))});
}

// STRETCHDIBITS with the bitmap header at offBmi and cbBits bytes of rows.
Bytes EmfStretchDibits(int32_t width, int32_t height, uint32_t cbBits) {
    const Bytes dib = Dib(width, height, 24, {}, {});
    const uint32_t fixed = 8 + 72;  // record header + parameters up to cyDest
    return Cat({Longs({0, 0, 0, 0, 0, 0, 0, 0, width, height, fixed, 40, fixed + 40, cbBits, 0, 0x00CC0020, 10, 10}),
                dib, Bytes(std::min<uint32_t>(cbBits, 64))});
}

// STRETCHDIBITS of the given header (with its table or masks) and bits.
Bytes EmfDib(const Bytes& info, const Bytes& bits) {
    const uint32_t fixed = 8 + 72;
    return EmfWriter()
        .Add(kEmfStretchDibits, Cat({Longs({0, 0, 0, 0, 0, 0, 0, 0, 2, 2, fixed, int64_t(info.size()),
                                            int64_t(fixed + info.size()), int64_t(bits.size()), 0, 0x00CC0020, 10, 10}),
                                     info, bits}))
        .Finish(2540, 2540, 1);
}

struct BadFile {
    const char* name;
    Bytes bytes;
    const char* message;
};
void PrintTo(const BadFile& value, std::ostream* out) { *out << value.name; }

std::vector<BadFile> BadFiles() {
    std::vector<BadFile> files;
    files.push_back({"empty", {}, "header is truncated"});
    files.push_back({"not_a_metafile", Bytes(64, 'x'), "not a Windows metafile"});
    files.push_back({"wmf_record_size_zero", WmfWriter().Raw(Longs({0})).Raw(Words({kWmfRectangle})).Plain(0, false),
                     "has size 0"});
    files.push_back({"wmf_record_past_end",
                     WmfWriter().Raw(Longs({1000})).Raw(Words({kWmfRectangle, 1, 2, 3, 4})).Plain(0, false),
                     "runs past the end"});
    files.push_back({"wmf_truncated_record_header", WmfWriter().Raw(Words({7, 0})).Plain(0, false), "is truncated"});
    files.push_back({"wmf_truncated_parameters", WmfWriter().Add(kWmfRectangle, Words({1, 2})).Plain(0),
                     "parameters are truncated"});
    files.push_back({"wmf_object_index_out_of_range",
                     WmfWriter().Add(kWmfCreateBrush, Cat({Words({0}), Longs({0xFF}), Words({0})}))
                         .Add(kWmfSelectObject, Words({1}))
                         .Plain(1),
                     "object index 1 is out of range"});
    files.push_back({"wmf_object_table_full",
                     WmfWriter().Add(kWmfCreateBrush, Cat({Words({0}), Longs({0xFF}), Words({0})}))
                         .Add(kWmfCreateBrush, Cat({Words({0}), Longs({0xFF}), Words({0})}))
                         .Plain(1),
                     "is full"});
    files.push_back({"wmf_huge_point_count", WmfWriter().Add(kWmfPolygon, Words({30000, 1, 2, 3, 4})).Plain(0),
                     "count 30000 exceeds"});
    files.push_back({"wmf_bitmap_larger_than_its_bytes", WmfWriter().Add(kWmfStretchDib, ShortStretchDib()).Plain(0),
                     "needs 30000 bytes"});
    files.push_back({"wmf_text_longer_than_record",
                     WmfWriter().Add(kWmfExtTextOut, Words({0, 0, 200, 0, 0x4241})).Plain(0),
                     "parameters are truncated"});
    files.push_back({"placeable_zero_units_per_inch", WmfWriter().Placeable(0, 0, 100, 100, 0, 0), "0 units per inch"});

    files.push_back({"emf_without_signature",
                     [] {
                         Bytes b = EmfWriter().Finish(2540, 2540, 1);
                         b[40] = 'X';
                         return b;
                     }(),
                     "no EMF signature"});
    files.push_back({"emf_record_size_not_words",
                     EmfWriter().Raw(Longs({kEmfRectangle, 26, 0, 0, 5, 5})).Finish(2540, 2540, 1, false), "has size 26"});
    files.push_back({"emf_record_past_end",
                     EmfWriter().Raw(Longs({kEmfRectangle, 4000, 0, 0, 5, 5})).Finish(2540, 2540, 1, false),
                     "runs past the end"});
    files.push_back({"emf_object_index_out_of_range", EmfWriter().Add(kEmfSelectObject, Longs({7})).Finish(2540, 2540, 3),
                     "object index 7 is out of range"});
    files.push_back({"emf_huge_point_count",
                     EmfWriter().Add(kEmfPolygon, Longs({0, 0, 0, 0, 0xFFFFFFFF, 1, 2})).Finish(2540, 2540, 1),
                     "count 4294967295 exceeds"});
    files.push_back({"emf_bitmap_larger_than_its_bytes",
                     EmfWriter().Add(kEmfStretchDibits, EmfStretchDibits(64, 64, 4000)).Finish(2540, 2540, 1),
                     "lies outside the record"});
    files.push_back({"emf_bitmap_rows_missing",
                     EmfWriter().Add(kEmfStretchDibits, EmfStretchDibits(64, 64, 16)).Finish(2540, 2540, 1),
                     "only 16 present"});
    files.push_back({"dib_bit_count_7", EmfDib(Dib(2, 2, 7, {}, {}), Bytes(16)), "unsupported bit count 7"});
    files.push_back({"dib_mask_not_contiguous",
                     EmfDib(Cat({Dib(2, 2, 16, {}, {}, 3), Longs({0xF00F, 0x0F00, 0x00F0})}), Bytes(8)),
                     "not contiguous"});
    files.push_back({"dib_unknown_header_size", EmfDib(Longs({20, 2, 2, 0, 0}), Bytes(16)), "unknown header size 20"});
    files.push_back({"dib_colour_table_cut", EmfDib(Cat({Dib(2, 2, 8, {}, {}), Longs({0, 0})}), Bytes(8)),
                     "colour table is truncated"});
    files.push_back({"emf_text_outside_record",
                     EmfWriter()
                         .Add(kEmfExtTextOutW,
                              Longs({0, 0, 0, 0, 1, 0, 0, 10, 10, 50, 5000, 0, 0, 0, 0, 0, 0}))
                         .Finish(2540, 2540, 1),
                     "lies outside the record"});
    files.push_back({"emf_transform_not_finite",
                     [] {
                         Bytes params;
                         for (float f : {1.0f, 0.0f, 0.0f, std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f})
                             PutF(params, f);
                         return EmfWriter().Add(kEmfSetWorldTransform, params).Finish(2540, 2540, 1);
                     }(),
                     "not finite"});
    return files;
}

class BadFileTest : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadFileTest, IsRefusedWithAClearMessageAndKeepsTheOldPicture) {
    gfx::MetafileGraphic graphic;
    graphic.LoadFromBytes(WmfWriter().Add(kWmfSetWindowExt, Words({20, 30})).Plain(0));
    ASSERT_EQ(graphic.Width(), 30);
    try {
        graphic.LoadFromBytes(GetParam().bytes);
        FAIL() << "loaded a broken file";
    } catch (const gfx::EInvalidGraphic& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().message), std::string::npos) << e.what();
    }
    EXPECT_EQ(graphic.Width(), 30);
    EXPECT_EQ(graphic.Height(), 20);
}

INSTANTIATE_TEST_SUITE_P(Records, BadFileTest, ::testing::ValuesIn(BadFiles()),
                         [](const auto& info) { return std::string(info.param.name); });

struct OddFile {
    const char* name;
    Bytes bytes;
    int width;
    int height;
};
void PrintTo(const OddFile& value, std::ostream* out) { *out << value.name; }

std::vector<OddFile> OddFiles() {
    const Bytes emfPlus = Cat({Longs({12}), Bytes{'E', 'M', 'F', '+'}, Longs({0x4001, 0, 0})});
    return {
        {"wmf_unknown_record_skipped", WmfWriter().Add(0x0999, Words({1, 2, 3})).Add(kWmfSetWindowExt, Words({40, 50})).Plain(0),
         50, 40},
        {"wmf_without_eof", WmfWriter().Add(kWmfSetWindowExt, Words({40, 50})).Plain(0, false), 50, 40},
        {"wmf_without_extent_is_empty", WmfWriter().Add(kWmfRectangle, Words({5, 5, 0, 0})).Plain(0), 0, 0},
        {"placeable_size_from_bbox", WmfWriter().Placeable(-100, -50, 1340, 670, 1440, 0), 96, 48},
        {"emf_zero_frame", EmfWriter().Add(kEmfRectangle, Longs({0, 0, 5, 5})).Finish(0, 0, 1), 0, 0},
        {"emf_unknown_record_and_emf_plus_comment_skipped",
         EmfWriter().Add(200, Longs({1, 2})).Add(kEmfComment, emfPlus).Add(kEmfRectangle, Longs({0, 0, 5, 5})).Finish(2540, 1270, 1),
         96, 48},
    };
}

class OddFileTest : public ::testing::TestWithParam<OddFile> {};

TEST_P(OddFileTest, LoadsWithItsSizeAndDrawsWithoutHarm) {
    gfx::MetafileGraphic graphic;
    graphic.LoadFromBytes(GetParam().bytes);
    EXPECT_EQ(graphic.Width(), GetParam().width);
    EXPECT_EQ(graphic.Height(), GetParam().height);
    EXPECT_EQ(graphic.Empty(), GetParam().width == 0);
    QImage image(60, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    graphic.Paint(painter, QRectF(0, 0, 60, 60));
    graphic.Paint(painter, QRectF(60, 60, -60, -60));
}

INSTANTIATE_TEST_SUITE_P(Records, OddFileTest, ::testing::ValuesIn(OddFiles()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
