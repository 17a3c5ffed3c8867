// Resizing a large photo to half its width and height and saving it as JPEG, the
// way the main window does it: the picture is read by its extension, drawn at
// its own size on white into the working bitmap and kept as a bitmap; the output
// bitmap of the chosen size is filled white and the picture stretch-drawn into
// it with the high-quality filter; the result is written as JPEG quality 90
// through the file writer that replaces the target only when complete. Each step
// is also timed alone, and the window itself is driven through the same job.
//
// Run with "--job IN OUT" the program does the whole job once on IN and exits,
// so that compose_save.sh can time it as a process beside libvips and
// ImageMagick on the same file. "--make-photo" only writes the test photo.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QLineEdit>
#include <QStringList>

#include "app/main_window/MorviMain_u.h"
#include "session/dib_normalise.h"
#include "app/main_window/interaction.h"
#include "session/output_file.h"
#include "dib/kvdib.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/jpeg.h"
#include "gfx/picture.h"
#include "gfx/qt/formats.h"
#include "gfx/safe_save.h"
#include "gfx/stream.h"

namespace {

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;
const char* const kPhotoPath = "/tmp/morvi-bench-compose-6000x4000.jpg";

// Smooth colour fields with fine grain on top, so the file codes like a photo
// (about 8.7 MB at quality 90) rather than like a flat test pattern.
void Paint(gfx::Bitmap& photo) {
    uint32_t noise = 12345;
    auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
    for (int32_t y = 0; y < photo.Height(); ++y) {
        uint8_t* row = photo.ScanLine(y);
        for (int32_t x = 0; x < photo.Width(); ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = static_cast<int>((noise >> 16) & 31) - 16;
            row[4 * x + 0] = clamp(x * 255 / photo.Width() + grain);
            row[4 * x + 1] = clamp(y * 255 / photo.Height() + grain);
            row[4 * x + 2] = clamp(((x / 97 + y / 61) % 7) * 36 + grain);
            row[4 * x + 3] = 0xFF;
        }
    }
}

// An earlier run may have been stopped while writing, or saved over the photo.
bool IsTestPhoto(const std::string& path) {
    if (!std::filesystem::exists(path)) return false;
    try {
        const std::vector<uint8_t> bytes = gfx::ReadWholeFile(path);
        const auto photo = gfx::ReadJpeg(bytes.data(), bytes.size());
        return photo->Width() == kWidth && photo->Height() == kHeight;
    } catch (const std::exception&) {
        return false;
    }
}

const std::string& PhotoPath() {
    static const std::string path = [] {
        if (!IsTestPhoto(kPhotoPath)) {
            gfx::Bitmap photo(kWidth, kHeight, gfx::PixelFormat::pf32bit);
            Paint(photo);
            gfx::SaveFileAtomically(kPhotoPath, [&photo](gfx::Stream& out) { gfx::WriteJpeg(photo, out); });
        }
        return std::string(kPhotoPath);
    }();
    return path;
}

std::string OutputPath() {
    return (std::filesystem::temp_directory_path() / "morvi-bench-compose-out.jpg").string();
}

// A run that saved nothing, or the wrong size, must not pass for a fast one.
bool SavedHalfSize(benchmark::State& state, const std::string& path) {
    std::string problem;
    try {
        const std::vector<uint8_t> bytes = gfx::ReadWholeFile(path);
        const auto saved = gfx::ReadJpeg(bytes.data(), bytes.size());
        if (saved->Width() != kWidth / 2 || saved->Height() != kHeight / 2)
            problem = "saved " + std::to_string(saved->Width()) + " x " + std::to_string(saved->Height());
    } catch (const std::exception& error) {
        problem = std::string("nothing readable saved: ") + error.what();
    }
    std::filesystem::remove(path);
    if (problem.empty()) return true;
    state.SkipWithError(problem.c_str());
    return false;
}

void EnsureFormats() {
    static const bool registered = [] {
        gfx::RegisterStandardFormats();
        kvdib::RegisterKvDIB();
        return true;
    }();
    (void)registered;
}

// The picture as the window keeps it after loading: the file drawn at its own
// size on white into the working bitmap, then copied into the picture.
void LoadPicture(const std::string& path, gfx::Picture& picture, gfx::Bitmap& work) {
    picture.LoadFromFile(path);
    const gfx::Graphic& loaded = *picture.GetGraphic();
    const int32_t width = loaded.Width();
    const int32_t height = loaded.Height();
    work.SetSize(width, height);
    gfx::Canvas& canvas = work.GetCanvas();
    canvas.brushColor = gfx::clWhite;
    canvas.FillRect({0, 0, width, height});
    canvas.copyMode = gfx::CopyMode::SrcCopy;
    canvas.StretchDraw({0, 0, width, height}, loaded);
    picture.Assign(work);
}

// The output bitmap: the working bitmap brought to the output size, white, with
// the picture stretch-drawn over it.
void Compose(const gfx::Picture& picture, gfx::Bitmap& work, int32_t width, int32_t height) {
    work.SetSize(width, height);
    gfx::Canvas& canvas = work.GetCanvas();
    canvas.brushColor = gfx::clWhite;
    canvas.FillRect({0, 0, width, height});
    canvas.copyMode = gfx::CopyMode::SrcCopy;
    canvas.StretchDraw({0, 0, width, height}, *picture.GetGraphic());
}

void ResizeAndSave(const std::string& in, const std::string& out) {
    EnsureFormats();
    gfx::Picture picture;
    gfx::Bitmap work;
    LoadPicture(in, picture, work);
    Compose(picture, work, picture.Width() / 2, picture.Height() / 2);
    morvi::WriteOutputPicture(work, out, morvi::SaveType::Jpeg);
}

void BM_ResizeAndSave(benchmark::State& state) {
    const std::string& in = PhotoPath();
    const std::string out = OutputPath();
    for (auto _ : state) ResizeAndSave(in, out);
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
    SavedHalfSize(state, out);
}
BENCHMARK(BM_ResizeAndSave)->Unit(benchmark::kMillisecond)->UseRealTime();

// The steps alone.

void BM_LoadPicture(benchmark::State& state) {
    EnsureFormats();
    const std::string& in = PhotoPath();
    for (auto _ : state) {
        gfx::Picture picture;
        gfx::Bitmap work;
        LoadPicture(in, picture, work);
        benchmark::DoNotOptimize(picture.GetGraphic());
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}
BENCHMARK(BM_LoadPicture)->Unit(benchmark::kMillisecond)->UseRealTime();

// Decoding alone is timed in bench_open_preview.

// Arguments: the stretch mode, so the filter's cost can be told from the walk,
// and the picture's depth: 32 as decoded, 24 after the open dialog's pass
// through the DIB engine.
void BM_ComposeHalf(benchmark::State& state) {
    gfx::Picture picture;
    {
        gfx::Bitmap photo(kWidth, kHeight, gfx::PixelFormat::pf32bit);
        Paint(photo);
        if (state.range(1) == 24) photo.SetPixelFormat(gfx::PixelFormat::pf24bit);
        picture.Assign(photo);
    }
    gfx::Bitmap work(kWidth / 2, kHeight / 2, gfx::PixelFormat::pf32bit);
    work.GetCanvas().stretchMode = static_cast<gfx::StretchMode>(state.range(0));
    for (auto _ : state) {
        Compose(picture, work, kWidth / 2, kHeight / 2);
        benchmark::DoNotOptimize(std::as_const(work).ScanLine(0));
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}
BENCHMARK(BM_ComposeHalf)
    ->Args({static_cast<int>(gfx::StretchMode::HighQuality), 32})
    ->Args({static_cast<int>(gfx::StretchMode::ColorOnColor), 32})
    ->Args({static_cast<int>(gfx::StretchMode::HighQuality), 24})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The open dialog's extra step: the loaded bitmap through the DIB engine and back.
void BM_NormaliseThroughDIB(benchmark::State& state) {
    gfx::Bitmap photo(kWidth, kHeight, gfx::PixelFormat::pf32bit);
    Paint(photo);
    for (auto _ : state) {
        state.PauseTiming();
        gfx::Picture picture;
        picture.Assign(photo);
        state.ResumeTiming();
        morvi::NormaliseThroughDIB(picture);
        benchmark::DoNotOptimize(picture.GetGraphic());
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}
BENCHMARK(BM_NormaliseThroughDIB)->Unit(benchmark::kMillisecond)->UseRealTime();

std::unique_ptr<gfx::Bitmap> HalfPhoto() {
    auto photo = std::make_unique<gfx::Bitmap>(kWidth / 2, kHeight / 2, gfx::PixelFormat::pf32bit);
    Paint(*photo);
    return photo;
}

void BM_EncodeJpegHalf(benchmark::State& state) {
    const auto photo = HalfPhoto();
    for (auto _ : state) {
        gfx::MemoryStream stream;
        gfx::WriteJpeg(*photo, stream, morvi::kJpegQuality);
        benchmark::DoNotOptimize(stream.Size());
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth / 2} * (kHeight / 2));
}
BENCHMARK(BM_EncodeJpegHalf)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteOutputHalf(benchmark::State& state) {
    const auto photo = HalfPhoto();
    const std::string out = OutputPath();
    for (auto _ : state) morvi::WriteOutputPicture(*photo, out, morvi::SaveType::Jpeg);
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth / 2} * (kHeight / 2));
    std::filesystem::remove(out);
}
BENCHMARK(BM_WriteOutputHalf)->Unit(benchmark::kMillisecond)->UseRealTime();

// The window's questions answered without a person: the picture to open, the
// file to save as JPEG, and yes to replacing it.
class Script : public morvi::Interaction {
public:
    Script(QString in, QString out) : in_(std::move(in)), out_(std::move(out)) {}
    void Beep() override {}
    morvi::BoxAnswer MessageBox(const QString&, const QString&, morvi::BoxIcon, morvi::BoxButtons) override {
        return morvi::BoxAnswer::Yes;
    }
    QStringList OpenPictures(const morvi::OpenRequest&) override { return {in_}; }
    std::optional<morvi::SaveAnswer> SaveFile(const morvi::SaveRequest&) override {
        return morvi::SaveAnswer{out_, static_cast<int>(morvi::SaveType::Jpeg)};
    }
    void ShowError(const QString& message) override { errors << message; }

