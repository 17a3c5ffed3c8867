#include "codecs/heif.h"

#include <libheif/heif.h>

#include <memory>
#include <mutex>
#include <string>

#include "codecs/colour/as_shown.h"
#include "codecs/colour/srgb.h"
#include "gfx/exceptions.h"
#include "gfx/pixel_budget.h"

namespace gfx {

namespace {

struct ContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageDeleter {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};
struct NclxDeleter {
    void operator()(heif_color_profile_nclx* nclx) const { heif_nclx_color_profile_free(nclx); }
};

void Check(const heif_error& error, const char* context) {
    if (error.code != heif_error_Ok)
        throw EInvalidGraphic(std::string(context) + ": " + (error.message != nullptr ? error.message : "cannot read"));
}

ToneCurve CurveOf(heif_transfer_characteristics transfer) {
    switch (transfer) {
        case heif_transfer_characteristic_ITU_R_BT_709_5:
        case heif_transfer_characteristic_ITU_R_BT_601_6:
        case heif_transfer_characteristic_ITU_R_BT_2020_2_10bit:
        case heif_transfer_characteristic_ITU_R_BT_2020_2_12bit: return ToneCurve::Bt709;
        case heif_transfer_characteristic_linear: return ToneCurve::Linear;
        case heif_transfer_characteristic_ITU_R_BT_470_6_System_M: return ToneCurve::Gamma22;
        case heif_transfer_characteristic_ITU_R_BT_470_6_System_B_G: return ToneCurve::Gamma28;
        default: return ToneCurve::Srgb;
    }
}

// The colour profile of the image: an ICC profile as stored, or one made from
// the primaries and tone curve of a colour description (nclx). Empty for sRGB,
// and for the BT.709 primaries with one of the usual curves, which every viewer
// shows as sRGB.
std::vector<uint8_t> ProfileOf(const heif_image_handle* handle) {
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
        std::vector<uint8_t> icc(heif_image_handle_get_raw_color_profile_size(handle));
        if (icc.empty() || heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok) return {};
        return icc;
    }
    heif_color_profile_nclx* raw = nullptr;
    const heif_error error = heif_image_handle_get_nclx_color_profile(handle, &raw);
    // The description may be handed over even with an error (values it does
    // not know): it is owned before the answer is looked at.
    const std::unique_ptr<heif_color_profile_nclx, NclxDeleter> nclx(raw);
    if (error.code != heif_error_Ok || !nclx) return {};
    const bool srgbPrimaries = nclx->color_primaries == heif_color_primaries_ITU_R_BT_709_5 ||
                               nclx->color_primaries == heif_color_primaries_unspecified;
    const ToneCurve curve = CurveOf(nclx->transfer_characteristics);
    if (srgbPrimaries && (curve == ToneCurve::Srgb || curve == ToneCurve::Bt709)) return {};
    return RgbProfile({nclx->color_primary_red_x, nclx->color_primary_red_y},
                      {nclx->color_primary_green_x, nclx->color_primary_green_y},
                      {nclx->color_primary_blue_x, nclx->color_primary_blue_y},
                      {nclx->color_primary_white_x, nclx->color_primary_white_y}, curve);
}

}  // namespace

Decoded DecodeHeif(std::span<const uint8_t> bytes, const char* context) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { heif_init(nullptr); });

    const std::unique_ptr<heif_context, ContextDeleter> file(heif_context_alloc());
    if (!file) throw EOutOfMemory(std::string(context) + ": out of memory");
    Check(heif_context_read_from_memory_without_copy(file.get(), bytes.data(), bytes.size(), nullptr), context);
    heif_image_handle* rawHandle = nullptr;
    Check(heif_context_get_primary_image_handle(file.get(), &rawHandle), context);
    const std::unique_ptr<heif_image_handle, HandleDeleter> handle(rawHandle);
    CheckPictureBudget(heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get()), context);

    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    if (!options) throw EOutOfMemory(std::string(context) + ": out of memory");
    options->convert_hdr_to_8bit = 1;
    heif_image* rawImage = nullptr;
    Check(heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB, heif_chroma_interleaved_RGBA,
                            options.get()),
          context);
    const std::unique_ptr<heif_image, ImageDeleter> image(rawImage);
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (plane == nullptr || width <= 0 || height <= 0 || stride < 4 * width)
        throw EInvalidGraphic(std::string(context) + ": the image has no pixels");
    CheckPictureBudget(width, height, context);

    auto pixels = std::make_unique<Bitmap>(width, height, PixelFormat::pf32bit);
    for (int y = 0; y < height; ++y) {
        // stride >= 4 * width was checked above, so each row holds width pixels.
        const uint8_t* in = plane + static_cast<ptrdiff_t>(y) * stride;
        uint8_t* out = pixels->ScanLine(y);
        for (int x = 0; x < width; ++x, in += 4, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = in[3];
        }
    }
    EmbeddedLook look;
    look.iccProfile = ProfileOf(handle.get());
    const Alpha alpha = heif_image_handle_has_alpha_channel(handle.get()) ? Alpha::Straight : Alpha::None;
    return {AsShown(std::move(pixels), look, alpha), true};
}

}  // namespace gfx
