// Damaged data through the readers of this layer: mutated JPEG files and random
// RLE streams must either draw or be refused with EInvalidGraphic, never crash or
// read outside their block (the sanitizer build runs these).
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/dibfuncs.h"
#include "gfx/exceptions.h"
#include "gfx/jpeg.h"
#include "gfx/stream.h"
#include "pictures.h"

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
            ASSERT_LE(static_cast<uint64_t>(decoded->Width()) * decoded->Height(), gfx::kMaxJpegPixels);
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

}  // namespace
