// Saving over a file: through a temporary file where the folder takes one, in
// place where it does not or where a rename would change what the file is, and
// never with a half-written result. The roads that need another user or a
// file-size limit run in a child process.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "gfx/exceptions.h"
#include "gfx/safe_save.h"
#include "gfx/stream.h"

namespace gfx {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
// r-x for everyone: nobody, not even the owner, may add a file.
constexpr fs::perms kReadOnlyFolder = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

size_t Entries(const fs::path& folder) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++count;
    return count;
}

void SaveText(const fs::path& path, const std::string& text) {
    SaveFileAtomically(path.string(), [&text](Stream& out) { out.WriteBuffer(text.data(), text.size()); });
}

class SafeSave : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::path(::testing::TempDir()) / ("safe-save-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        fs::permissions(folder_, fs::perms::owner_all);
        fs::remove_all(folder_);
    }

    // Runs body in a child process; its return value is the child's verdict
    // (empty: passed). 77 means the child could not take the role asked.
    static std::string InChild(const std::function<std::string()>& body) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            std::string verdict;
            try {
                verdict = body();
            } catch (const std::exception& error) {
                verdict = std::string("unexpected exception: ") + error.what();
            }
            if (verdict == "skip") ::_exit(77);
            if (!verdict.empty()) std::fprintf(stderr, "%s\n", verdict.c_str());
            ::_exit(verdict.empty() ? 0 : 1);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return "skip";
        return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : "the child failed (see its message above)";
    }

    // In a child: saves 4 KB of text to file under a file-size limit of 1 KB; the
    // verdict says what went wrong (empty when the save failed and file still
    // holds "old").
    static std::string SaveUnderSizeLimit(const fs::path& file) {
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit {1024, 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            SaveText(file, std::string(4096, 'N'));
            return "the save did not fail";
        } catch (const EWriteError&) {
        }
        return Contents(file) == "old" ? "" : "the old file changed to \"" + Contents(file).substr(0, 20) + "\"";
    }

    // A folder this process may not add files to, holding a file it may write.
    // Root passes every permission check, so as root the child becomes nobody.
    static bool BecomeUserWithoutFolderRights() {
        if (::geteuid() != 0) return true;
        return ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
    }

    fs::path folder_;
};

TEST_F(SafeSave, ASymbolicLinkStaysALinkAndItsFileIsReplaced) {
    fs::create_directories(folder_ / "real");
    Put(folder_ / "real" / "picture.bmp", "old");
    fs::create_symlink(folder_ / "real" / "picture.bmp", folder_ / "link.bmp");

    SaveText(folder_ / "link.bmp", "new");

    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder_ / "link.bmp")));
    EXPECT_EQ(Contents(folder_ / "real" / "picture.bmp"), "new");
    EXPECT_EQ(Entries(folder_ / "real"), 1u) << "no temporary file is left beside the real file";
}

TEST_F(SafeSave, AFileWithOtherNamesIsRewrittenInPlace) {
    Put(folder_ / "a.bmp", "old old old");
    fs::create_hard_link(folder_ / "a.bmp", folder_ / "b.bmp");
    const auto links = fs::hard_link_count(folder_ / "a.bmp");

    SaveText(folder_ / "a.bmp", "new");

    EXPECT_EQ(Contents(folder_ / "a.bmp"), "new") << "the shorter picture is not followed by old bytes";
    EXPECT_EQ(Contents(folder_ / "b.bmp"), "new") << "the other name still shows the same file";
    EXPECT_EQ(fs::hard_link_count(folder_ / "a.bmp"), links);
    EXPECT_EQ(Entries(folder_), 2u);
}

TEST_F(SafeSave, AFolderThatRefusesNewFilesStillLetsTheFileBeSaved) {
    const fs::path file = folder_ / "shared.jpg";
    Put(file, "old");
    fs::permissions(file, fs::perms::all);
    fs::permissions(folder_, kReadOnlyFolder);
    const std::string verdict = InChild([&]() -> std::string {
        if (!BecomeUserWithoutFolderRights()) return "skip";
        SaveText(file, "a new and longer picture");
        if (Contents(file) != "a new and longer picture") return "the file holds \"" + Contents(file) + "\"";
        return Entries(folder_) == 1 ? "" : "a temporary file was left";
    });
    if (verdict == "skip") GTEST_SKIP() << "cannot run as another user here";
    EXPECT_EQ(verdict, "");
}

TEST_F(SafeSave, AFullDiskLeavesTheOldFileWholeOnBothRoads) {
    const fs::path file = folder_ / "photo.bmp";
    // Through the temporary file: the limit stops the write; the old file stays.
    Put(file, "old");
    std::string verdict = InChild([&]() -> std::string {
        const std::string problem = SaveUnderSizeLimit(file);
        if (!problem.empty()) return problem;
        return Entries(folder_) == 1 ? "" : "a temporary file was left";
    });
    EXPECT_EQ(verdict, "");

    // In place, in a folder that takes no new file: refused before a byte changes.
    fs::permissions(file, fs::perms::all);
    fs::permissions(folder_, kReadOnlyFolder);
    verdict = InChild([&]() -> std::string {
        if (!BecomeUserWithoutFolderRights()) return "skip";
        return SaveUnderSizeLimit(file);
    });
    if (verdict == "skip") GTEST_SKIP() << "cannot run as another user here";
    EXPECT_EQ(verdict, "");
}

TEST_F(SafeSave, AFailingWriterLeavesTheOldFileOnBothRoads) {
    const fs::path file = folder_ / "keep.bmp";
    Put(file, "old");
    const auto failing = [](Stream& out) {
        out.WriteBuffer("half", 4);
        throw EInvalidGraphic("cannot encode");
    };
    EXPECT_THROW(SaveFileAtomically(file.string(), failing), EInvalidGraphic);
    EXPECT_EQ(Contents(file), "old");
    EXPECT_EQ(Entries(folder_), 1u);

    fs::create_hard_link(file, folder_ / "other.bmp");
    EXPECT_THROW(SaveFileAtomically(file.string(), failing), EInvalidGraphic);
    EXPECT_EQ(Contents(file), "old");
}

TEST_F(SafeSave, TheReplacedFileKeepsItsOwnerAndPermissions) {
    const fs::path file = folder_ / "theirs.jpg";
    Put(file, "old");
    ::chmod(file.c_str(), 0640);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    }
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);

    SaveText(file, "new");

    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(Contents(file), "new");
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
}

TEST_F(SafeSave, AMissingFolderIsAClearError) {
    try {
        SaveText(folder_ / "no-such-folder" / "x.jpg", "new");
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_NE(std::string(error.what()).find("x.jpg"), std::string::npos) << error.what();
    }
}

}  // namespace
}  // namespace gfx
