#include "app/widgets/status_panels.h"

namespace morvi {

StatusPanels::StatusPanels(const QString& name, const std::vector<int>& widths, QWidget* parent)
    : QFrame(parent), widths_(widths)
{
    setObjectName(name);
    for (size_t i = 0; i <= widths.size(); ++i) {
        auto* panel = new QLabel(this);
        const QString panelName = QStringLiteral("%1.Panels[%2]").arg(name).arg(i);
        panel->setObjectName(panelName);
        // Screen readers read a label's name instead of its text; the name stays
        // with the text and the control's name goes to the description.
        panel->setAccessibleDescription(panelName);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
        panel->setIndent(2);
        panels_.push_back(panel);
    }
}

QString StatusPanels::PanelText(int index) const
{
    return Panel(index)->text();
}

void StatusPanels::SetPanelText(int index, const QString& text)
{
    Panel(index)->setText(text);
}

void StatusPanels::resizeEvent(QResizeEvent*)
{
    int left = 0;
    for (size_t i = 0; i < panels_.size(); ++i) {
        const bool last = i + 1 == panels_.size();
        const int w = last ? std::max(0, width() - left) : widths_[i];
        // Two pixels between panels, as the system bar draws them.
        panels_[i]->setGeometry(left, 2, last ? w : w - 2, height() - 2);
        left += w;
    }
}

}  // namespace morvi
