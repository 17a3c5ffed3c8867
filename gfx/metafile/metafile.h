// Windows metafiles (WMF, placeable or plain) and enhanced metafiles (EMF) as
// graphics of the framework layer.
#pragma once

namespace gfx {

// Registers the "wmf" ("メタファイル") and "emf" ("エンハンス メタファイル")
// kinds with the picture registry, in that order.
void RegisterMetafileFormats();

}  // namespace gfx
