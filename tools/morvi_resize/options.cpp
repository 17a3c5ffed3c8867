#include "tools/morvi_resize/options.h"

#include <QRegularExpression>

#include <cstdint>

namespace morvi::resize {

const char kUsage[] =
    "usage: morvi-resize (--out DIR | --in-place) [options] FILE|FOLDER...\n"
    "\n"
    "Brings every picture to one size, as the window's batch conversion does, and\n"
    "writes it as JPEG (quality 90), BMP (24 bits), PNG or WebP (quality 90, or\n"
    "lossless from a lossless source); a PNG, WebP or TIFF stays of its kind.\n"
    "\n"
    "Size (the window's rules; without one, every picture keeps its own size):\n"
    "  --magnification M   area factor of the magnification box: 2, 4 ... 20 or\n"
    "                      1/2, 1/4 ... 1/20 (1/4 halves both sides), 1/1\n"
    "  --width W           output width; the height follows each picture's ratio\n"
    "  --height H          output height; the width follows each picture's ratio\n"
    "  --no-keep-aspect    with --width and --height: exactly W x H (the default\n"
    "                      when both are given)\n"
    "  --region X,Y,W,H    hand on only this part, in output pixels\n"
    "Output:\n"
    "  --format bmp|jpg|png|webp\n"
    "                      the kind to write (default, as the window's batch:\n"
    "                      the kind of .jpg, .png, .webp, .tif and .tiff files,\n"
    "                      BMP for everything else)\n"
    "  --out DIR           write into DIR under the same file names\n"
    "  --in-place          write over the pictures themselves; a picture of\n"
    "                      another kind gets a new file of the kind written\n"
    "                      beside it\n"
    "Running:\n"
    "  --jobs N            pictures converted at once (default: the cores)\n"
    "  --quiet             no progress bar and no notes\n"
    "  --help              this text\n"
    "\n"
    "Exit status: 0 when every picture was written, 1 when some failed (each\n"
    "failure is named on stderr), 2 for unusable arguments.\n";

namespace {

int PositiveNumber(const QString& option, const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value <= 0) throw UsageError((option + " takes a whole number above 0, not \"" + text + "\"").toStdString());
    return value;
}

}  // namespace

std::optional<int> MagnificationPosition(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(1/)?([0-9]+)$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch()) return std::nullopt;
    const bool reduce = !match.captured(1).isEmpty();
    bool ok = false;
    const int n = match.captured(2).toInt(&ok);
    if (!ok) return std::nullopt;
    if (n == 1) return 0;
    if (n < 2 || n > 20 || n % 2 != 0) return std::nullopt;
    return reduce ? -n / 2 : n / 2;
}

Options ParseOptions(const QStringList& arguments, int defaultJobs) {
    Options options;
    options.jobs = defaultJobs;
    bool keepAspect = true;
    bool magnification = false;
    bool outGiven = false;
    auto value = [&](qsizetype& i, const QString& option) -> QString {
        if (i + 1 >= arguments.size()) throw UsageError((option + " needs a value").toStdString());
        return arguments[++i];
    };
    bool onlyFiles = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (onlyFiles || !a.startsWith(QLatin1String("--"))) {
            options.inputs << a;
        } else if (a == QLatin1String("--")) {
            onlyFiles = true;
        } else if (a == QLatin1String("--help")) {
            options.help = true;
        } else if (a == QLatin1String("--magnification")) {
            const QString text = value(i, a);
            const std::optional<int> position = MagnificationPosition(text);
            if (!position) {
                throw UsageError(("--magnification takes 2, 4 ... 20, 1/2, 1/4 ... 1/20 or 1/1, not \"" + text + "\"")
                                     .toStdString());
            }
            options.settings.position = *position;
            magnification = true;
        } else if (a == QLatin1String("--width")) {
            options.settings.width = PositiveNumber(a, value(i, a));
        } else if (a == QLatin1String("--height")) {
            options.settings.height = PositiveNumber(a, value(i, a));
        } else if (a == QLatin1String("--no-keep-aspect")) {
            keepAspect = false;
        } else if (a == QLatin1String("--region")) {
            const QString text = value(i, a);
            const QStringList parts = text.split(QLatin1Char(','));
            bool ok = parts.size() == 4;
            int v[4] = {};
            for (int k = 0; ok && k < 4; ++k) v[k] = parts[k].trimmed().toInt(&ok);
            if (!ok || v[0] < 0 || v[1] < 0 || v[2] <= 0 || v[3] <= 0 || int64_t{v[0]} + v[2] > INT32_MAX ||
                int64_t{v[1]} + v[3] > INT32_MAX) {
                throw UsageError(("--region takes X,Y,W,H (X, Y from 0, W, H above 0), not \"" + text + "\"").toStdString());
            }
            options.settings.region = gfx::Rect{v[0], v[1], v[0] + v[2], v[1] + v[3]};
        } else if (a == QLatin1String("--format")) {
            const QString text = value(i, a).toLower();
            if (text == QLatin1String("bmp")) {
                options.settings.type = SaveType::Bmp;
            } else if (text == QLatin1String("jpg") || text == QLatin1String("jpeg")) {
                options.settings.type = SaveType::Jpeg;
            } else if (text == QLatin1String("png")) {
                options.settings.type = SaveType::Png;
            } else if (text == QLatin1String("webp")) {
                options.settings.type = SaveType::Webp;
            } else {
                throw UsageError(("--format takes bmp, jpg, png or webp, not \"" + text + "\"").toStdString());
            }
        } else if (a == QLatin1String("--out")) {
            options.settings.outputFolder = value(i, a);
            if (options.settings.outputFolder.isEmpty()) throw UsageError("--out needs a folder");
            outGiven = true;
        } else if (a == QLatin1String("--in-place")) {
            options.inPlace = true;
        } else if (a == QLatin1String("--jobs")) {
            options.jobs = PositiveNumber(a, value(i, a));
        } else if (a == QLatin1String("--quiet")) {
            options.quiet = true;
        } else {
            throw UsageError(("unknown option " + a).toStdString());
        }
    }
    if (options.help) return options;
    if (outGiven == options.inPlace) throw UsageError("say where to write: --out DIR or --in-place (one of them)");
    if (magnification && (options.settings.width || options.settings.height)) {
        throw UsageError("--magnification and --width/--height cannot be combined");
    }
    if (!keepAspect && options.settings.width.has_value() != options.settings.height.has_value()) {
        throw UsageError("--no-keep-aspect needs both --width and --height");
    }
    if (options.inputs.isEmpty()) throw UsageError("no pictures given");
    return options;
}

}  // namespace morvi::resize
