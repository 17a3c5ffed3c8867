// A status bar of fixed panels side by side, the last one taking the rest of the
// width: Qt's QStatusBar lays out its own way, while this window's panels have
// set widths. The bar's tool tip is its hint.
#pragma once

#include <QFrame>
#include <QLabel>
#include <vector>

namespace morvi {

class StatusPanels : public QFrame {
    Q_OBJECT
public:
    // widths: all panels but the last; the last fills the bar.
    StatusPanels(const QString& name, const std::vector<int>& widths, QWidget* parent = nullptr);

    QString PanelText(int index) const;
    void SetPanelText(int index, const QString& text);
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    QLabel* Panel(int index) const { return panels_.at(static_cast<size_t>(index)); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::vector<QLabel*> panels_;
    std::vector<int> widths_;
};

}  // namespace morvi
