// TMorviMain: the three roads by which a picture comes in (open dialog, drop,
// command line), the load sequence, the fitted preview and the clear.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/main_window/MorviMain_u.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/exceptions.h"
#include "session/file_kinds.h"

namespace morvi {
namespace {

// A file in the sense of the open roads: something that exists and is no folder.
bool FileExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

}  // namespace

bool TMorviMain::IsSupportedPictureFile(const QString& path) const
{
    return morvi::IsSupportedPictureFile(path);
}

void TMorviMain::SpeedButton1Click()
{
    // 1. The dialog starts where the last opened file was, or here at first.
    if (Session().OpenDirectory.isEmpty()) session_.SetOpenDirectory(QDir::currentPath());
    // 2. One file, any kind the loader knows; no extension test on this road.
    const QStringList chosen = interaction_.OpenPictures({Session().OpenDirectory, false});
    // 3.
    if (chosen.isEmpty() || !FileExists(chosen.constFirst())) return;
    // 4. Both are set before reading, so they name the file even if it fails.
    const QFileInfo file(chosen.constFirst());
    session_.SetCurrentFileName(file.absoluteFilePath());
    session_.SetOpenDirectory(file.absolutePath() + QLatin1Char('/'));
    LoadPictureFile(file.absoluteFilePath(), true);
}

void TMorviMain::WMDropFiles(const QStringList& paths)
{
    // 1. Only the first file of a drop counts. Its path is taken whole: any path
    //    the system can open is opened, however long.
    if (paths.isEmpty()) return;
    const QString path = paths.constFirst();
    // 2.
    if (!path.isEmpty() && FileExists(path) && IsSupportedPictureFile(path)) {
        session_.SetCurrentFileName(path);
        LoadPictureFile(path, false);
    }
}

void TMorviMain::LoadPictureFile(const QString& path, bool normalise, bool resetMagnification)
{
    // 1. Clear the preview.
    gfx::Canvas& preview = Image1->Canvas();
    preview.brushColor = gfx::clWhite;
    preview.FillRect({0, 0, Panel1->width(), Panel1->height()});
    Image1->Changed();
    // 2.-7. The session reads the file by its extension, draws it at its own size
    //    on white and keeps that bitmap (through the engine with normalise); a
    //    failure at any step leaves the previous picture as it was.
    session_.Load(path, normalise);
    ShowLoaded();
    // 11. The output size is the picture's own.
    if (!resetMagnification) return;
    UpDown1->SetPosition(0);
    UpDown1Click();
}

void TMorviMain::LoadBatchFile(const QString& path)
{
    // 1.
    gfx::Canvas& preview = Image1->Canvas();
    preview.brushColor = gfx::clWhite;
    preview.FillRect({0, 0, Panel1->width(), Panel1->height()});
    Image1->Changed();
    // 2.-7. As the open dialog reads it, no larger than the size boxes and the
    //    magnification will make it.
    session_.LoadForBatch(path, [this](int32_t width, int32_t height) {
        return PictureSession::BatchOutputSize(UpDown1->Position(), Edit1->text(), Edit2->text(), width, height);
    });
    ShowLoaded();
}

void TMorviMain::ShowLoaded()
{
    // 8.
    RefreshPreview();
    // 9. The full path is the status bar's tool tip as well.
    StatusBar1->SetPanelText(0, Session().CurrentFileName);
    SetStatusHint(Session().CurrentFileName);
    // 10.
    MenuSelectClearClick();
}

void TMorviMain::RefreshPreview()
{
    // 1., 4. The sizes and the whole-percent ratio, from the picture.
    session_.RefreshSizes();
    const SessionState& state = Session();
    // 2. During the batch the boxes keep the size the batch set.
    if (!InBatch()) {
        Edit1->setText(QString::number(state.PictureWidth));
        Edit2->setText(QString::number(state.PictureHeight));
    }
    // 3.
    StatusBar1->SetPanelText(1, QStringLiteral("元ｻｲｽﾞ %1 x %2").arg(state.PictureWidth).arg(state.PictureHeight));
    // 5.-7. Fitted with a 2-pixel margin and drawn at that size. The picture is
    //    the session's already: should even the small preview find no memory,
    //    it stays blank rather than leave the rest of the window behind.
    Preview fitted;
    try {
        fitted = session_.RenderPreview(Panel1->width(), Panel1->height());
    } catch (const gfx::EOutOfMemory&) {
        fitted.placement = FitPreview(Panel1->width(), Panel1->height(), state.AspectPercent);
    }
    const PreviewPlacement& fit = fitted.placement;
    Image1->resize(fit.width, fit.height);
    Image1->SetPicture(std::move(fitted.bitmap));
    // 8.
    Image1->move(fit.left, fit.top);
    // 9.
    SetPictureShown(true);
    // 10. The overlay lies exactly over the preview.
    Image3->setGeometry(Image1->geometry());
}

void TMorviMain::MenuGazouClearClick()
{
    Button3Click();
}

void TMorviMain::Button3Click()
{
    // 1.
    Edit1->setText(QStringLiteral("0"));
    Edit2->setText(QStringLiteral("0"));
    // 2.
    StatusBar1->SetPanelText(1, QString());
    StatusBar1->SetPanelText(0, QString());
    SetStatusHint(QString());
    // 3. The panel's own caption shows again.
    Image1->ClearPicture();
    Image3->ClearPicture();
    SetPictureShown(false);
    // 4.
    UpDown1->SetPosition(0);
    // 2., 5. No file, no size, ratio 1, no region; SourcePicture itself stays and
    //    the tag makes every command see no picture.
    session_.Clear();
    // 6.
    MenuSelectClearClick();
    UpDown1Click();
}

}  // namespace morvi
