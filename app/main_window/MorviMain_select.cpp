// TMorviMain: marking a region by dragging a rubber band on the transparent
// overlay, with the live size label, and removing the selection.
#include "app/main_window/MorviMain_u.h"
#include "app/main_window/selection_math.h"
#include "session/output_size.h"

namespace morvi {

void TMorviMain::MenuSelectClearClick()
{
    // SelectionRect keeps its values; only the flag says there is none.
    Image3->ClearPicture();
    session_.ClearSelection();
    Label4->hide();
}

void TMorviMain::Image3MouseDown(int x, int y)
{
    // 1. Every press starts from a clean overlay; any button selects.
    MenuSelectClearClick();
    // 2.
    if (!HasPicture()) return;
    gfx::Canvas& canvas = Image3->Canvas();
    // 3. Erase a band left from before (on a fresh overlay this changes nothing).
    canvas.penMode = gfx::PenMode::White;
    canvas.Rectangle(canvas.PenPos().x, canvas.PenPos().y, DragEndPoint.x, DragEndPoint.y);
    // 4.
    SetDragging(true);
    // 5. The pen position is the anchor of the drag.
    canvas.MoveTo(x, y);
    DragEndPoint = {x, y};
    // 6.
    Image3->SetTransparentColor(gfx::clWhite);
    // 7. Overlay coordinates are used as the panel's here, as they come.
    SetAutoSizedText(Label4, QString());
    Label4->move(x, y - Label4->height());
    // 8.
    session_.MarkSelection();
    Image3->Changed();
}

void TMorviMain::Image3MouseMove(int x, int y)
{
    // 1.
    gfx::Canvas& canvas = Image3->Canvas();
    const gfx::Point anchor = canvas.PenPos();
    // 2.
    if (!Dragging()) return;
    // 3. Only the far edges limit the point.
    const gfx::Point point = LimitToOverlay({x, y}, Image3->width(), Image3->height());
    // 4. White mode paints outline and inside white, which is see-through.
    canvas.penColor = gfx::clAqua;
    canvas.penMode = gfx::PenMode::White;
    canvas.Rectangle(anchor.x, anchor.y, DragEndPoint.x, DragEndPoint.y);
    // 5. An aqua outline around a white (see-through) inside.
    canvas.penMode = gfx::PenMode::Copy;
    canvas.Rectangle(anchor.x, anchor.y, point.x, point.y);
    // 6.
    DragEndPoint = point;
    Image3->Changed();
    // 7.
    const int32_t ow = SizeTextOr(Edit1->text().toStdString(), 0);
    const int32_t oh = SizeTextOr(Edit2->text().toStdString(), 0);
    session_.SetSelectionRect(MapSelectionToOutput(anchor, point, ow, oh, Image1->width(), Image1->height()));
    // 8.
    SetAutoSizedText(Label4, QString::fromStdString(SelectionSizeText(Session().SelectionRect)));
    // 9.
    const gfx::Point place =
        PlaceSizeLabel(Image3->x(), Image3->y(), Image3->width(), point, Label4->width(), Label4->height());
    Label4->move(place.x, place.y);
    // 10.
    Label4->show();
}

void TMorviMain::Image3MouseUp(int, int)
{
    SetDragging(false);
}

}  // namespace morvi
