#include "gfx/bitmap.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <sys/mman.h>

#include "gfx/canvas.h"
#include "gfx/dib_layout.h"
#include "gfx/dibheaders.h"
#include "gfx/exceptions.h"
#include "gfx/parallel.h"
#include "gfx/pixel_budget.h"
#include "gfx/pixels.h"
#include "gfx/resample.h"
#include "gfx/stream.h"

namespace gfx {

int BitsPerPixel(PixelFormat format) {
    switch (format) {
        case PixelFormat::pf1bit: return 1;
        case PixelFormat::pf4bit: return 4;
        case PixelFormat::pf8bit: return 8;
        case PixelFormat::pf16bit: return 16;
        case PixelFormat::pf24bit: return 24;
        case PixelFormat::pf32bit: return 32;
    }
    return 32;
}

bool IsIndexed(PixelFormat format) {
    return format == PixelFormat::pf1bit || format == PixelFormat::pf4bit || format == PixelFormat::pf8bit;
}

size_t RowBytes(PixelFormat format, int32_t width) {
    if (width < 0) throw EOutOfMemory("Invalid bitmap width " + std::to_string(width));
    // Rows are laid out as a DIB's are, so that a DIB section can view them.
    return static_cast<size_t>(DIBStride(width, BitsPerPixel(format)));
}

namespace {

Bitmap::StreamDecoder& InstalledDecoder() {
    static Bitmap::StreamDecoder decoder;
    return decoder;
}

// Bytes of the pixels proper in a row (without the padding), and the mask of
// the bits of the last of those bytes that belong to pixels.
size_t UsedRowBytes(PixelFormat format, int32_t width, uint8_t& lastMask) {
    const uint64_t bits = static_cast<uint64_t>(width) * static_cast<uint64_t>(BitsPerPixel(format));
    const unsigned rest = static_cast<unsigned>(bits % 8);
    lastMask = rest == 0 ? 0xFF : static_cast<uint8_t>(0xFF << (8 - rest));
    return static_cast<size_t>((bits + 7) / 8);
}

}  // namespace

Bitmap::Bitmap() = default;

Bitmap::Bitmap(int32_t width, int32_t height, PixelFormat format) { Allocate(width, height, format); }

Bitmap::~Bitmap() = default;

// An owned pixel block. Large blocks come from calloc, which hands out fresh
// pages already zero, and are offered huge pages: a photo's pixels fault in
// 2 MiB at a time instead of 4 KiB.
struct Bitmap::PixelStore {
    uint8_t* data = nullptr;
    size_t size = 0;
    PixelStore() = default;
    PixelStore(const PixelStore&) = delete;
    PixelStore& operator=(const PixelStore&) = delete;
    ~PixelStore() { std::free(data); }
};

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

void OfferHugePages(uint8_t* data, size_t size) {
    if (size < 4 * kHugePage) return;
    const uintptr_t start = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(kHugePage - 1);
    // Only advice: where the kernel declines, normal pages are used.
    if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

}  // namespace

namespace {

std::atomic<int> failCountdown = 0;

bool InjectedFailure() {
    if (failCountdown.load(std::memory_order_relaxed) <= 0) return false;
    return --failCountdown == 0;
}

}  // namespace

namespace testing {
void FailBitmapAllocationAfter(int calls) { failCountdown = calls; }
}  // namespace testing

void Bitmap::Allocate(int32_t width, int32_t height, PixelFormat format, bool zeroed) {
    if (width < 0 || height < 0)
        throw EOutOfMemory("Invalid bitmap size " + std::to_string(width) + " x " + std::to_string(height));
    CheckPictureBudget(width, height, "Bitmap");
    const size_t rowBytes = RowBytes(format, width);
    // Within the budget a row of at most 32 bits a pixel times the rows stays
    // below kMaxPictureBytes plus the padding of each row.
    const uint64_t total = static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(height);
    std::shared_ptr<PixelStore> block;
    if (total != 0 && InjectedFailure())
        throw EOutOfMemory("Out of memory for a bitmap of " + std::to_string(width) + " x " + std::to_string(height) +
                           " pixels");
    if (total != 0) {
        block = std::make_shared<PixelStore>();
        void* data = zeroed ? std::calloc(static_cast<size_t>(total), 1) : std::malloc(static_cast<size_t>(total));
        if (data == nullptr)
            throw EOutOfMemory("Out of memory for a bitmap of " + std::to_string(width) + " x " +
                               std::to_string(height) + " pixels");
        block->data = static_cast<uint8_t*>(data);
        block->size = static_cast<size_t>(total);
        OfferHugePages(block->data, block->size);
    }
    storage_ = std::move(block);
    width_ = width;
    height_ = height;
    format_ = format;
    stride_ = static_cast<ptrdiff_t>(rowBytes);
    top_ = storage_ ? storage_->data : nullptr;
    external_ = false;
}

void Bitmap::Detach() {
    if (external_ || !storage_ || storage_.use_count() == 1) return;
    const std::shared_ptr<PixelStore> shared = storage_;
    const ptrdiff_t offset = top_ - shared->data;
    Allocate(width_, height_, format_, false);
    std::memcpy(storage_->data, shared->data, shared->size);
    top_ = storage_->data + offset;
}

bool Bitmap::SharesPixels() const { return !external_ && storage_ && storage_.use_count() > 1; }

bool Bitmap::SharePixelsOf(const Bitmap& source) {
    if (&source == this) return true;
    if (external_ || source.external_ || source.width_ != width_ || source.height_ != height_ ||
        source.format_ != format_)
        return false;
    storage_ = source.storage_;
    top_ = source.top_;
    stride_ = source.stride_;
    return true;
}

std::unique_ptr<Bitmap> Bitmap::Wrap(uint8_t* topRow, int32_t width, int32_t height, PixelFormat format,
                                     ptrdiff_t stride, HPALETTE palette) {
    const size_t rowBytes = RowBytes(format, width);
    const size_t magnitude = static_cast<size_t>(stride < 0 ? -stride : stride);
    if (height < 0 || (height > 0 && width > 0 && (topRow == nullptr || magnitude < rowBytes)))
        throw EOutOfMemory("Invalid memory for a bitmap view");
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width_ = width;
    bitmap->height_ = height;
    bitmap->format_ = format;
    bitmap->stride_ = stride;
    bitmap->top_ = topRow;
    bitmap->external_ = true;
    bitmap->palette_ = std::move(palette);
    return bitmap;
}

void Bitmap::Adopt(Bitmap& other) {
    storage_ = std::move(other.storage_);
    width_ = other.width_;
    height_ = other.height_;
    format_ = other.format_;
    stride_ = other.stride_;
    top_ = other.top_;
    external_ = other.external_;
    palette_ = std::move(other.palette_);
    other.width_ = other.height_ = 0;
    other.top_ = nullptr;
    other.stride_ = 0;
    other.external_ = false;
}

void Bitmap::CopyFrom(const Bitmap& source) {
    if (!source.external_) {
        // Owned pixels are shared; the first writer takes a copy of its own.
        storage_ = source.storage_;
        width_ = source.width_;
        height_ = source.height_;
        format_ = source.format_;
        stride_ = source.stride_;
        top_ = source.top_;
        external_ = false;
        palette_ = source.palette_;
        return;
    }
    Bitmap copy;
    copy.Allocate(source.width_, source.height_, source.format_, false);
    const size_t rowBytes = static_cast<size_t>(copy.stride_);
    for (int32_t y = 0; y < source.height_ && rowBytes != 0; ++y)
        std::memcpy(copy.ScanLine(y), source.ScanLine(y), rowBytes);
    copy.palette_ = source.palette_;
    Adopt(copy);
}

std::unique_ptr<Bitmap> Bitmap::CloneBitmap() const {
    auto copy = std::make_unique<Bitmap>();
    copy->CopyFrom(*this);
    return copy;
}

std::unique_ptr<Graphic> Bitmap::Clone() const { return CloneBitmap(); }

void Bitmap::Assign(const Graphic* source) {
    if (source == nullptr) {
        // As the framework does: assigning nothing leaves an empty bitmap.
        Bitmap empty;
        Adopt(empty);
        Changed();
        return;
    }
    if (source == this) return;
    if (const auto* bitmap = dynamic_cast<const Bitmap*>(source)) {
        CopyFrom(*bitmap);
        Changed();
        return;
    }
    Graphic::Assign(source);
}

void Bitmap::AssignTo(Graphic& dest) const {
    if (auto* bitmap = dynamic_cast<Bitmap*>(&dest)) {
        bitmap->Assign(this);
        return;
    }
    Graphic::AssignTo(dest);
}

void Bitmap::SetWidth(int32_t value) { SetSize(value, height_); }

void Bitmap::SetHeight(int32_t value) { SetSize(width_, value); }

void Bitmap::SetSize(int32_t width, int32_t height) {
    if (width == width_ && height == height_) return;
    Bitmap resized(width, height, format_);
    const int32_t commonWidth = std::min(width, width_);
    const int32_t commonHeight = std::min(height, height_);
    if (commonWidth > 0) {
        uint8_t lastMask = 0xFF;
        const size_t used = UsedRowBytes(format_, commonWidth, lastMask);
        for (int32_t y = 0; y < commonHeight; ++y) {
            uint8_t* row = resized.ScanLine(y);
            std::memcpy(row, std::as_const(*this).ScanLine(y), used);
            // The bits of a shared byte that lie past the kept pixels start out zero.
            row[used - 1] &= lastMask;
        }
    }
    resized.palette_ = palette_;
    Adopt(resized);
    Changed();
}

void Bitmap::SetPixelFormat(PixelFormat format) {
    if (format == format_) return;
    Bitmap converted(width_, height_, format);
    converted.palette_ = palette_;
    if (IsIndexed(format) && palette_ && palette_->entries.size() > (size_t{1} << BitsPerPixel(format)))
        converted.palette_ = nullptr;  // too many colours: the depth's default table instead

    const std::vector<RGBQuad> fromTable = ColorTable();
    const std::vector<RGBQuad> toTable = converted.ColorTable();
    // Widening between indexed depths with the same table keeps the indices as they
    // are, so duplicate table entries are not merged.
    const bool keepIndices = IsIndexed(format_) && IsIndexed(format) &&
                             BitsPerPixel(format) > BitsPerPixel(format_) && fromTable == toTable;
    // Device pixels to 24 bits go straight from row to row.
    const bool pack = format_ == PixelFormat::pf32bit && format == PixelFormat::pf24bit;
    const Bitmap& self = *this;
    ForEachRowBand(height_, MinRowsPerBand(width_), [&](int64_t begin, int64_t end) {
        // Codecs remember nearest colours as they go: one pair per band.
        PixelCodec from(format_, fromTable);
        PixelCodec to(format, toTable);
        std::vector<uint32_t> row(pack ? 0 : static_cast<size_t>(width_));
        for (auto y = static_cast<int32_t>(begin); y < static_cast<int32_t>(end); ++y) {
            const uint8_t* src = self.ScanLine(y);
            uint8_t* dst = converted.top_ + static_cast<ptrdiff_t>(y) * converted.stride_;
            if (pack) {
                PackBGRXToBGR(src, dst, static_cast<size_t>(width_));
            } else if (keepIndices) {
                for (int32_t x = 0; x < width_; ++x) StoreRaw(dst, x, format, LoadRaw(src, x, format_));
            } else {
                from.ReadRow(src, 0, width_, row.data());
                to.WriteRow(dst, 0, width_, row.data());
            }
        }
    });
    Adopt(converted);
    Changed();
}

void Bitmap::SetPalette(HPALETTE palette) {
    palette_ = std::move(palette);
    SetPaletteModified(true);
    Changed();
}

std::vector<RGBQuad> Bitmap::ColorTable() const {
    if (!IsIndexed(format_)) return PaletteToColorTable(palette_);
    if (palette_) return PaletteToColorTable(palette_);
    return DefaultColorTable(format_);
}

uint8_t* Bitmap::ScanLine(int32_t y) {
    if (y < 0 || y >= height_) throw EInvalidGraphic("Scan line index out of range");
    Detach();
    return top_ + static_cast<ptrdiff_t>(y) * stride_;
}

const uint8_t* Bitmap::ScanLine(int32_t y) const {
    if (y < 0 || y >= height_) throw EInvalidGraphic("Scan line index out of range");
    return top_ + static_cast<ptrdiff_t>(y) * stride_;
}

Color Bitmap::Pixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0xFFFFFFFF;
    const uint32_t raw = LoadRaw(ScanLine(y), x, format_);
    if (!IsIndexed(format_)) return BGRXToColor(PixelCodec(format_, {}).Decode(raw) & 0xFFFFFF);
    if (palette_) {
        if (raw >= palette_->entries.size()) return clBlack;
        const PaletteEntry& e = palette_->entries[raw];
        return RGB(e.peRed, e.peGreen, e.peBlue);
    }
    const RGBQuad& q = DefaultColorTable(format_)[raw];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

void Bitmap::SetPixel(int32_t x, int32_t y, Color color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    PixelCodec codec = IsIndexed(format_) ? PixelCodec(*this) : PixelCodec(format_, {});
    uint8_t* row = ScanLine(y);
    uint32_t value = ColorToBGRX(color);
    // Keep the fourth byte of a device pixel as it was.
    if (format_ == PixelFormat::pf32bit) value |= LoadRaw(row, x, format_) & 0xFF000000u;
    codec.Write(row, x, value);
}

Canvas& Bitmap::GetCanvas() {
    if (!canvas_) canvas_ = std::make_unique<Canvas>(*this);
    return *canvas_;
}

void Bitmap::Draw(Canvas& canvas, const Rect& rect) const {
    if (Empty()) return;
    StretchBitmap(canvas.Target(), rect, *this, Rect{0, 0, width_, height_}, canvas.stretchMode);
}

void Bitmap::LoadFromStream(Stream& stream) {
    const StreamDecoder& decoder = InstalledDecoder();
    if (!decoder) throw EInvalidGraphic("Bitmap image is not valid");
    std::unique_ptr<Bitmap> loaded = decoder(stream);
    if (!loaded) throw EInvalidGraphic("Bitmap image is not valid");
    if (loaded->external_) {
        CopyFrom(*loaded);
    } else {
        Adopt(*loaded);
    }
    Changed();
}

void Bitmap::SaveToStream(Stream& stream) const {
    if (Empty()) return;
    const uint32_t bitCount = static_cast<uint32_t>(BitsPerPixel(format_));
    const std::vector<RGBQuad> colors = IsIndexed(format_) ? ColorTable() : std::vector<RGBQuad>{};
    const uint64_t rowBytes = static_cast<uint64_t>(RowBytes(format_, width_));
    const uint64_t imageBytes = rowBytes * static_cast<uint64_t>(height_);  // bounded by the pixel budget
    const uint64_t offBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + 4 * colors.size();
    if (offBits + imageBytes > UINT32_MAX) throw EInvalidGraphic("Bitmap too large for a BMP file");

    BITMAPFILEHEADER file;
    file.bfType = kBitmapFileType;
    file.bfSize = static_cast<uint32_t>(offBits + imageBytes);
    file.bfOffBits = static_cast<uint32_t>(offBits);
    BITMAPINFOHEADER info;
    info.biSize = sizeof(BITMAPINFOHEADER);
    info.biWidth = width_;
    info.biHeight = height_;
    info.biPlanes = 1;
    info.biBitCount = static_cast<uint16_t>(bitCount);
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<uint32_t>(imageBytes);
    info.biXPelsPerMeter = kDefaultPelsPerMeter;
    info.biYPelsPerMeter = kDefaultPelsPerMeter;
    info.biClrUsed = static_cast<uint32_t>(colors.size());
    stream.WriteBuffer(&file, sizeof file);
    stream.WriteBuffer(&info, sizeof info);
    if (!colors.empty()) stream.WriteBuffer(colors.data(), 4 * colors.size());
    // BMP rows run bottom-up; the padding bytes are written as zero.
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes), 0);
    uint8_t lastMask = 0xFF;
    const size_t used = UsedRowBytes(format_, width_, lastMask);
    for (int32_t y = height_ - 1; y >= 0; --y) {
        std::memcpy(row.data(), ScanLine(y), used);
        row[used - 1] &= lastMask;
        stream.WriteBuffer(row.data(), row.size());
    }
}

void Bitmap::SetStreamDecoder(StreamDecoder decoder) { InstalledDecoder() = std::move(decoder); }

}  // namespace gfx
