#include "codecs/colour/embedded_look.h"

#include <exiv2/exiv2.hpp>

#include <cstring>
#include <exception>
#include <limits>
#include <mutex>

namespace gfx {

namespace {

// The XMP toolkit inside exiv2 is initialised once for the process and is not
// thread-safe by itself; the converter reads pictures on several threads.
std::mutex xmpMutex;

void LockXmp(void* data, bool lock) {
    auto* mutex = static_cast<std::mutex*>(data);
    if (lock)
        mutex->lock();
    else
        mutex->unlock();
}

void PrepareExiv2() {
    static std::once_flag once;
    std::call_once(once, [] {
        // The library would print its complaints about odd metadata to stderr.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(LockXmp, &xmpMutex);
    });
}

Orientation OrientationIn(const Exiv2::ExifData& exif) {
    const auto tag = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
    if (tag == exif.end() || tag->count() < 1) return kUpright;
    const long value = tag->toLong();
    return value >= 1 && value <= 8 ? static_cast<Orientation>(value) : kUpright;
}

constexpr uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};

}  // namespace

Orientation OrientationOfExif(std::span<const uint8_t> exif) {
    if (exif.size() >= sizeof kExifHeader && std::memcmp(exif.data(), kExifHeader, sizeof kExifHeader) == 0)
        exif = exif.subspan(sizeof kExifHeader);
    if (exif.empty() || exif.size() > std::numeric_limits<uint32_t>::max()) return kUpright;
    PrepareExiv2();
    try {
        Exiv2::ExifData data;
        Exiv2::ExifParser::decode(data, exif.data(), static_cast<uint32_t>(exif.size()));
        return OrientationIn(data);
    } catch (const std::exception&) {
        return kUpright;
    }
}

EmbeddedLook ReadEmbeddedLook(std::span<const uint8_t> file) {
    EmbeddedLook look;
    if (file.empty() || file.size() > static_cast<size_t>(std::numeric_limits<long>::max())) return look;
    PrepareExiv2();
    try {
        auto image = Exiv2::ImageFactory::open(file.data(), static_cast<long>(file.size()));
        if (image.get() == nullptr) return look;
        image->readMetadata();
        look.orientation = OrientationIn(image->exifData());
        if (image->iccProfileDefined()) {
            const Exiv2::DataBuf* profile = image->iccProfile();
            if (profile->pData_ != nullptr && profile->size_ > 0)
                look.iccProfile.assign(profile->pData_, profile->pData_ + profile->size_);
        }
    } catch (const std::exception&) {
        // Unreadable metadata counts as none.
    }
    return look;
}

}  // namespace gfx
