#include "codecs/jpeg.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include "codecs/colour/as_shown.h"
#include "gfx/canvas.h"
#include "gfx/exceptions.h"
#include "gfx/page_warmer.h"
#include "gfx/pixel_budget.h"
#include "gfx/pixels.h"
#include "gfx/stream.h"

namespace gfx {

namespace {

[[noreturn]] void ThrowJpegError(j_common_ptr info) {
    char text[JMSG_LENGTH_MAX] = {};
    (*info->err->format_message)(info, text);
    throw EInvalidGraphic(std::string("JPEG error: ") + text);
}

void ErrorExit(j_common_ptr info) { ThrowJpegError(info); }

// Warnings are ignored (the library repairs what it can), except that the data
// ended early: a cut-off file is reported instead of showing grey rows.
void EmitMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) ThrowJpegError(info);
}

// The library would print to stderr; a library of ours stays quiet.
void OutputMessage(j_common_ptr) {}

void InstallErrorManager(jpeg_error_mgr& errors) {
    jpeg_std_error(&errors);
    errors.error_exit = ErrorExit;
    errors.emit_message = EmitMessage;
    errors.output_message = OutputMessage;
}

struct Decompressor {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    Decompressor() {
        InstallErrorManager(errors);
        info.err = &errors;
        jpeg_create_decompress(&info);
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

struct Compressor {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    unsigned char* buffer = nullptr;  // grown by the library with malloc
    unsigned long size = 0;
    Compressor() {
        InstallErrorManager(errors);
        info.err = &errors;
        jpeg_create_compress(&info);
    }
    ~Compressor() {
        jpeg_destroy_compress(&info);
        std::free(buffer);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
};

// CMYK as Adobe writes it is stored inverted (0 = full ink); others store ink amounts.
void CmykToBGRX(const uint8_t* cmyk, uint32_t* out, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
        uint32_t c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        const uint32_t r = (c * k + 127) / 255, g = (m * k + 127) / 255, b = (y * k + 127) / 255;
        out[x] = b | (g << 8) | (r << 16);
    }
}

// The stream from its position to its end.
std::vector<uint8_t> ReadRest(Stream& stream) {
    const int64_t remaining = stream.Size() - stream.Position();
    std::vector<uint8_t> data(static_cast<size_t>(std::max<int64_t>(remaining, 0)));
    if (!data.empty()) stream.ReadBuffer(data.data(), data.size());
    return data;
}

// The smallest of libjpeg-turbo's IDCT scales (M/8 for M = 1 to 8) that still
// gives at least the wanted size (the library rounds a scaled side up), and
// leaves either exactly that size or a step of a quarter or more to the
// area-correct reduction after it: a small last step, such as 400 to 360, would
// smear the blocks of the scaled decode below the whole road's quality.
unsigned ScaleNumerator(JDIMENSION width, JDIMENSION height, Size wanted) {
    const auto wantedWidth = static_cast<uint64_t>(std::max(wanted.width, 1));
    const auto wantedHeight = static_cast<uint64_t>(std::max(wanted.height, 1));
    const auto fits = [](uint64_t scaled, uint64_t want) { return scaled == want || 4 * scaled >= 5 * want; };
    for (unsigned numerator = 1; numerator < 8; ++numerator) {
        const uint64_t w = (uint64_t{width} * numerator + 7) / 8, h = (uint64_t{height} * numerator + 7) / 8;
        if (fits(w, wantedWidth) && fits(h, wantedHeight)) return numerator;
    }
    return 8;
}

// The EXIF orientation (APP1) and the colour profile (APP2, possibly in several
// markers) of a header read with both kinds of marker saved.
EmbeddedLook LookOf(jpeg_decompress_struct& info) {
    EmbeddedLook look;
    for (jpeg_saved_marker_ptr m = info.marker_list; m != nullptr; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data != nullptr) {
            const Orientation orientation = OrientationOfExif({m->data, m->data_length});
            if (orientation != kUpright) look.orientation = orientation;
        }
    }
    JOCTET* icc = nullptr;
    unsigned int iccLength = 0;
    if (jpeg_read_icc_profile(&info, &icc, &iccLength) && icc != nullptr) look.iccProfile.assign(icc, icc + iccLength);
    std::free(icc);
    return look;
}

// The rows of the picture into the bitmap, the pages it will fill being made
// ready on another core meanwhile.
void DecodeRows(jpeg_decompress_struct& info, Bitmap& bitmap, bool cmyk) {
    const PageWarmer warmer(bitmap.ScanLine(0), static_cast<size_t>(bitmap.Stride()) * info.output_height);
    const JDIMENSION width = info.output_width;
    if (cmyk) {
        std::vector<uint8_t> row(4 * static_cast<size_t>(width));
        while (info.output_scanline < info.output_height) {
            const auto y = static_cast<int32_t>(info.output_scanline);
            JSAMPROW rows[1] = {row.data()};
            if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
            CmykToBGRX(row.data(), reinterpret_cast<uint32_t*>(bitmap.ScanLine(y)), width, info.saw_Adobe_marker);
        }
    } else {
        // The library writes the device format straight into the bitmap's rows.
        JSAMPROW rows[16];
        while (info.output_scanline < info.output_height) {
            const JDIMENSION first = info.output_scanline;
            const JDIMENSION n = std::min<JDIMENSION>(16, info.output_height - first);
            for (JDIMENSION i = 0; i < n; ++i) rows[i] = bitmap.ScanLine(static_cast<int32_t>(first + i));
            if (jpeg_read_scanlines(&info, rows, n) == 0) break;
        }
    }
}

}  // namespace

