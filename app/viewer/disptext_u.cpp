// Tdisptext: the viewer's layout, its search and the jumps to either end, and the
// road from a file beside the program to the modal window.
#include "app/viewer/disptext_u.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStyledItemDelegate>

#include "app/viewer/dialog_layout.h"
#include "app/viewer/text_file.h"
#include "gfx/exceptions.h"

namespace morvi {
namespace {

// Rows of a fixed height, as the list box of the layout has, whatever the font
// asks for; the 12-pixel font fits.
class FixedRowDelegate : public QStyledItemDelegate {
public:
    FixedRowDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
    }

private:
    int height_;
};

QPushButton* MakeButton(QWidget* parent, const char* name, int left, int width, const QString& caption)
{
    auto* button = PlaceControl(new QPushButton(caption, parent), name, left, 400, width, 21);
    button->setAccessibleName(caption);
    // Enter in the search box must not press a button the user did not choose.
    button->setAutoDefault(false);
    return button;
}

const QString kSearch = QStringLiteral("検索");
const QString kSearchNext = QStringLiteral("次を検索");

}  // namespace

Tdisptext::Tdisptext(Interaction& interaction, QWidget* parent)
    : FixedDialog(kClientWidth, kClientHeight, parent), interaction_(interaction)
{
    setObjectName(QStringLiteral("disptext"));
    setWindowTitle(QStringLiteral("テキスト表示 ( クエロ )"));

    Label1 = PlaceControl(new QLabel(this), "Label1", 24, 16, 0, 0);
    ListBox1 = PlaceControl(new QListWidget(this), "ListBox1", 20, 32, 529, 361);
    ListBox1->setItemDelegate(new FixedRowDelegate(kItemHeight, ListBox1));
    ListBox1->setUniformItemSizes(true);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setWordWrap(false);
    ListBox1->setTextElideMode(Qt::ElideNone);
    Edit1 = PlaceControl(new QLineEdit(this), "Edit1", 20, 400, 233, 20);
    Edit1->setAccessibleName(QStringLiteral("検索する文字列"));
    Button2 = MakeButton(this, "Button2", 252, 79, kSearch);
    Button3 = MakeButton(this, "Button3", 336, 67, QStringLiteral("先頭へ"));
    Button4 = MakeButton(this, "Button4", 404, 67, QStringLiteral("最後へ"));
    Button1 = MakeButton(this, "Button1", 476, 77, QStringLiteral("OK"));
    setTabOrder(ListBox1, Edit1);
    setTabOrder(Edit1, Button2);
    setTabOrder(Button2, Button3);
    setTabOrder(Button3, Button4);
    setTabOrder(Button4, Button1);

    connect(Button1, &QPushButton::clicked, this, &Tdisptext::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tdisptext::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &Tdisptext::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &Tdisptext::Button4Click);
}

void Tdisptext::SetTitle(const QString& title)
{
    Label1->setText(title);
    Label1->adjustSize();
    ListBox1->setAccessibleName(title);
}

void Tdisptext::SetLines(const QStringList& lines)
{
    ListBox1->clear();
    ListBox1->addItems(lines);
}

int Tdisptext::SelectedLine() const
{
    const QModelIndexList selected = ListBox1->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.constFirst().row();
}

void Tdisptext::FormShow()
{
    Edit1->clear();
    Edit1->setFocus();
    PlaceOverOwner(Button1);
}

void Tdisptext::Button2Click()
{
    // An empty text would occur everywhere; it is found nowhere instead.
    const QString wanted = Edit1->text();
    if (!wanted.isEmpty()) {
        for (int line = SelectedLine() + 1; line < ListBox1->count(); ++line) {
            if (ListBox1->item(line)->text().contains(wanted, Qt::CaseSensitive)) {
                SelectLine(line);
                SetSearchCaption(kSearchNext);
                return;
            }
        }
    }
    interaction_.MessageBox(QStringLiteral("検索終了"), QStringLiteral("検索を終了しました。"), BoxIcon::None,
                            BoxButtons::Ok);
    SetSearchCaption(kSearch);
    SelectNoLine();
}

void Tdisptext::Button3Click()
{
    if (ListBox1->count() > 0) SelectLine(0);
    SelectNoLine();
}

void Tdisptext::Button4Click()
{
    if (ListBox1->count() > 0) SelectLine(ListBox1->count() - 1);
    SelectNoLine();
}

void Tdisptext::SelectLine(int index)
{
    ListBox1->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    ListBox1->scrollToItem(ListBox1->item(index));
}

void Tdisptext::SelectNoLine()
{
    ListBox1->clearSelection();
    ListBox1->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
}

void Tdisptext::SetSearchCaption(const QString& caption)
{
    Button2->setText(caption);
    Button2->setAccessibleName(caption);
}

QString ProgramFilePath(const QString& name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

std::unique_ptr<Tdisptext> MakeTextViewer(QWidget* mainWindow, const QString& title, const QString& path,
                                          Interaction& interaction)
{
    auto viewer = std::make_unique<Tdisptext>(interaction, mainWindow);
    viewer->SetTitle(title);
    // A folder of that name is no text file: it counts as missing.
    if (QFileInfo(path).isFile()) {
        viewer->SetLines(ReadShiftJisLines(path));
    } else {
        viewer->SetLines({path + QStringLiteral(" が見つかりませんでした。")});
    }
    return viewer;
}

void ShowTextViewer(QWidget* mainWindow, const QString& title, const QString& path, Interaction& interaction)
{
    std::unique_ptr<Tdisptext> viewer;
    try {
        viewer = MakeTextViewer(mainWindow, title, path, interaction);
    } catch (const gfx::Exception& error) {
        interaction.ShowError(QString::fromStdString(error.Message()));
        return;
    }
    viewer->exec();
}

}  // namespace morvi
