#include "gfx/picture.h"

#include <algorithm>
#include <utility>

#include "gfx/bitmap.h"
#include "gfx/exceptions.h"

namespace gfx {

namespace {

struct Registry {
    std::vector<FileFormat> files;
    std::vector<std::pair<uint16_t, std::function<std::unique_ptr<Graphic>()>>> clipboard;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

// Lower case (ASCII only: extensions are ASCII), without a leading dot.
std::string NormaliseExtension(std::string extension) {
    if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension;
}

// The extension of the file-name part of a path, without the dot ("" when none).
std::string ExtensionOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) return {};
    return path.substr(dot + 1);
}

}  // namespace

void PictureRegistry::RegisterFileFormat(const std::string& extension, const std::string& description,
                                         std::function<std::unique_ptr<Graphic>()> factory) {
    const std::string key = NormaliseExtension(extension);
    auto& files = TheRegistry().files;
    for (FileFormat& format : files) {
        if (format.extension == key) {
            format.description = description;
            format.factory = std::move(factory);
            return;
        }
    }
    files.push_back({key, description, std::move(factory)});
}

void PictureRegistry::UnregisterFileFormat(const std::string& extension) {
    const std::string key = NormaliseExtension(extension);
    auto& files = TheRegistry().files;
    std::erase_if(files, [&key](const FileFormat& f) { return f.extension == key; });
}

void PictureRegistry::RegisterClipboardFormat(uint16_t format, std::function<std::unique_ptr<Graphic>()> factory) {
    auto& clipboard = TheRegistry().clipboard;
    for (auto& entry : clipboard) {
        if (entry.first == format) {
            entry.second = std::move(factory);
            return;
        }
    }
    clipboard.emplace_back(format, std::move(factory));
}

void PictureRegistry::UnregisterClipboardFormat(uint16_t format) {
    std::erase_if(TheRegistry().clipboard, [format](const auto& entry) { return entry.first == format; });
}

std::vector<FileFormat> PictureRegistry::FileFormats() { return TheRegistry().files; }

std::unique_ptr<Graphic> PictureRegistry::CreateForExtension(const std::string& extension) {
    const std::string key = NormaliseExtension(extension);
    for (const FileFormat& format : TheRegistry().files)
        if (format.extension == key && format.factory) return format.factory();
    return nullptr;
}

std::unique_ptr<Graphic> PictureRegistry::CreateForClipboardFormat(uint16_t format) {
    for (const auto& entry : TheRegistry().clipboard)
        if (entry.first == format && entry.second) return entry.second();
    return nullptr;
}

Picture::~Picture() = default;

void Picture::SetGraphic(std::unique_ptr<Graphic> graphic) { graphic_ = std::move(graphic); }

Bitmap& Picture::GetBitmap() {
    if (!HasBitmap()) graphic_ = std::make_unique<Bitmap>();
    return static_cast<Bitmap&>(*graphic_);
}

bool Picture::HasBitmap() const { return dynamic_cast<const Bitmap*>(graphic_.get()) != nullptr; }

int32_t Picture::Width() const { return graphic_ ? graphic_->Width() : 0; }

int32_t Picture::Height() const { return graphic_ ? graphic_->Height() : 0; }

void Picture::LoadFromFile(const std::string& path) { LoadFromFile(path, {}); }

void Picture::LoadFromFile(const std::string& path, const Graphic::SizeWanted& wanted) {
    const std::string extension = ExtensionOf(path);
    std::unique_ptr<Graphic> graphic = PictureRegistry::CreateForExtension(extension);
    if (!graphic) throw EInvalidGraphic("Unknown picture file extension (." + extension + ")");
    if (wanted)
        graphic->LoadFromFileFor(path, wanted);
    else
        graphic->LoadFromFile(path);
    graphic_ = std::move(graphic);
}

void Picture::SaveToFile(const std::string& path) const {
    if (graphic_) graphic_->SaveToFile(path);
}

void Picture::Assign(const Picture& source) {
    if (&source == this) return;
    graphic_ = source.graphic_ ? source.graphic_->Clone() : nullptr;
}

void Picture::Assign(const Graphic& source) {
    if (&source == graphic_.get()) return;
    graphic_ = source.Clone();
}

}  // namespace gfx
