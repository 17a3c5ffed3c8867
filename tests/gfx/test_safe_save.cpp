// Saving through a temporary file: links are followed, not replaced.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "gfx/stream.h"

namespace gfx {
namespace {

std::string Contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SafeSave, ASymbolicLinkStaysALinkAndItsFileIsReplaced) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(::testing::TempDir()) / ("safe-save-" + std::to_string(::getpid()));
    fs::create_directories(folder / "real");
    {
        std::ofstream(folder / "real" / "picture.bmp") << "old";
    }
    fs::create_symlink(folder / "real" / "picture.bmp", folder / "link.bmp");

    SaveFileAtomically((folder / "link.bmp").string(), [](Stream& out) { out.WriteBuffer("new", 3); });

    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder / "link.bmp")));
    EXPECT_EQ(Contents(folder / "real" / "picture.bmp"), "new");
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder / "real")) ++entries;
    EXPECT_EQ(entries, 1u) << "no temporary file is left beside the real file";
    fs::remove_all(folder);
}

}  // namespace
}  // namespace gfx
