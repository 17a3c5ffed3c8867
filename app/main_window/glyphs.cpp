#include "app/main_window/glyphs.h"

#include <array>

namespace morvi {
namespace {

using PixelMap = std::array<const char*, 16>;

// '.' is transparent; the letters name colours of the 16-colour set.
QRgb ColourOf(char c)
{
    switch (c) {
    case 'k': return qRgb(0, 0, 0);
    case 'b': return qRgb(0, 0, 128);
    case 'g': return qRgb(192, 192, 192);
    case 'G': return qRgb(128, 128, 128);
    case 'w': return qRgb(255, 255, 255);
    case 'y': return qRgb(128, 128, 0);
    case 'o': return qRgb(255, 255, 0);
    case 'r': return qRgb(255, 0, 0);
    default: return qRgba(0, 0, 0, 0);
    }
}

QImage FromMap(const PixelMap& map)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) image.setPixel(x, y, ColourOf(map[y][x]));
    }
    return image;
}

constexpr PixelMap kOpenFolder = {
    "................",
    "................",
    "................",
    ".kkkk...........",
    "kwoowk..........",
    "koyyyokkkkkkk...",
    "koyyyyyyyyyyk...",
    "koyyyykkkkkkkkkk",
    "koyyykoooooooook",
    "koyyykoooooooook",
    "koyykoooooooook.",
    "koyykoooooooook.",
    "koykoooooooook..",
    "koykoooooooook..",
    "kkkkkkkkkkkkk...",
    "................",
};

constexpr PixelMap kFloppy = {
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kbbgggggggGbbk.",
    ".kbbgggggkkGbbk.",
    ".kbbgggggkkGbbk.",
    ".kbbgggggggGbbk.",
    ".kbbbbbbbbbbbbk.",
    ".kbbbbbbbbbbbbk.",
    ".kbwwwwwwwwwwbk.",
    ".kbwwwwwwwwwwbk.",
    ".kbwGGGGGGGGwbk.",
    ".kbwwwwwwwwwwbk.",
    ".kbwGGGGGGGGwbk.",
    ".kbwwwwwwwwwwbk.",
    ".kkkkkkkkkkkkkk.",
    "................",
};

constexpr PixelMap kFloppyAs = {
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kbbgggggggGbbk.",
    ".kbbgggggkkGbbk.",
    ".kbbgggggkkGbbk.",
    ".kbbgggggggGbbk.",
    ".kbbbbbbbbbbbbk.",
    ".kbwwwwwwwwwwbk.",
    ".kbwwrwwwrrrwbk.",
    ".kbwrwrwwrwwwbk.",
    ".kbwrrrwwrrrwbk.",
    ".kbwrwrwwwwrwbk.",
    ".kbwrwrwwrrrwbk.",
    ".kbwwwwwwwwwwbk.",
    ".kkkkkkkkkkkkkk.",
    "................",
};

}  // namespace

QImage OpenFolderGlyph() { return FromMap(kOpenFolder); }
QImage FloppyGlyph() { return FromMap(kFloppy); }
QImage FloppySaveAsGlyph() { return FromMap(kFloppyAs); }

}  // namespace morvi