std::unique_ptr<Bitmap> ReadJpeg(const uint8_t* data, size_t size, const Graphic::SizeWanted& wanted) {
    Decompressor d;
    jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
    jpeg_save_markers(&d.info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(&d.info, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&d.info, TRUE);
    CheckPictureBudget(d.info.image_width, d.info.image_height, "JPEG");
    const EmbeddedLook look = LookOf(d.info);
    if (wanted) {
        // wanted takes and gives the upright size; the decoder works on the stored one.
        const auto storedWidth = static_cast<int32_t>(d.info.image_width);
        const auto storedHeight = static_cast<int32_t>(d.info.image_height);
        const bool turned = SwapsSides(look.orientation);
        Size want = turned ? wanted(storedHeight, storedWidth) : wanted(storedWidth, storedHeight);
        if (turned) std::swap(want.width, want.height);
        d.info.scale_denom = 8;
        d.info.scale_num = ScaleNumerator(d.info.image_width, d.info.image_height, want);
    }
    const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
    d.info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_start_decompress(&d.info);

    auto bitmap = std::make_unique<Bitmap>(static_cast<int32_t>(d.info.output_width),
                                           static_cast<int32_t>(d.info.output_height), PixelFormat::pf32bit);
    DecodeRows(d.info, *bitmap, cmyk);
    jpeg_finish_decompress(&d.info);
    return AsShown(std::move(bitmap), look, Alpha::None);
}

std::unique_ptr<Bitmap> ReadJpeg(Stream& stream) {
    const std::vector<uint8_t> data = ReadRest(stream);
    return ReadJpeg(data.data(), data.size());
}

void WriteJpeg(const Bitmap& bitmap, Stream& stream, int quality) {
    Compressor c;
    jpeg_mem_dest(&c.info, &c.buffer, &c.size);
    c.info.image_width = static_cast<JDIMENSION>(bitmap.Width());
    c.info.image_height = static_cast<JDIMENSION>(bitmap.Height());
    const bool packed24 = bitmap.Format() == PixelFormat::pf24bit;
    c.info.input_components = packed24 ? 3 : 4;
    c.info.in_color_space = packed24 ? JCS_EXT_BGR : JCS_EXT_BGRX;
    jpeg_set_defaults(&c.info);
    jpeg_set_quality(&c.info, quality, TRUE);
    jpeg_start_compress(&c.info, TRUE);

    const bool direct = packed24 || bitmap.Format() == PixelFormat::pf32bit;
    PixelCodec codec(bitmap);
    std::vector<uint32_t> converted(direct ? 0 : static_cast<size_t>(bitmap.Width()));
    while (c.info.next_scanline < c.info.image_height) {
        const auto y = static_cast<int32_t>(c.info.next_scanline);
        JSAMPROW row[1];
        if (direct) {
            // The library only reads the rows it is given.
            row[0] = const_cast<uint8_t*>(bitmap.ScanLine(y));
        } else {
            codec.ReadRow(bitmap.ScanLine(y), 0, bitmap.Width(), converted.data());
            row[0] = reinterpret_cast<uint8_t*>(converted.data());
        }
        jpeg_write_scanlines(&c.info, row, 1);
    }
    jpeg_finish_compress(&c.info);
    stream.WriteBuffer(c.buffer, c.size);
}

JpegImage::JpegImage() : bitmap_(std::make_unique<Bitmap>()) {}

JpegImage::~JpegImage() = default;

std::unique_ptr<Graphic> JpegImage::Clone() const {
    auto copy = std::make_unique<JpegImage>();
    copy->Assign(this);
    return copy;
}

void JpegImage::Draw(Canvas& canvas, const Rect& rect) const { bitmap_->Draw(canvas, rect); }

void JpegImage::LoadFromStream(Stream& stream) { LoadFromStreamFor(stream, {}); }

void JpegImage::LoadFromStreamFor(Stream& stream, const SizeWanted& wanted) {
    std::vector<uint8_t> data = ReadRest(stream);
    int32_t fullWidth = 0, fullHeight = 0;
    const SizeWanted noted = [&](int32_t width, int32_t height) {
        fullWidth = width;
        fullHeight = height;
        return wanted(width, height);
    };
    std::unique_ptr<Bitmap> decoded = ReadJpeg(data.data(), data.size(), wanted ? noted : SizeWanted{});
    const bool whole = !wanted || (decoded->Width() == fullWidth && decoded->Height() == fullHeight);
    bitmap_ = std::move(decoded);
    data_ = whole ? std::move(data) : std::vector<uint8_t>{};
    Changed();
}

void JpegImage::SaveToStream(Stream& stream) const {
    if (!data_.empty()) {
        stream.WriteBuffer(data_.data(), data_.size());
        return;
    }
    WriteJpeg(*bitmap_, stream, Quality);
}

void JpegImage::Assign(const Graphic* source) {
    if (source == this) return;
    if (const auto* jpeg = dynamic_cast<const JpegImage*>(source)) {
        auto pixels = jpeg->bitmap_->CloneBitmap();
        std::vector<uint8_t> data = jpeg->data_;
        bitmap_ = std::move(pixels);
        data_ = std::move(data);
        Quality = jpeg->Quality;
        Changed();
        return;
    }
    if (const auto* bitmap = dynamic_cast<const Bitmap*>(source)) {
        auto pixels = bitmap->CloneBitmap();
        if (pixels->Format() != PixelFormat::pf24bit && pixels->Format() != PixelFormat::pf32bit)
            pixels->SetPixelFormat(PixelFormat::pf32bit);
        bitmap_ = std::move(pixels);
        data_.clear();
        Changed();
        return;
    }
    Graphic::Assign(source);
}

void JpegImage::AssignTo(Graphic& dest) const {
    if (auto* bitmap = dynamic_cast<Bitmap*>(&dest)) {
        bitmap->Assign(bitmap_.get());
        return;
    }
    Graphic::AssignTo(dest);
}

}  // namespace gfx
