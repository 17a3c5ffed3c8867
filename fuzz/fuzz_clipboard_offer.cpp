// What another program may offer a paste: the first byte picks a MIME type the
// clipboard bridge knows (or one it must pass over), the rest is the offered
// bytes. The bridge's answers must agree with each other, and any packed DIB it
// makes goes on through the engine's CF_DIB reader into a bitmap, as paste does.
#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QImage>
#include <QMimeData>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <span>
#include <vector>

#include "dib/kvdib.h"
#include "fuzz_choices.h"
#include "fuzz_common.h"
#include "fuzz_qt_app.h"
#include "gfx/bitmap.h"
#include "gfx/dibheaders.h"
#include "gfx/pixel_budget.h"
#include "session/clipboard_offer.h"

namespace {

constexpr const char* kTypes[] = {
    "image/bmp", "image/x-bmp", "image/x-MS-bmp", "image/png", "image/jpeg", "image/gif",
    "application/x-qt-image", "image/x-emf", "image/emf",
    "application/x-openoffice-emf;windows_formatname=\"Image EMF\"", "image/x-wmf",
    "application/x-openoffice-wmf;windows_formatname=\"Image WMF\"", "image/svg+xml", "text/plain",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnsureQtApplication();
    fuzz::Choices choices(std::span<const uint8_t>(data, size));
    const char* type = kTypes[choices.Front() % std::size(kTypes)];
    const std::span<const uint8_t> offered = choices.Rest();
    const QByteArray bytes(reinterpret_cast<const char*>(offered.data()), static_cast<qsizetype>(offered.size()));
    QMimeData mime;
    // A Qt program offers its picture as a QImage, not as bytes.
    if (std::strcmp(type, "application/x-qt-image") == 0) mime.setImageData(QImage::fromData(bytes));
    else mime.setData(QString::fromLatin1(type), bytes);
    // Within the budget a picture costs what its size costs, seconds for the largest;
    // those are passed over so that the time goes to the bridge's answers. Claims
    // past the budget still go through, to be refused.
    {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        const QSize claimed = QImageReader(&buffer).size();
        // A top-down BMP tells its height negative.
        const int64_t width = std::abs(int64_t{claimed.width()}), height = std::abs(int64_t{claimed.height()});
        if (!fuzz::WithinWork(width, height) && width * height <= gfx::kMaxPicturePixels) {
            return 0;
        }
    }
    const gfx::MimeClipboardSource clipboard(&mime);
    fuzz::Require(clipboard.Metafile().has_value() == clipboard.HasFormat(gfx::CF_ENHMETAFILE),
                  "a metafile comes exactly with CF_ENHMETAFILE offered");
    std::optional<std::vector<uint8_t>> packed;
    // A picture claiming more than the pixel budget is refused, as paste refuses it.
    if (!fuzz::Attempt([&] { packed = clipboard.GetData(gfx::CF_DIB); })) return 0;
    fuzz::Require(!packed || clipboard.HasFormat(gfx::CF_DIB), "a packed DIB comes only with CF_DIB offered");
    if (!packed) return 0;
    // Within the budget a picture costs what its size costs; past the work size the
    // bridge's own answer is what is fuzzed, not the engine's copy of it.
    if (packed->size() >= 12) {
        int32_t width = 0, height = 0;
        std::memcpy(&width, packed->data() + 4, 4);
        std::memcpy(&height, packed->data() + 8, 4);
        if (!fuzz::WithinWork(std::abs(int64_t{width}), std::abs(int64_t{height}))) return 0;
    }
    kvdib::TKvDIB dib;
    if (!fuzz::Attempt([&] { dib.LoadFromClipboardFormat(gfx::CF_DIB, &*packed, nullptr); })) return 0;
    if (!fuzz::WithinWork(dib.Width(), dib.Height())) return 0;
    gfx::Bitmap bitmap;
    fuzz::Attempt([&] { dib.AssignTo(bitmap); });
    return 0;
}
