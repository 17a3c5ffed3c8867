// dibtool: the DIB engine without the window, for users, scripts and tests.
//   dibtool info FILE
//   dibtool convert IN OUT FORMAT [--quality low|high] [--mono RRGGBB] [--progress]
//   dibtool clip-in IN OUT      (packed DIB -> BMP)
//   dibtool clip-out IN OUT     (BMP -> packed DIB)
// On failure: exit status 1, the engine's message as the last line of stderr,
// nothing on stdout, and OUT is never created or half-written.
#include <cstdint>
#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "dib/dibinfos.h"
#include "dib/kvdib.h"
#include "dib/storage.h"
#include "gfx/exceptions.h"
#include "gfx/graphic.h"
#include "gfx/safe_save.h"
#include "gfx/stream.h"
#include "gfx/types.h"

namespace {

using kvdib::TKvInternalDIB;
using kvdib::TKvPixelFormat;


class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

const char kUsage[] =
    "usage: dibtool info FILE\n"
    "       dibtool convert IN OUT FORMAT [--quality low|high] [--mono RRGGBB] [--progress]\n"
    "       dibtool clip-in IN OUT\n"
    "       dibtool clip-out IN OUT\n"
    "FORMAT: 1bit 4bit 4bitrle 8bit 8bitrle 24bit halftone halftonebw\n";

std::optional<TKvPixelFormat> ParseFormat(const std::string& name) {
    static const std::pair<const char*, TKvPixelFormat> kFormats[] = {
        {"1bit", TKvPixelFormat::kvpf1Bit},         {"4bit", TKvPixelFormat::kvpf4Bit},
        {"4bitrle", TKvPixelFormat::kvpf4BitRLE},   {"8bit", TKvPixelFormat::kvpf8Bit},
        {"8bitrle", TKvPixelFormat::kvpf8BitRLE},   {"24bit", TKvPixelFormat::kvpf24Bit},
        {"halftone", TKvPixelFormat::kvpfHalfTone}, {"halftonebw", TKvPixelFormat::kvpfHalfToneBW},
    };
    for (const auto& [text, format] : kFormats) {
        if (name == text) return format;
    }
    return std::nullopt;
}

// "RRGGBB" as the framework's colour value (red in the low byte).
std::optional<gfx::Color> ParseMono(const std::string& text) {
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return std::nullopt;
    const unsigned long rgb = std::stoul(text, nullptr, 16);
    return gfx::RGB(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb));
}

// Loading and saving go through the graphic class, as the program's own do.
std::unique_ptr<kvdib::TKvDIB> LoadBmp(const std::string& path) {
    auto dib = std::make_unique<kvdib::TKvDIB>();
    gfx::FileStream in(path, gfx::FileStream::Mode::Read);
    dib->LoadFromStream(in);
    return dib;
}

void SaveBmp(const kvdib::TKvDIB& dib, const std::string& path) {
    gfx::SaveFileAtomically(path, [&dib](gfx::Stream& out) { dib.SaveToStream(out); });
}

int Info(const std::vector<std::string>& args) {
    if (args.size() != 1) throw UsageError("dibtool info: expected FILE");
    const auto dib = LoadBmp(args[0]);
    const TKvInternalDIB& storage = *dib->InternalDIB;
    const gfx::BITMAPINFOHEADER& h = storage.DIBInfos.Header;
    // Everything is worked out before anything is printed, so that a picture
    // whose format is illegal prints nothing on stdout.
    const char* format = kvdib::PixelFormatName(dib->GetPixelFormat());
    std::ostringstream out;
    out << "width=" << h.biWidth << "\n"
        << "height=" << h.biHeight << "\n"
        << "bitcount=" << h.biBitCount << "\n"
        << "compression=" << h.biCompression << "\n"
        << "clrused=" << h.biClrUsed << "\n"
        << "bitssize=" << storage.DIBInfos.BitsSize << "\n"
        << "format=" << format << "\n";
    std::cout << out.str() << std::flush;
    return 0;
}

