#include "dib/kvgraphic.h"

#include <optional>
#include <vector>

namespace kvdib {

void TKvGraphic::AssignFromClipboard(const gfx::ClipboardSource& clipboard) {
    const uint16_t format = NativeClipboardFormat();
    const std::optional<std::vector<uint8_t>> data = clipboard.GetData(format);
    LoadFromClipboardFormat(format, data ? &*data : nullptr, nullptr);
}

}  // namespace kvdib