    QStringList errors;

private:
    QString in_, out_;
};

QApplication& Application() {
    static int argc = 1;
    static char name[] = "bench_compose_save";
    static char* argv[] = {name, nullptr};
    static const std::unique_ptr<QApplication> app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QApplication>(argc, argv);
    }();
    return *app;
}

// The same job through the main window, hidden: open (argument 1: by the open
// dialog, which also passes the picture through the DIB engine; 0: by a drop),
// type the half size into the two boxes, save as (the plain save would write
// over the opened file).
void BM_WindowResizeAndSave(benchmark::State& state) {
    Application();
    EnsureFormats();
    const QString in = QString::fromStdString(PhotoPath());
    const QString out = QString::fromStdString(OutputPath());
    Script script(in, out);
    morvi::TMorviMain window(script, {});
    auto* widthBox = window.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    auto* heightBox = window.findChild<QLineEdit*>(QStringLiteral("Edit2"));
    if (widthBox == nullptr || heightBox == nullptr) {
        state.SkipWithError("the size boxes were not found");
        return;
    }
    const bool dialog = state.range(0) == 1;
    for (auto _ : state) {
        if (dialog)
            window.SpeedButton1Click();
        else
            window.WMDropFiles({in});
        widthBox->setText(QString::number(kWidth / 2));
        heightBox->setText(QString::number(kHeight / 2));
        window.SpeedButton3Click();
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
    if (!script.errors.isEmpty())
        state.SkipWithError(script.errors.constFirst().toStdString().c_str());
    else
        SavedHalfSize(state, out.toStdString());
}
BENCHMARK(BM_WindowResizeAndSave)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--make-photo") == 0) {
        std::puts(PhotoPath().c_str());
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--job") == 0) {
        if (argc != 4) {
            std::fputs("usage: bench_compose_save --job IN.jpg OUT.jpg\n", stderr);
            return 2;
        }
        try {
            ResizeAndSave(argv[2], argv[3]);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "bench_compose_save: %s\n", error.what());
            return 1;
        }
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
