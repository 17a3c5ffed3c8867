#include "session/batch_step.h"

#include <QDir>
#include <QFileInfo>

#include "gfx/exceptions.h"
#include "session/output_size.h"
#include "session/picture_session.h"
#include "session/save_names.h"

namespace morvi {

SaveType DefaultBatchType(const QString& source) { return SaveTypeForName(source); }

QString BatchTarget(const QString& source, SaveType type, const QString& outputFolder) {
    QString target = outputFolder.isEmpty() ? source : QDir(outputFolder).filePath(QFileInfo(source).fileName());
    const QString wanted = type == SaveType::Jpeg ? QStringLiteral(".jpg") : QStringLiteral(".bmp");
    if (LowerExtension(target) != wanted) target = WithExtension(target, wanted);
    return target;
}

BatchResult PictureSession::BatchStep(const QString& source, const BatchSettings& settings) {
    // 1. The load of the batch: through the engine, the magnification kept, no
    //    region (a load removes it).
    SetCurrentFileName(source);
    Load(source, true);
    ClearSelection();
    // 2. The size boxes as the batch finds them, and its size rule.
    QString widthText = settings.width ? QString::number(*settings.width) : QStringLiteral("0");
    QString heightText = settings.height ? QString::number(*settings.height) : QStringLiteral("0");
    if (settings.position == 0 && settings.width.has_value() != settings.height.has_value()) {
        // One side given: the other follows this file's ratio, as leaving the box
        // with the aspect kept would make it.
        if (settings.width) {
            if (const auto h = HeightForWidth(*settings.width)) heightText = QString::number(*h);
        } else {
            widthText = QString::number(WidthForHeight(*settings.height));
        }
    }
    if (BatchTakesOwnSize(settings.position, widthText, heightText)) {
        widthText = QString::number(MagnifiedWidth(settings.position));
        heightText = QString::number(MagnifiedHeight(settings.position));
    }
    if (settings.region) {
        SetSelectionRect(*settings.region);
        MarkSelection();
    }
    // 3. The kind and the name, then the output and the file.
    const SaveType type = settings.type.value_or(DefaultBatchType(source));
    const QString target = BatchTarget(source, type, settings.outputFolder);
    SetCurrentFileName(target);
    const Output output = Compose(SizeTextOr(widthText.toStdString(), 100), SizeTextOr(heightText.toStdString(), 100));
    if (output.bitmap == nullptr) throw gfx::Exception(output.refusal.toStdString());
    WriteOutput(*output.bitmap, type);
    return {target, type, output.bitmap->Width(), output.bitmap->Height(), target != source};
}

}  // namespace morvi
