#include "metafile.h"

#include <memory>

#include "gfx/canvas.h"
#include "gfx/exceptions.h"
#include "gfx/graphic.h"
#include "gfx/picture.h"

namespace gfx {

namespace {

// Placeholder until metafiles can be played: opening one reports a clear error.
class UnreadableMetafile : public Graphic {
public:
    std::unique_ptr<Graphic> Clone() const override { return std::make_unique<UnreadableMetafile>(); }
    std::string ClassName() const override { return "TMetafile"; }
    int32_t Width() const override { return 0; }
    int32_t Height() const override { return 0; }
    bool Empty() const override { return true; }
    void Draw(Canvas&, const Rect&) const override {}
    void LoadFromStream(Stream&) override {
        throw EInvalidGraphic("メタファイルの読み込みにはまだ対応していません。");
    }
    void SaveToStream(Stream&) const override {}
};

}  // namespace

void RegisterMetafileFormats() {
    PictureRegistry::RegisterFileFormat("wmf", "メタファイル", [] { return std::make_unique<UnreadableMetafile>(); });
    PictureRegistry::RegisterFileFormat("emf", "エンハンス メタファイル",
                                        [] { return std::make_unique<UnreadableMetafile>(); });
}

}  // namespace gfx
