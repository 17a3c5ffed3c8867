#include "session/batch_step.h"

#include <QDir>
#include <QFileInfo>

#include "gfx/exceptions.h"
#include "session/output_size.h"
#include "session/picture_session.h"
#include "session/preview_fit.h"
#include "session/save_names.h"

namespace morvi {

SaveType DefaultBatchType(const QString& source) { return SaveTypeForName(source); }

QString BatchTarget(const QString& source, SaveType type, const QString& outputFolder) {
    const QString target = outputFolder.isEmpty() ? source : QDir(outputFolder).filePath(QFileInfo(source).fileName());
    return NameForKind(target, type);
}

namespace {

struct Boxes {
    QString width, height;
};

// The size boxes as the batch finds them for a picture of the given own size:
// the settings, with one side following the picture's ratio when only the other
// is given (as leaving the box with the aspect kept would make it).
Boxes BoxesFor(const BatchSettings& settings, int32_t ownWidth, int32_t ownHeight) {
    Boxes boxes{settings.width ? QString::number(*settings.width) : QStringLiteral("0"),
                settings.height ? QString::number(*settings.height) : QStringLiteral("0")};
    if (settings.position == 0 && settings.width.has_value() != settings.height.has_value()) {
        const int32_t aspect = AspectPercentOf(ownWidth, ownHeight);
        if (settings.width) {
            if (const auto h = HeightForWidth(*settings.width, aspect)) boxes.height = QString::number(*h);
        } else {
            boxes.width = QString::number(WidthForHeight(*settings.height, aspect));
        }
    }
    return boxes;
}

gfx::Size OutputFor(const BatchSettings& settings, int32_t ownWidth, int32_t ownHeight) {
    const Boxes boxes = BoxesFor(settings, ownWidth, ownHeight);
    return PictureSession::BatchOutputSize(settings.position, boxes.width, boxes.height, ownWidth, ownHeight);
}

}  // namespace

BatchResult PictureSession::BatchStep(const QString& source, const BatchSettings& settings) {
    // 1. The load of the batch, no larger than the output needs; a load removes
    //    any region.
    SetCurrentFileName(source);
    LoadForBatch(source, [&](int32_t width, int32_t height) { return OutputFor(settings, width, height); });
    ClearSelection();
    // 2. The output size from the picture's own size, by the batch's rules.
    const gfx::Size size = OutputFor(settings, State().PictureWidth, State().PictureHeight);
    if (settings.region) {
        SetSelectionRect(*settings.region);
        MarkSelection();
    }
    // 3. The kind and the name, then the output and the file.
    const SaveType type = settings.type.value_or(DefaultBatchType(source));
    const QString target = BatchTarget(source, type, settings.outputFolder);
    SetCurrentFileName(target);
    const Output output = Compose(size.width, size.height);
    if (output.bitmap == nullptr) throw gfx::Exception(output.refusal.toStdString());
    WriteOutput(*output.bitmap, type);
    return {target, type, output.bitmap->Width(), output.bitmap->Height(), target != source};
}

}  // namespace morvi
