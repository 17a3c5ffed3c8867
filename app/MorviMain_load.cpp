// TMorviMain: the three roads by which a picture comes in (open dialog, drop,
// command line), the load sequence, the fitted preview and the clear.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/MorviMain_u.h"
#include "app/dib_normalise.h"
#include "app/file_kinds.h"
#include "app/preview_fit.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"

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
    if (state_.OpenDirectory.isEmpty()) state_.OpenDirectory = QDir::currentPath();
    // 2. One file, any kind the loader knows; no extension test on this road.
    const QStringList chosen = interaction_.OpenPictures({state_.OpenDirectory, false});
    // 3.
    if (chosen.isEmpty() || !FileExists(chosen.constFirst())) return;
    // 4. Both are set before reading, so they name the file even if it fails.
    const QFileInfo file(chosen.constFirst());
    state_.CurrentFileName = file.absoluteFilePath();
    state_.OpenDirectory = file.absolutePath() + QLatin1Char('/');
    LoadPictureFile(state_.CurrentFileName, true);
}

void TMorviMain::WMDropFiles(const QStringList& paths)
{
    // 1. Only the first file of a drop counts. Its path is taken whole: any path
    //    the system can open is opened, however long.
    if (paths.isEmpty()) return;
    const QString path = paths.constFirst();
    // 2.
    if (!path.isEmpty() && FileExists(path) && IsSupportedPictureFile(path)) {
        state_.CurrentFileName = path;
        LoadPictureFile(state_.CurrentFileName, false);
    }
}

void TMorviMain::LoadPictureFile(const QString& path, bool normalise, bool resetMagnification)
{
    // 1. Clear the preview.
    gfx::Canvas& preview = Image1->Canvas();
    preview.brushColor = gfx::clWhite;
    preview.FillRect({0, 0, Panel1->width(), Panel1->height()});
    Image1->Changed();
    // 2. The loader picks the kind by the extension. The new picture is built
    //    completely beside the old one and installed only when every step has
    //    worked: an error in any of them leaves the previous picture, and all
    //    that describes it, as it was.
    gfx::Picture loaded;
    loaded.LoadFromFile(QFile::encodeName(path).toStdString());
    const gfx::Graphic& graphic = *loaded.GetGraphic();
    const int32_t width = graphic.Width();
    const int32_t height = graphic.Height();
    // 3., 4. A white surface of the picture's size.
    gfx::Canvas& work = PrepareWorkingImage(width, height);
    // 5. At its own size, so icons and metafiles are rendered on white.
    work.StretchDraw({0, 0, width, height}, graphic);
    // 6. From here on the picture is a bitmap whatever the file held.
    loaded.Assign(Image2->Bitmap());
    // 7.
    if (normalise) NormaliseThroughDIB(loaded);
    state_.SourcePicture->SetGraphic(loaded.TakeGraphic());
    // 8.
    RefreshPreview();
    // 9. The full path is the status bar's tool tip as well.
    StatusBar1->SetPanelText(0, state_.CurrentFileName);
    SetStatusHint(state_.CurrentFileName);
    // 10.
    MenuSelectClearClick();
    // 11. The output size is the picture's own (the batch sizes its files itself).
    if (!resetMagnification) return;
    UpDown1->SetPosition(0);
    UpDown1Click();
}

gfx::Canvas& TMorviMain::PrepareWorkingImage(int32_t width, int32_t height)
{
    Image2->resize(width, height);
    gfx::Canvas& work = Image2->Canvas();
    work.brushColor = gfx::clWhite;
    work.FillRect({0, 0, width, height});
    work.copyMode = gfx::CopyMode::SrcCopy;
    Image2->SetBitmapSize(width, height);
    return Image2->Canvas();
}

void TMorviMain::RefreshPreview()
{
    // 1.
    state_.PictureWidth = state_.SourcePicture->Width();
    state_.PictureHeight = state_.SourcePicture->Height();
    // 2. During the batch the boxes keep the size the batch set.
    if (TagOf(Ikkatsu) != 1) {
        Edit1->setText(QString::number(state_.PictureWidth));
        Edit2->setText(QString::number(state_.PictureHeight));
    }
    // 3.
    StatusBar1->SetPanelText(
        1, QStringLiteral("元ｻｲｽﾞ %1 x %2").arg(state_.PictureWidth).arg(state_.PictureHeight));
    // 4. A picture without height has no ratio (0); nothing divides by it.
    state_.AspectPercent = AspectPercentOf(state_.PictureWidth, state_.PictureHeight);
    // 5.
    const PreviewPlacement fit = FitPreview(Panel1->width(), Panel1->height(), state_.AspectPercent);
    // 6.
    Image1->resize(fit.width, fit.height);
    Image1->SetBitmapSize(fit.width, fit.height);
    // 7.
    if (const gfx::Graphic* graphic = state_.SourcePicture->GetGraphic()) {
        Image1->Canvas().StretchDraw({0, 0, fit.width, fit.height}, *graphic);
    }
    Image1->Changed();
    // 8.
    Image1->move(fit.left, fit.top);
    // 9.
    Image1->SetTag(1);
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
    state_.CurrentFileName.clear();
    // 3. The panel's own caption shows again.
    Image1->ClearPicture();
    Image3->ClearPicture();
    Image1->SetTag(-1);
    // 4.
    UpDown1->SetPosition(0);
    // 5. SourcePicture itself stays; the tag makes every command see no picture.
    state_.PictureWidth = 0;
    state_.PictureHeight = 0;
    state_.AspectPercent = 1;
    state_.SelectionRect = {0, 0, 0, 0};
    // 6.
    MenuSelectClearClick();
    UpDown1Click();
}

}  // namespace morvi
