// Damaged data through the readers of this layer: mutated JPEG files and random
// RLE streams must either draw or be refused with EInvalidGraphic, never crash or
// read or write outside their block (the sanitizer build runs these); headers
// that claim more than the pixel budget are refused before any allocation.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "codecs/jpeg.h"
#include "dib/dibfuncs.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/exceptions.h"
#include "gfx/pixel_budget.h"
#include "gfx/rle_lenient.h"
#include "gfx/stream.h"
#include "tests/gfx/pictures.h"

namespace {

TEST(HostileInput, MutatedJpegsDecodeOrAreRefused) {
    gfx::MemoryStream out;
    gfx::WriteJpeg(*gfxtest::Numbered(48, 40), out);
    const std::vector<uint8_t> good = out.TakeBytes();
    std::mt19937 random(20261207);
    int refused = 0;
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes = good;
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < flips; ++i) bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        if (round % 3 == 0) bytes.resize(random() % bytes.size());
        try {
            const auto decoded = gfx::ReadJpeg(bytes.data(), bytes.size());
            ASSERT_TRUE(gfx::FitsPictureBudget(decoded->Width(), decoded->Height()));
        } catch (const gfx::EInvalidGraphic&) {
            ++refused;
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(HostileInput, RandomRleStreamsStayInsideTheirBlock) {
    std::mt19937 random(7);
    for (int round = 0; round < 400; ++round) {
        const bool fourBit = round % 2 == 1;
        gfx::BITMAPINFOHEADER header;
        header.biSize = sizeof header;
        header.biWidth = 1 + static_cast<int32_t>(random() % 40);
        header.biHeight = (round % 4 < 2 ? 1 : -1) * (1 + static_cast<int32_t>(random() % 30));
        header.biPlanes = 1;
        header.biBitCount = fourBit ? 4 : 8;
        header.biCompression = fourBit ? gfx::BI_RLE4 : gfx::BI_RLE8;
        // Small counts and escapes are likely, as in real streams.
        std::vector<uint8_t> block(random() % 300);
        for (uint8_t& b : block) b = static_cast<uint8_t>(random() % 3 == 0 ? random() % 4 : random());
        std::vector<gfx::RGBQuad> table(fourBit ? 16 : 256);
        const gfx::BitmapInfoView info{&header, table.data(), static_cast<uint32_t>(table.size())};
        gfx::Bitmap dest(header.biWidth, header.biHeight < 0 ? -header.biHeight : header.biHeight);
        const int32_t h = dest.Height();
        gfx::StretchDIBits(dest.GetCanvas(), 0, 0, header.biWidth, h, 0, 0, header.biWidth, h, block.data(),
                           block.size(), info, gfx::DIB_RGB_COLORS, gfx::SRCCOPY);
    }
}

// A 1 x 1 RLE8 picture whose stream never ends its line: 8.4 million run pixels
// used to wrap a 32-bit column back to "inside" and write 2 GB before the row.
TEST(HostileInput, ARunThatNeverEndsItsLineStaysInItsRow) {
    std::vector<uint8_t> stream = {1, 7};  // the one visible pixel: index 7
    const size_t pairs = (size_t{1} << 31) / 255 + 1000;
    stream.reserve(2 + 2 * pairs);
    for (size_t i = 0; i < pairs; ++i) {
        stream.push_back(255);
        stream.push_back(3);
    }
    gfx::BITMAPINFOHEADER header;
    header.biSize = sizeof header;
    header.biWidth = 1;
    header.biHeight = 1;
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biCompression = gfx::BI_RLE8;
    std::vector<gfx::RGBQuad> table(256);
    table[7] = {10, 20, 30, 0};
    table[3] = {200, 200, 200, 0};
    const gfx::BitmapInfoView info{&header, table.data(), 256};
    gfx::Bitmap dest(1, 1);
    gfx::StretchDIBits(dest.GetCanvas(), 0, 0, 1, 1, 0, 0, 1, 1, stream.data(), stream.size(), info,
                       gfx::DIB_RGB_COLORS, gfx::SRCCOPY);
    EXPECT_EQ(dest.Pixel(0, 0), gfx::RGB(30, 20, 10));
}

// What the tolerant decoder sets, and where it stops, on the edge cases of a stream.
TEST(HostileInput, TheTolerantRleDecoderClipsAndStops) {
    struct Case {
        const char* name;
        std::vector<uint8_t> stream;
        bool fourBit;
        std::vector<uint8_t> expected;  // 4 x 2, stream row 0 first, 0 where nothing was set
    };
    const Case cases[] = {
        {"a run past the row end is cut there", {6, 5, 0, 0, 1, 9}, false, {5, 5, 5, 5, 9, 0, 0, 0}},
        {"a literal past the row end is cut there", {0, 5, 1, 2, 3, 4, 6, 0, 0, 0, 1, 9}, false, {1, 2, 3, 4, 9, 0, 0, 0}},
        {"a delta below the last row ends the picture", {1, 1, 0, 2, 0, 5, 1, 8}, false, {1, 0, 0, 0, 0, 0, 0, 0}},
        {"a delta moves right and down", {0, 2, 2, 1, 1, 6}, false, {0, 0, 0, 0, 0, 0, 6, 0}},
        {"end of picture stops everything", {1, 1, 0, 1, 1, 2}, false, {1, 0, 0, 0, 0, 0, 0, 0}},
        {"a literal cut by the data's end is drawn as far as it goes", {0, 4, 7, 8}, false, {7, 8, 0, 0, 0, 0, 0, 0}},
        {"a half escape at the end is ignored", {2, 4, 0}, false, {4, 4, 0, 0, 0, 0, 0, 0}},
        {"4-bit runs alternate their nibbles", {5, 0x12, 0, 0, 0, 3, 0x34, 0x50}, true, {1, 2, 1, 2, 3, 4, 5, 0}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> got(8, 0);
        gfx::DecodeRleLenient(c.stream, 4, 2, c.fourBit, [&](int64_t row, int64_t column, uint8_t index) {
            ASSERT_TRUE(row >= 0 && row < 2 && column >= 0 && column < 4) << c.name;
            got[static_cast<size_t>(row * 4 + column)] = index;
        });
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

// Headers that claim a gigantic picture are refused by the size they claim, with
// the size in the error, before memory for it is taken.
TEST(HostileInput, PicturesAboveTheBudgetAreRefusedByTheirHeader) {
    EXPECT_TRUE(gfx::FitsPictureBudget(16384, 16384));
    EXPECT_FALSE(gfx::FitsPictureBudget(16384, 16385));
    EXPECT_FALSE(gfx::FitsPictureBudget(0x7FFFFFFF, 0x7FFFFFFF));
    try {
        gfx::Bitmap huge(32768, 32768, gfx::PixelFormat::pf8bit);
        FAIL() << "a bitmap above the budget was made";
    } catch (const gfx::EPictureTooLarge& error) {
        EXPECT_EQ(error.ClaimedWidth(), 32768);
        EXPECT_EQ(error.ClaimedHeight(), 32768);
        EXPECT_NE(std::string(error.what()).find("32768 x 32768"), std::string::npos) << error.what();
    }
    // A JPEG header of 65000 x 65000 (the frame's size fields patched in a real file).
    gfx::MemoryStream out;
    gfx::WriteJpeg(*gfxtest::Numbered(16, 16), out);
    std::vector<uint8_t> jpeg = out.TakeBytes();
    for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = 0xFD;  // height 0xFDE8
            jpeg[i + 6] = 0xE8;
            jpeg[i + 7] = 0xFD;  // width
            jpeg[i + 8] = 0xE8;
            break;
        }
    }
    EXPECT_THROW(gfx::ReadJpeg(jpeg.data(), jpeg.size()), gfx::EPictureTooLarge);
}

}  // namespace
