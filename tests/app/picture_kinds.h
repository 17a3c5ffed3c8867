// Pictures of the kinds besides the program's first six, made by the tests
// themselves: Qt's writers for PNG, TIFF and JPEG, ImageMagick for GIF, the tools
// of the webp, libheif and libavif packages for WebP, HEIC and AVIF, exiv2 to write an EXIF
// orientation or embed a colour profile, and LittleCMS for the profiles of
// Display P3 and Adobe RGB. Nothing is downloaded.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTransform>

#include <exiv2/exiv2.hpp>
#include <lcms2.h>

#include <cstdint>
#include <string>
#include <vector>

namespace morvi::test {

// The four corner colours of CornerMarks, far apart so that lossy coding keeps
// them apart: red top left, green top right, blue bottom left, yellow bottom right.
inline const QRgb kCornerColours[4] = {qRgb(230, 20, 20), qRgb(20, 200, 20), qRgb(20, 20, 230), qRgb(230, 230, 20)};

// An upright picture of w x h (multiples of 16) in four quadrants of the corner colours.
inline QImage CornerMarks(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, kCornerColours[(y >= h / 2 ? 2 : 0) + (x >= w / 2 ? 1 : 0)]);
    return image;
}

// The upright picture as a file of EXIF orientation n stores it: the inverse of
// the turn that orientation asks for.
inline QImage StoredFor(const QImage& upright, int n)
{
    switch (n) {
    case 2: return upright.mirrored(true, false);
    case 3: return upright.mirrored(true, true);
    case 4: return upright.mirrored(false, true);
    case 5: return upright.transformed(QTransform(0, 1, 1, 0, 0, 0));              // transposed
    case 6: return upright.transformed(QTransform().rotate(-90));                   // shown turned clockwise
    case 7: return upright.transformed(QTransform(0, -1, -1, 0, 0, 0));            // the other diagonal
    case 8: return upright.transformed(QTransform().rotate(90));
    default: return upright;
    }
}

inline QByteArray Encoded(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0) writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

inline bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline bool HaveTool(const QString& tool) { return !QStandardPaths::findExecutable(tool).isEmpty(); }

// Runs a tool; true when it ended with 0.
inline bool RunTool(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(tool, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// path in the kind its extension says (png, tif, tiff, gif, jpg, webp, heic, avif),
// from image through a PNG where a tool does the coding. Lossless WebP unless lossy.
inline bool WriteKind(const QString& path, const QImage& image, bool lossy = false)
{
    const QString ext = path.section(QLatin1Char('.'), -1).toLower();
    if (ext == QLatin1String("png")) return WriteFile(path, Encoded(image, "png"));
    if (ext == QLatin1String("tif") || ext == QLatin1String("tiff")) return WriteFile(path, Encoded(image, "tiff"));
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg")) return WriteFile(path, Encoded(image, "jpeg", 95));
    const QString png = path + QStringLiteral(".source.png");
    if (!WriteFile(png, Encoded(image, "png"))) return false;
    bool ok = false;
    if (ext == QLatin1String("webp"))
        ok = RunTool("cwebp", lossy ? QStringList{"-quiet", "-q", "95", png, "-o", path}
                                    : QStringList{"-quiet", "-lossless", "-exact", png, "-o", path});
    else if (ext == QLatin1String("gif"))
        ok = RunTool("convert", {png, path});  // Qt reads GIF but does not write it
    else if (ext == QLatin1String("heic") || ext == QLatin1String("heif"))
        ok = RunTool("heif-enc", {"-q", "95", "-o", path, png});
    else if (ext == QLatin1String("avif"))
        ok = RunTool("avifenc", {"--min", "4", "--max", "4", "-s", "10", png, path});
    QFile::remove(png);
    return ok;
}

// Writes the EXIF orientation into a JPEG, PNG, TIFF or WebP file.
inline bool SetOrientation(const QString& path, int n)
{
    try {
        auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
        image->readMetadata();
        image->exifData()["Exif.Image.Orientation"] = static_cast<uint16_t>(n);
        image->writeMetadata();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Embeds an ICC profile in a JPEG, PNG, TIFF or WebP file.
inline bool EmbedProfile(const QString& path, const std::vector<uint8_t>& icc)
{
    try {
        auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
        image->readMetadata();
        Exiv2::DataBuf profile(icc.data(), static_cast<long>(icc.size()));
        image->setIccProfile(profile);
        image->writeMetadata();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// An RGB matrix-and-curve profile as LittleCMS makes it.
inline std::vector<uint8_t> MakeProfile(const cmsCIExyY& white, const cmsCIExyYTRIPLE& primaries, cmsToneCurve* curve,
                                        const char* description)
{
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", description);
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
    cmsMLUfree(text);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

inline std::vector<uint8_t> DisplayP3Profile()
{
    const cmsFloat64Number srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    return MakeProfile({0.3127, 0.3290, 1.0}, {{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}},
                       cmsBuildParametricToneCurve(nullptr, 4, srgb), "Display P3 (test)");
}

inline std::vector<uint8_t> AdobeRgbProfile()
{
    return MakeProfile({0.3127, 0.3290, 1.0}, {{0.640, 0.330, 1.0}, {0.210, 0.710, 1.0}, {0.150, 0.060, 1.0}},
                       cmsBuildGamma(nullptr, 563.0 / 256.0), "Adobe RGB (1998) (test)");
}

// The CIEDE2000 difference of two sRGB colours.
inline double DeltaE2000(QRgb a, QRgb b)
{
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM toLab = cmsCreateTransform(srgb, TYPE_RGB_8, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
    const uint8_t rgb[6] = {static_cast<uint8_t>(qRed(a)), static_cast<uint8_t>(qGreen(a)), static_cast<uint8_t>(qBlue(a)),
                            static_cast<uint8_t>(qRed(b)), static_cast<uint8_t>(qGreen(b)), static_cast<uint8_t>(qBlue(b))};
    cmsCIELab labs[2];
    cmsDoTransform(toLab, rgb, labs, 2);
    cmsDeleteTransform(toLab);
    cmsCloseProfile(lab);
    cmsCloseProfile(srgb);
    return cmsCIE2000DeltaE(&labs[0], &labs[1], 1, 1, 1);
}

// A picture with many colours, saturated ones among them, to be tagged.
inline QImage ColourField(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 255) / (w - 1), (y * 255) / (h - 1), ((x + y) * 255) / (w + h - 2)));
    return image;
}

}  // namespace morvi::test