int Convert(const std::vector<std::string>& args) {
    if (args.size() < 3) throw UsageError("dibtool convert: expected IN OUT FORMAT");
    const std::optional<TKvPixelFormat> target = ParseFormat(args[2]);
    if (!target) throw UsageError("dibtool convert: unknown FORMAT \"" + args[2] + "\"");
    uint8_t quality = 0;
    gfx::Color mono = gfx::clWhite;
    bool progress = false;
    for (size_t i = 3; i < args.size(); ++i) {
        if (args[i] == "--progress") {
            progress = true;
        } else if (args[i] == "--quality" && i + 1 < args.size()) {
            const std::string& value = args[++i];
            if (value != "low" && value != "high") throw UsageError("dibtool convert: --quality is low or high");
            quality = value == "high" ? 1 : 0;
        } else if (args[i] == "--mono" && i + 1 < args.size()) {
            const std::optional<gfx::Color> value = ParseMono(args[++i]);
            if (!value) throw UsageError("dibtool convert: --mono takes RRGGBB in hex");
            mono = *value;
        } else {
            throw UsageError("dibtool convert: unknown option \"" + args[i] + "\"");
        }
    }

    const auto loaded = LoadBmp(args[0]);
    kvdib::TKvDIB& dib = *loaded;
    dib.ConvertQuality = quality;
    dib.MonoColor = mono;
    if (progress) {
        dib.OnProgress = [](gfx::Graphic&, gfx::ProgressStage stage, uint8_t percent, bool, const gfx::Rect&,
                            const std::string& message) {
            const char* name = stage == gfx::ProgressStage::Starting  ? "starting"
                               : stage == gfx::ProgressStage::Running ? "running"
                                                                      : "ending";
            std::cerr << "progress " << name << " " << static_cast<int>(percent) << "% " << message << std::endl;
        };
    }
    // The same format is no conversion: OUT is the input saved again.
    dib.SetPixelFormat(*target);
    SaveBmp(dib, args[1]);
    return 0;
}

int ClipIn(const std::vector<std::string>& args) {
    if (args.size() != 2) throw UsageError("dibtool clip-in: expected IN OUT");
    const std::vector<uint8_t> block = gfx::ReadWholeFile(args[0]);
    kvdib::TKvDIB dib;
    dib.LoadFromClipboardFormat(gfx::CF_DIB, &block, nullptr);
    SaveBmp(dib, args[1]);
    return 0;
}

int ClipOut(const std::vector<std::string>& args) {
    if (args.size() != 2) throw UsageError("dibtool clip-out: expected IN OUT");
    const auto dib = LoadBmp(args[0]);
    uint16_t format = 0;
    std::vector<uint8_t> packed;
    gfx::HPALETTE palette;
    dib->SaveToClipboardFormat(format, packed, palette);
    gfx::SaveFileAtomically(args[1], [&packed](gfx::Stream& out) { out.WriteBuffer(packed.data(), packed.size()); });
    return 0;
}

int Run(int argc, char** argv) {
    if (argc < 2) throw UsageError("dibtool: expected a command");
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "info") return Info(args);
    if (command == "convert") return Convert(args);
    if (command == "clip-in") return ClipIn(args);
    if (command == "clip-out") return ClipOut(args);
    throw UsageError("dibtool: unknown command \"" + command + "\"");
}

}  // namespace

int main(int argc, char** argv) {
    // A file-size limit fails the write with a message instead of killing the tool.
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        return Run(argc, argv);
    } catch (const UsageError& e) {
        std::cerr << kUsage << e.what() << std::endl;
    } catch (const std::bad_alloc&) {
        std::cerr << "Out of memory" << std::endl;
    } catch (const std::exception& e) {
        std::cerr << e.what() << std::endl;
    }
    return 1;
}
