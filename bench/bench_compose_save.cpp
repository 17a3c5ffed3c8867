// The main job through the picture session, the code the window and the
// converter run: one file of a batch (read through the DIB engine, brought to a
// quarter of its area, written as JPEG quality 90 through the safe save), the
// steps of it alone, and the same job driven through the hidden main window.
// compose_save.sh times the converter as a whole process beside libvips and
// ImageMagick on the same file.
//
// "--make-photo" only writes the 6000 x 4000 test photo and prints its path.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window/MorviMain_u.h"
#include "app/main_window/interaction.h"
#include "bench/bench_photos.h"
#include "codecs/jpeg.h"
#include "dib/kvdib.h"
#include "gfx/bitmap.h"
#include "gfx/picture.h"
#include "gfx/stream.h"
#include "session/batch_step.h"
#include "session/dib_normalise.h"
#include "session/output_file.h"
#include "session/picture_kinds.h"
#include "session/picture_session.h"

namespace {

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;

const std::string& PhotoPath() {
    static const std::string path = bench::TestPhoto(kWidth, kHeight);
    return path;
}

std::filesystem::path OutputFolder() { return std::filesystem::temp_directory_path() / "morvi-bench-compose-out"; }

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

QApplication& Application() {
    static int argc = 1;
    static char name[] = "bench_compose_save";
    static char* argv[] = {name, nullptr};
    static const std::unique_ptr<QApplication> app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        auto made = std::make_unique<QApplication>(argc, argv);
        gfx::RegisterStandardFormats();
        kvdib::RegisterKvDIB();
        return made;
    }();
    return *app;
}

// One file of the converter's batch: 1/4 of the area into another folder.
void BM_BatchStepQuarter(benchmark::State& state) {
    Application();
    const QString in = QString::fromStdString(PhotoPath());
    std::filesystem::create_directories(OutputFolder());
    morvi::BatchSettings settings;
    settings.position = -2;
    settings.outputFolder = QString::fromStdString(OutputFolder().string());
    morvi::PictureSession session;
    for (auto _ : state) {
        const morvi::BatchResult result = session.BatchStep(in, settings);
        benchmark::DoNotOptimize(result.width);
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
    SavedHalfSize(state, (OutputFolder() / std::filesystem::path(PhotoPath()).filename()).string());
}
BENCHMARK(BM_BatchStepQuarter)->Unit(benchmark::kMillisecond)->UseRealTime();

// The steps alone. Argument of the load: 1 through the DIB engine (dialog,
// batch), 0 without (drop, command line).
void BM_SessionLoad(benchmark::State& state) {
    Application();
    const QString in = QString::fromStdString(PhotoPath());
    morvi::PictureSession session;
    for (auto _ : state) {
        session.Load(in, state.range(0) == 1);
        benchmark::DoNotOptimize(session.State().PictureWidth);
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}
BENCHMARK(BM_SessionLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Argument: the road the picture came by, which decides its depth (32 bits
// after a drop, 24 after the engine).
void BM_SessionComposeHalf(benchmark::State& state) {
    Application();
    morvi::PictureSession session;
    session.Load(QString::fromStdString(PhotoPath()), state.range(0) == 1);
    for (auto _ : state) {
        const morvi::Output output = session.Compose(kWidth / 2, kHeight / 2);
        benchmark::DoNotOptimize(output.bitmap);
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}
BENCHMARK(BM_SessionComposeHalf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The open dialog's extra step: the loaded bitmap through the DIB engine and back.
void BM_NormaliseThroughDIB(benchmark::State& state) {
    gfx::Bitmap photo(kWidth, kHeight, gfx::PixelFormat::pf32bit);
    bench::PaintPhoto(photo);
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
    bench::PaintPhoto(*photo);
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
    const std::string out = (std::filesystem::temp_directory_path() / "morvi-bench-write.jpg").string();
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

// The same job through the main window, hidden: open (argument 1: by the open
// dialog, which also passes the picture through the DIB engine; 0: by a drop),
// type the half size into the two boxes, save as (the plain save would write
// over the opened file).
void BM_WindowResizeAndSave(benchmark::State& state) {
    Application();
    const QString in = QString::fromStdString(PhotoPath());
    const QString out = QString::fromStdString((std::filesystem::temp_directory_path() / "morvi-bench-window.jpg").string());
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
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
