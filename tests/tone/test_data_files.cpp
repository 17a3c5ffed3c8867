// The manual and the history that lie beside the program: Shift-JIS (CP932) text
// with CR LF line ends that the viewer shows line by line, unwrapped. The manual
// must explain every menu command, quoted as the menu shows it.
#include <gtest/gtest.h>
#include <iconv.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The text as UTF-8, or "" when some byte is not CP932.
std::string DecodeCp932(std::string in) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return "";
    std::string out(in.size() * 3, '\0');
    char *inPtr = in.data(), *outPtr = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    return ok ? out.substr(0, out.size() - outLeft) : "";
}

const struct TextFile {
    const char* name;
    std::vector<std::string> mustContain;  // UTF-8
} kFiles[] = {
    {"Morvi.txt",  // every menu caption and control text of the program
     {"ﾌｧｲﾙ(&F)", "開く(&O)", "上書き保存(&S)", "名前を付けて保存(&A)", "一括サイズ変換(&I)", "モルビの終了(&Q)",
      "編集(&E)", "クリップボードからの取込み(&P)", "クリップボードへ転送(&C)", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容ｸﾘｱ(&X)",
      "画像(&G)", "左に９０度回転(&L)", "右に９０度回転(&R)", "１８０度回転(&F)", "左右反転(&H)", "上下反転(&V)",
      "画像を明るくする(&U)", "画像を暗くする(&D)", "コントラストを強くする(&K)", "コントラストを弱くする(&J)",
      "白黒化する(&B)", "表示画像のｸﾘｱ(&C)", "領域選択(&S)", "選択領域ｸﾘｱ(&R)", "ﾍﾙﾌﾟ(&H)",
      "取説ﾄﾞｷｭﾒﾝﾄの表示 ...", "開発ﾋｽﾄﾘｰの表示 ...", "ﾊﾞｰｼﾞｮﾝ情報(&V)", "ｸﾘｱ", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞからの取込み",
      "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへ画像転送", "縦横比を維持", "転送時倍率", "[1/1]", "次を検索", "先頭へ", "最後へ", "Ver 1.6"}},
    {"Morvi.HIS", {"Ver 1.6", "2026"}},
};

class DataFile : public testing::TestWithParam<TextFile> {};

TEST_P(DataFile, IsCp932WithCrLfLinesTheViewerCanShow) {
    std::ifstream in(std::string(MORVI_SOURCE_DIR) + "/data/" + GetParam().name, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GE(bytes.size(), 2u) << GetParam().name;
    ASSERT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << "last line ends with CR LF";
    size_t lineStart = 0;
    for (size_t i = 0, line = 1; i < bytes.size(); ++i) {
        // A byte 26 would end the viewer's reading; the list box expands no tabs.
        ASSERT_TRUE(bytes[i] != '\x1a' && bytes[i] != '\t') << "line " << line;
        ASSERT_EQ(bytes[i] == '\n', i > 0 && bytes[i - 1] == '\r') << "LF without CR, line " << line;
        if (bytes[i] != '\r') continue;
        ASSERT_EQ(bytes[i + 1], '\n') << "CR without LF, line " << line;
        // About 84 half-width columns fit the list box; in CP932 bytes are columns.
        EXPECT_LE(i - lineStart, 84u) << "line " << line << " is wider than the viewer";
        lineStart = i + 2;
        ++line;
    }
    const std::string text = DecodeCp932(bytes);
    ASSERT_FALSE(text.empty()) << "not CP932";
    for (const auto& needle : GetParam().mustContain)
        EXPECT_NE(text.find(needle), std::string::npos) << GetParam().name << " lacks \"" << needle << "\"";
}

INSTANTIATE_TEST_SUITE_P(BesideTheProgram, DataFile, testing::ValuesIn(kFiles),
                         [](const auto& info) { return std::string(info.param.name) == "Morvi.txt" ? "Manual" : "History"; });

}  // namespace
