// Picture and its registry: kinds found by extension in any case, unknown
// extensions refused by name, the held graphic replaced only by a successful
// read; files written so that a failure never damages the old one.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "gfx/bitmap.h"
#include "gfx/exceptions.h"
#include "gfx/picture.h"
#include "gfx/safe_save.h"
#include "gfx/stream.h"

namespace {

namespace fs = std::filesystem;
using gfx::Picture;
using gfx::PictureRegistry;

// A graphic whose file is its text; "bad" cannot be read.
class TextGraphic : public gfx::Graphic {
public:
    std::unique_ptr<gfx::Graphic> Clone() const override { return std::make_unique<TextGraphic>(); }
    std::string ClassName() const override { return "TText"; }
    int32_t Width() const override { return static_cast<int32_t>(text.size()); }
    int32_t Height() const override { return 1; }
    bool Empty() const override { return text.empty(); }
    void Draw(gfx::Canvas&, const gfx::Rect&) const override {}
    void LoadFromStream(gfx::Stream& stream) override {
        std::string read(static_cast<size_t>(stream.Size()), '\0');
        stream.ReadBuffer(read.data(), read.size());
        if (read == "bad") throw gfx::EInvalidGraphic("unreadable text");
        text = read;
    }
    void SaveToStream(gfx::Stream& stream) const override { stream.WriteBuffer(text.data(), text.size()); }
    std::string text;
};

class TempFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "gfx-picture-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        PictureRegistry::RegisterFileFormat("txq", "text", [] { return std::make_unique<TextGraphic>(); });
    }
    void TearDown() override {
        PictureRegistry::UnregisterFileFormat("txq");
        fs::permissions(folder_, fs::perms::owner_all);
        fs::remove_all(folder_);
    }
    std::string Write(const std::string& name, const std::string& content) {
        const std::string path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    size_t FilesInFolder() const { return static_cast<size_t>(std::distance(fs::directory_iterator(folder_), {})); }
    fs::path folder_;
};

TEST_F(TempFolder, FindsTheKindByExtensionInAnyCase) {
    for (const char* extension : {"txq", ".txq", "TXQ", ".TxQ"})
        EXPECT_NE(PictureRegistry::CreateForExtension(extension), nullptr) << extension;
    EXPECT_EQ(PictureRegistry::CreateForExtension("txqq"), nullptr);
    EXPECT_EQ(PictureRegistry::CreateForExtension(""), nullptr);

    Picture picture;
    picture.LoadFromFile(Write("NOTE.TXQ", "hello"));
    ASSERT_NE(picture.GetGraphic(), nullptr);
    EXPECT_EQ(picture.GetGraphic()->ClassName(), "TText");
    EXPECT_EQ(picture.Width(), 5);
}

TEST_F(TempFolder, RefusesUnknownExtensionsByName) {
    Picture picture;
    const struct {
        const char* name;
        const char* message;
    } cases[] = {{"photo.xyz", "Unknown picture file extension (.xyz)"},
                 {"no-extension", "Unknown picture file extension (.)"},
                 {"dotted.dir/file", "Unknown picture file extension (.)"}};
    for (const auto& c : cases) {
        try {
            picture.LoadFromFile((folder_ / c.name).string());
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const gfx::EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST_F(TempFolder, KeepsTheOldGraphicWhenReadingFails) {
    Picture picture;
    picture.LoadFromFile(Write("a.txq", "first"));
    const gfx::Graphic* before = picture.GetGraphic();
    EXPECT_THROW(picture.LoadFromFile(Write("b.txq", "bad")), gfx::EInvalidGraphic);
    EXPECT_THROW(picture.LoadFromFile((folder_ / "missing.txq").string()), gfx::EInOutError);
    EXPECT_EQ(picture.GetGraphic(), before);
    EXPECT_EQ(picture.Width(), 5);

    // Asking for a bitmap replaces another kind by an empty bitmap.
    EXPECT_FALSE(picture.HasBitmap());
    EXPECT_TRUE(picture.GetBitmap().Empty());
    EXPECT_TRUE(picture.HasBitmap());
}

TEST_F(TempFolder, AFailedSaveLeavesTheOldFileAndNoLeftovers) {
    const std::string path = Write("picture.bmp", "old content");
    EXPECT_THROW(gfx::SaveFileAtomically(path,
                                         [](gfx::Stream& out) {
                                             out.WriteBuffer("partial", 7);
                                             throw gfx::EWriteError("disk full");
                                         }),
                 gfx::EWriteError);
    EXPECT_EQ(Read(path), "old content");
    EXPECT_EQ(FilesInFolder(), 1u);

    gfx::Bitmap bitmap(3, 2, gfx::PixelFormat::pf24bit);
    bitmap.SaveToFile(path);
    EXPECT_EQ(Read(path).substr(0, 2), "BM");
    EXPECT_EQ(FilesInFolder(), 1u);

    // A rename that cannot happen (a folder stands at the path) leaves that folder
    // as it was and no temporary file behind; so does a missing folder.
    fs::create_directory(folder_ / "taken.bmp");
    std::ofstream((folder_ / "taken.bmp" / "inside").string()) << "x";
    EXPECT_THROW(bitmap.SaveToFile((folder_ / "taken.bmp").string()), gfx::EInOutError);
    EXPECT_EQ(Read((folder_ / "taken.bmp" / "inside").string()), "x");
    EXPECT_THROW(bitmap.SaveToFile((folder_ / "missing" / "a.bmp").string()), gfx::EInOutError);
    EXPECT_EQ(FilesInFolder(), 2u);
}

}  // namespace
