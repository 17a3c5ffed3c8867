// A picture holds one graphic of any registered kind. Loading by file name picks
// the class by the extension from a registry (one table: extension, description,
// factory); the Qt side and the DIB engine register their kinds at start-up.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gfx/graphic.h"

namespace gfx {

class Bitmap;

struct FileFormat {
    std::string extension;     // lower case, without the dot: "jpg"
    std::string description;   // "JPEG イメージファイル"
    std::function<std::unique_ptr<Graphic>()> factory;
};

class PictureRegistry {
public:
    static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                   std::function<std::unique_ptr<Graphic>()> factory);
    static void UnregisterFileFormat(const std::string& extension);
    static void RegisterClipboardFormat(uint16_t format, std::function<std::unique_ptr<Graphic>()> factory);
    static void UnregisterClipboardFormat(uint16_t format);
    // In registration order.
    static std::vector<FileFormat> FileFormats();
    // Null when the extension (any case, with or without the dot) is unknown.
    static std::unique_ptr<Graphic> CreateForExtension(const std::string& extension);
    static std::unique_ptr<Graphic> CreateForClipboardFormat(uint16_t format);
};

class Picture {
public:
    Picture() = default;
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    Graphic* GetGraphic() const { return graphic_.get(); }
    void SetGraphic(std::unique_ptr<Graphic> graphic);
    // Hands the graphic over, leaving the picture empty.
    std::unique_ptr<Graphic> TakeGraphic() { return std::move(graphic_); }
    // The picture as a bitmap: when it holds another kind (or nothing), the
    // graphic is replaced by a new empty bitmap first, as the framework does.
    Bitmap& GetBitmap();
    bool HasBitmap() const;

    int32_t Width() const;
    int32_t Height() const;

    // Reads the file with the class registered for its extension. Unknown
    // extension: EInvalidGraphic("Unknown picture file extension (.xyz)"). The
    // current graphic is replaced only when reading succeeded.
    void LoadFromFile(const std::string& path);
    // The same for a caller that needs the picture no larger than wanted says
    // (see Graphic::LoadFromStreamFor): the graphic may be smaller than the file's.
    void LoadFromFile(const std::string& path, const Graphic::SizeWanted& wanted);
    void SaveToFile(const std::string& path) const;

    // Takes a copy of another picture's graphic (nothing for an empty picture).
    void Assign(const Picture& source);
    void Assign(const Graphic& source);

private:
    std::unique_ptr<Graphic> graphic_;
};

}  // namespace gfx
