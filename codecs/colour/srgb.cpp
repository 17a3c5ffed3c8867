#include "codecs/colour/srgb.h"

#include <lcms2.h>

#include <cstring>
#include <memory>
#include <type_traits>

#include "gfx/bitmap.h"

namespace gfx {

namespace {

// Each conversion has a context of its own, so that readers on several threads
// share nothing and no complaint of the library reaches stderr.
struct ContextDeleter {
    void operator()(cmsContext context) const { cmsDeleteContext(context); }
};
struct ProfileDeleter {
    void operator()(void* profile) const { cmsCloseProfile(static_cast<cmsHPROFILE>(profile)); }
};
struct TransformDeleter {
    void operator()(void* transform) const { cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform)); }
};
using Context = std::unique_ptr<std::remove_pointer_t<cmsContext>, ContextDeleter>;
using Profile = std::unique_ptr<void, ProfileDeleter>;
using Transform = std::unique_ptr<void, TransformDeleter>;

Context QuietContext() {
    Context context(cmsCreateContext(nullptr, nullptr));
    if (context) cmsSetLogErrorHandlerTHR(context.get(), nullptr);
    return context;
}

}  // namespace

void ConvertToSrgb(Bitmap& pixels, std::span<const uint8_t> iccProfile) {
    if (iccProfile.empty() || pixels.Empty() || pixels.Format() != PixelFormat::pf32bit) return;
    if (iccProfile.size() > UINT32_MAX) return;
    const Context context = QuietContext();
    if (!context) return;
    const Profile source(cmsOpenProfileFromMemTHR(context.get(), iccProfile.data(),
                                                  static_cast<cmsUInt32Number>(iccProfile.size())));
    if (!source || cmsGetColorSpace(source.get()) != cmsSigRgbData) return;
    const Profile srgb(cmsCreate_sRGBProfileTHR(context.get()));
    if (!srgb) return;
    const Transform transform(cmsCreateTransformTHR(context.get(), source.get(), TYPE_BGRA_8, srgb.get(), TYPE_BGRA_8,
                                                    INTENT_RELATIVE_COLORIMETRIC,
                                                    cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_COPY_ALPHA));
    if (!transform) return;
    const auto width = static_cast<cmsUInt32Number>(pixels.Width());
    for (int32_t y = 0; y < pixels.Height(); ++y) {
        uint8_t* row = pixels.ScanLine(y);
        cmsDoTransform(transform.get(), row, row, width);
    }
}

std::vector<uint8_t> RgbProfile(Chromaticity red, Chromaticity green, Chromaticity blue, Chromaticity white,
                                ToneCurve curve) {
    const Context context = QuietContext();
    if (!context) return {};
    // The parametric curves of ICC: type 4 is y = (a x + b)^g above d, c x below.
    cmsToneCurve* tone = nullptr;
    switch (curve) {
        case ToneCurve::Srgb: {
            const cmsFloat64Number p[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
            tone = cmsBuildParametricToneCurve(context.get(), 4, p);
            break;
        }
        case ToneCurve::Bt709: {
            const cmsFloat64Number p[5] = {1 / 0.45, 1 / 1.099, 0.099 / 1.099, 1 / 4.5, 0.081};
            tone = cmsBuildParametricToneCurve(context.get(), 4, p);
            break;
        }
        case ToneCurve::Linear: tone = cmsBuildGamma(context.get(), 1.0); break;
        case ToneCurve::Gamma22: tone = cmsBuildGamma(context.get(), 2.2); break;
        case ToneCurve::Gamma28: tone = cmsBuildGamma(context.get(), 2.8); break;
    }
    if (tone == nullptr) return {};
    cmsToneCurve* curves[3] = {tone, tone, tone};
    const cmsCIExyY whitePoint{white.x, white.y, 1.0};
    const cmsCIExyYTRIPLE primaries{{red.x, red.y, 1.0}, {green.x, green.y, 1.0}, {blue.x, blue.y, 1.0}};
    const Profile profile(cmsCreateRGBProfileTHR(context.get(), &whitePoint, &primaries, curves));
    cmsFreeToneCurve(tone);
    if (!profile) return {};
    cmsUInt32Number size = 0;
    if (!cmsSaveProfileToMem(profile.get(), nullptr, &size) || size == 0) return {};
    std::vector<uint8_t> bytes(size);
    if (!cmsSaveProfileToMem(profile.get(), bytes.data(), &size)) return {};
    bytes.resize(size);
    return bytes;
}

}  // namespace gfx
