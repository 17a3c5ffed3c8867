// TMorviMain: building the window exactly as laid out, wiring its events to the
// handlers, window creation (FormCreate) and the orderly end.
#include "app/main_window/MorviMain_u.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QPixmap>
#include <QScreen>
#include <QUrl>

#include "app/main_window/glyphs.h"

namespace morvi {

int TagOf(const QObject* control)
{
    return control->property("Tag").toInt();
}

void SetTagOf(QObject* control, int tag)
{
    control->setProperty("Tag", tag);
}

BoxFocus BoxFocusOf(const QObject* box)
{
    return static_cast<BoxFocus>(TagOf(box));
}

void SetBoxFocus(QObject* box, BoxFocus focus)
{
    SetTagOf(box, static_cast<int>(focus));
}

bool TMorviMain::HasPicture() const
{
    return Image1->Tag() != -1;
}

void TMorviMain::SetPictureShown(bool shown)
{
    Image1->SetTag(shown ? 1 : -1);
}

bool TMorviMain::InBatch() const
{
    return TagOf(Ikkatsu) == 1;
}

SaveType TMorviMain::OverwriteKind() const
{
    const int tag = TagOf(SpeedButton2);
    return tag >= static_cast<int>(SaveType::Jpeg) && tag <= static_cast<int>(SaveType::Tiff) ? static_cast<SaveType>(tag)
                                                                                               : SaveType::Bmp;
}

void TMorviMain::SetOverwriteKind(SaveType kind)
{
    SetTagOf(SpeedButton2, static_cast<int>(kind));
}

bool TMorviMain::Dragging() const
{
    return Image3->Tag() == 1;
}

void TMorviMain::SetDragging(bool dragging)
{
    Image3->SetTag(dragging ? 1 : 0);
}

namespace {

QFont WindowFont()
{
    QFont font;
    // One family for Latin and kana alike; a single family name would let Qt mix
    // glyphs of several fonts.
    font.setFamilies({QStringLiteral("MS PGothic"), QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(12);
    return font;
}

template <class Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleDescription(QLatin1String(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

QToolButton* MakeSpeedButton(QWidget* parent, const char* name, int left, const QImage& glyph, const QString& hint)
{
    auto* button = Place(new QToolButton(parent), name, left, 4, 25, 25);
    button->setIcon(QIcon(QPixmap::fromImage(glyph)));
    button->setIconSize(QSize(16, 16));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    // A speed button never takes the focus from the control that has it.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QPushButton* MakeButton(QWidget* parent, const char* name, int left, int top, int width, int height,
                        const QString& caption, const QString& hint)
{
    auto* button = Place(new QPushButton(caption, parent), name, left, top, width, height);
    if (!hint.isEmpty()) button->setToolTip(hint);
    button->setAccessibleName(caption);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int left, const QString& text, const QString& spoken)
{
    auto* edit = Place(new QLineEdit(text, parent), name, left, 436, 37, 20);
    edit->setAccessibleName(spoken);
    edit->setTextMargins(0, 0, 0, 0);
    // Files dropped on a box go to the window, as everywhere else on it.
    edit->setAcceptDrops(false);
    return edit;
}

}  // namespace

TMorviMain::TMorviMain(Interaction& interaction, const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), interaction_(interaction)
{
    setObjectName(QStringLiteral("MorviMain"));
    setWindowTitle(QStringLiteral("モルビ"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(WindowFont());
    BuildControls();
    BuildMenu();
    ConnectEvents();
    FixClientSize();
    FormCreate(arguments);
}

TMorviMain::~TMorviMain() = default;

void TMorviMain::BuildControls()
{
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("ClientArea"));
    client_->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client_);
    QWidget* c = client_;

    SpeedButton1 = MakeSpeedButton(c, "SpeedButton1", 8, OpenFolderGlyph(), QStringLiteral("画像ﾌｧｲﾙを開きます"));
    SpeedButton2 = MakeSpeedButton(c, "SpeedButton2", 32, FloppyGlyph(), QStringLiteral("上書き保存します"));
    SpeedButton3 = MakeSpeedButton(c, "SpeedButton3", 56, FloppySaveAsGlyph(), QStringLiteral("名前を付けて保存します"));
    SetTagOf(SpeedButton2, 0);
    Button3 = MakeButton(c, "Button3", 84, 4, 41, 25, QStringLiteral("ｸﾘｱ"), QStringLiteral("表示画像をｸﾘｱします"));
    Button2 = MakeButton(c, "Button2", 128, 4, 145, 25, QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞからの取込み"),
                         QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから画像を取り込みます"));
    Button1 = MakeButton(c, "Button1", 276, 4, 133, 25, QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへ画像転送"),
                         QStringLiteral("クリップボードへ画像を転送します"));

    Panel1 = Place(new QLabel(QStringLiteral("画像　未読み"), c), "Panel1", 8, 32, 400, 400);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);

    // Children of the panel in the order they stack: the preview at the bottom,
    // the overlay over it, the size label over the overlay.
    Image1 = Place(new ImageControl(Panel1), "Image1", 0, 0, 400, 400);
    SetPictureShown(false);
    Image1->SetStretch(true);
    Image2 = Place(new ImageControl(Panel1), "Image2", 24, 24, 125, 125);
    Image2->hide();
    Image3 = Place(new ImageControl(Panel1), "Image3", 8, 8, 385, 385);
    Image3->SetTransparent(true);
    Image3->SetTransparentColor(gfx::clWhite);
    Label4 = Place(new QLabel(QStringLiteral("Label4"), Panel1), "Label4", 188, 124, 0, 0);
    Label4->setTextFormat(Qt::PlainText);
    Label4->setAutoFillBackground(true);
    Label4->setBackgroundRole(QPalette::ToolTipBase);
    Label4->setForegroundRole(QPalette::ToolTipText);
    // The drag goes on under the label; it must not take the mouse.
    Label4->setAttribute(Qt::WA_TransparentForMouseEvents);
    SetAutoSizedText(Label4, Label4->text());
    Label4->hide();
    Image4 = Place(new ImageControl(Panel1), "Image4", 48, 176, 77, 81);
    Image4->hide();

    CheckBox1 = Place(new QCheckBox(QStringLiteral("縦横比を維持"), c), "CheckBox1", 8, 436, 97, 21);
    CheckBox1->setChecked(true);
    CheckBox1->setAccessibleName(CheckBox1->text());
    Label1 = Place(new QLabel(c), "Label1", 108, 440, 0, 0);
    SetAutoSizedText(Label1, QStringLiteral("幅"));
    Edit1 = MakeEdit(c, "Edit1", 124, QStringLiteral("0"), QStringLiteral("幅"));
    Label2 = Place(new QLabel(c), "Label2", 168, 440, 0, 0);
    SetAutoSizedText(Label2, QStringLiteral("ｘ 高さ"));
    Edit2 = MakeEdit(c, "Edit2", 204, QStringLiteral("0"), QStringLiteral("高さ"));
    Label3 = Place(new QLabel(c), "Label3", 252, 440, 0, 0);
    SetAutoSizedText(Label3, QStringLiteral("転送時倍率"));
    Edit3 = MakeEdit(c, "Edit3", 316, QStringLiteral("1/1"), QStringLiteral("転送時倍率"));
    Edit3->setReadOnly(true);
    SetBoxFocus(Edit1, BoxFocus::NeverFocused);
    SetBoxFocus(Edit2, BoxFocus::NeverFocused);
    UpDown1 = Place(new UpDownControl(c), "UpDown1", 357, 436, 16, 20);
    UpDown1->SetRange(-10, 10);
    UpDown1->SetPosition(0);
    UpDown1->setAccessibleName(QStringLiteral("転送時倍率の増減"));
    Button7 = MakeButton(c, "Button7", 376, 436, 33, 21, QStringLiteral("1/1"),
                         QStringLiteral("ｻｲｽﾞを元のｻｲｽﾞに戻します"));

    StatusBar1 = Place(new StatusPanels(QStringLiteral("StatusBar1"), {300}, c), "StatusBar1", 0, 459, 417, 21);

    setTabOrder(Button3, Button2);
    setTabOrder(Button2, Button1);
    setTabOrder(Button1, CheckBox1);
    setTabOrder(CheckBox1, Edit1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Edit3);
    setTabOrder(Edit3, UpDown1);
    setTabOrder(UpDown1, Button7);
}

void TMorviMain::BuildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto menu = [&](const char* name, const QString& title) {
        QMenu* m = bar->addMenu(title);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        return m;
    };
    auto item = [this](QMenu* m, const char* name, const QString& caption, void (TMorviMain::*handler)()) {
        QAction* action = m->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, [this, handler] { RunHandler([this, handler] { (this->*handler)(); }); });
        return action;
    };
    auto separator = [](QMenu* m, const char* name) { m->addSeparator()->setObjectName(QLatin1String(name)); };

    QMenu* file = menu("MenuFile", QStringLiteral("ﾌｧｲﾙ(&F)"));
    item(file, "MenuFileOpen", QStringLiteral("開く(&O)"), &TMorviMain::SpeedButton1Click);
    item(file, "MenuFileSave", QStringLiteral("上書き保存(&S)"), &TMorviMain::MenuFileSaveClick);
    item(file, "MenuFileSaveAs", QStringLiteral("名前を付けて保存(&A)"), &TMorviMain::MenuFileSaveAsClick);
    Ikkatsu = item(file, "Ikkatsu", QStringLiteral("一括サイズ変換(&I)"), &TMorviMain::IkkatsuClick);
    SetTagOf(Ikkatsu, 0);
    separator(file, "N1");
    item(file, "MenuFileEnd", QStringLiteral("モルビの終了(&Q)"), &TMorviMain::MenuFileEndClick);

    QMenu* edit = menu("MenuEdit", QStringLiteral("編集(&E)"));
    item(edit, "MenuEditPaste", QStringLiteral("クリップボードからの取込み(&P)"), &TMorviMain::MenuEditPasteClick);
    item(edit, "MenuEditCopy", QStringLiteral("クリップボードへ転送(&C)"), &TMorviMain::MenuEditCopyClick);
    separator(edit, "N2");
    item(edit, "ClipClear", QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容ｸﾘｱ(&X)"), &TMorviMain::ClipClearClick);

    QMenu* gazo = menu("MenuGazo", QStringLiteral("画像(&G)"));
    item(gazo, "MenuGazoLeft", QStringLiteral("左に９０度回転(&L)"), &TMorviMain::MenuGazoLeftClick);
    item(gazo, "MenuGazoRight", QStringLiteral("右に９０度回転(&R)"), &TMorviMain::MenuGazoRightClick);
    item(gazo, "MenuGazoFlip", QStringLiteral("１８０度回転(&F)"), &TMorviMain::MenuGazoFlipClick);
    item(gazo, "ReverseH", QStringLiteral("左右反転(&H)"), &TMorviMain::ReverseHClick);
    item(gazo, "ReverseV", QStringLiteral("上下反転(&V)"), &TMorviMain::ReverseVClick);
    separator(gazo, "N5");
    item(gazo, "LightUp", QStringLiteral("画像を明るくする(&U)"), &TMorviMain::LightUpClick);
    item(gazo, "LightDown", QStringLiteral("画像を暗くする(&D)"), &TMorviMain::LightDownClick);
    item(gazo, "ContrastUp", QStringLiteral("コントラストを強くする(&K)"), &TMorviMain::ContrastUpClick);
    item(gazo, "ContrastDown", QStringLiteral("コントラストを弱くする(&J)"), &TMorviMain::ContrastDownClick);
    item(gazo, "Mono", QStringLiteral("白黒化する(&B)"), &TMorviMain::MonoClick);
    separator(gazo, "N3");
    item(gazo, "MenuGazouClear", QStringLiteral("表示画像のｸﾘｱ(&C)"), &TMorviMain::MenuGazouClearClick);

    QMenu* select = menu("MenuSelect", QStringLiteral("領域選択(&S)"));
    item(select, "MenuSelectClear", QStringLiteral("選択領域ｸﾘｱ(&R)"), &TMorviMain::MenuSelectClearClick);

    QMenu* help = menu("MenuHelp", QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    item(help, "DocView", QStringLiteral("取説ﾄﾞｷｭﾒﾝﾄの表示 ..."), &TMorviMain::DocViewClick);
    item(help, "HisView", QStringLiteral("開発ﾋｽﾄﾘｰの表示 ..."), &TMorviMain::HisViewClick);
    separator(help, "N4");
    item(help, "MenuHelpVer", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&V)"), &TMorviMain::MenuHelpVerClick);
}

void TMorviMain::ConnectEvents()
{
    auto click = [this](QAbstractButton* button, void (TMorviMain::*handler)()) {
        connect(button, &QAbstractButton::clicked, this,
                [this, handler] { RunHandler([this, handler] { (this->*handler)(); }); });
    };
    click(SpeedButton1, &TMorviMain::SpeedButton1Click);
    click(SpeedButton2, &TMorviMain::SpeedButton2Click);
    click(SpeedButton3, &TMorviMain::SpeedButton3Click);
    click(Button1, &TMorviMain::Button1Click);
    click(Button2, &TMorviMain::Button2Click);
    click(Button3, &TMorviMain::Button3Click);
    click(Button7, &TMorviMain::Button7Click);

    connect(Edit1, &QLineEdit::textChanged, this, [this] { RunHandler([this] { Edit1Change(); }); });
    connect(Edit2, &QLineEdit::textChanged, this, [this] { RunHandler([this] { Edit2Change(); }); });
    Edit1->installEventFilter(this);
    Edit2->installEventFilter(this);

    connect(UpDown1, &UpDownControl::Clicked, this, [this] { RunHandler([this] { UpDown1Click(); }); });

    connect(Image3, &ImageControl::MousePressed, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) { RunHandler([=, this] { Image3MouseDown(x, y); }); });
    connect(Image3, &ImageControl::MouseMoved, this,
            [this](Qt::KeyboardModifiers, int x, int y) { RunHandler([=, this] { Image3MouseMove(x, y); }); });
    connect(Image3, &ImageControl::MouseReleased, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) { RunHandler([=, this] { Image3MouseUp(x, y); }); });
}

bool TMorviMain::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == Edit1 || watched == Edit2) &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        // The focus moving to a menu, a box or another window is not the box
        // being entered or left: the box stays the window's active control.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            const bool in = event->type() == QEvent::FocusIn;
            if (watched == Edit1) {
                RunHandler([this, in] { in ? Edit1Enter() : Edit1Exit(); });
            } else {
                RunHandler([this, in] { in ? Edit2Enter() : Edit2Exit(); });
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMorviMain::FixClientSize()
{
    // The menu bar lies inside a Qt main window; the part below it keeps the
    // client size whatever height the menu bar has on this desktop.
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

void TMorviMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Once shown, the menu bar has its real height; correct the first guess.
    if (menuBar()->height() > 0 && height() != kClientHeight + menuBar()->height()) {
        setFixedSize(kClientWidth, kClientHeight + menuBar()->height());
    }
}

void TMorviMain::FormCreate(const QStringList& arguments)
{
    // 1. Files dropped from the desktop come to this window.
    setAcceptDrops(true);
    // 2., 3. The session starts with its start values and an empty SourcePicture.
    // 4. Centre on the screen with the outer size, truncating; a screen smaller
    //    than the window gives negative coordinates, used as they are.
    if (const QScreen* screen = this->screen()) {
        const QSize outer = frameGeometry().size();
        move((screen->geometry().width() - outer.width()) / 2, (screen->geometry().height() - outer.height()) / 2);
    }
    // 5. The overlay covers the whole panel.
    Image3->setGeometry(0, 0, Panel1->width(), Panel1->height());
    // 6. The version and the empty folders come with the session.
    // 7. The first argument only; anything but an existing, accepted file is
    //    ignored without a word.
    RunHandler([&] {
        if (arguments.isEmpty()) return;
        const QFileInfo file(arguments.constFirst());
        if (file.exists() && !file.isDir() && IsSupportedPictureFile(file.filePath())) {
            session_.SetCurrentFileName(file.absoluteFilePath());
            LoadPictureFile(file.absoluteFilePath(), false);
        }
    });
}

void TMorviMain::FormCloseQuery()
{
    session_.ReleasePicture();
}

void TMorviMain::closeEvent(QCloseEvent* event)
{
    FormCloseQuery();
    event->accept();
}

void TMorviMain::MenuFileEndClick()
{
    close();
}

void TMorviMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TMorviMain::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) paths << url.toLocalFile();
    event->acceptProposedAction();
    RunHandler([&] { WMDropFiles(paths); });
}

void TMorviMain::SetStatusHint(const QString& hint)
{
    StatusBar1->setToolTip(hint);
}

void TMorviMain::SetAutoSizedText(QLabel* label, const QString& text)
{
    // Labels size themselves to their caption, as the framework's do.
    label->setText(text);
    const QFontMetrics metrics(label->font());
    label->resize(metrics.horizontalAdvance(text), metrics.height());
}

void TMorviMain::ReportError(const QString& message)
{
    interaction_.ShowError(message);
}

// The menu twins do nothing but call their buttons' handlers.
void TMorviMain::MenuFileSaveClick() { SpeedButton2Click(); }
void TMorviMain::MenuFileSaveAsClick() { SpeedButton3Click(); }
void TMorviMain::MenuEditPasteClick() { Button2Click(); }
void TMorviMain::MenuEditCopyClick() { Button1Click(); }

}  // namespace morvi
