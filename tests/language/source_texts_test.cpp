// The collector of translatable texts in C++ sources: what counts as a text,
// what does not, and the lupdate input it writes.
#include "tools/translation_texts/source_texts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

using Texts = std::vector<std::string>;

TEST(SourceTexts, LiteralsGivenToTrOrMarkedTranslatable) {
  EXPECT_EQ(TranslatableLiterals(R"(box(Tr("ゲームを始めるよ。"));)"), Texts{"ゲームを始めるよ。"});
  EXPECT_EQ(TranslatableLiterals(R"(Tr ( QStringLiteral ( "一時停止中だよ。" ) ))"), Texts{"一時停止中だよ。"});
  EXPECT_EQ(TranslatableLiterals(R"(Tr(QString::fromUtf8("あ")))"), Texts{"あ"});
  // Adjacent literals are one text, escapes are resolved, comments between
  // the pieces do not count.
  EXPECT_EQ(TranslatableLiterals("constexpr auto k = Translatable(\"一行目\\r\\n\" // first\n  \"二行目 \\\"引用\\\"\");"),
            Texts{"一行目\r\n二行目 \"引用\""});
  EXPECT_EQ(TranslatableLiterals(R"(Tr("\x41\101\t\\"))"), Texts{"AA\t\\"});
  // Several on one line, in order.
  EXPECT_EQ(TranslatableLiterals(R"(f(Tr("a"), Tr("b")); Tr("%1回目だよ。").arg(n);)"), (Texts{"a", "b", "%1回目だよ。"}));
}

TEST(SourceTexts, AnythingElseIsNoText) {
  // Texts built at run time, the declarations themselves, other names
  // ending or starting alike, member calls, comments and string contents.
  for (const char* source : {
           R"(Tr(caption))",
           R"(Tr(QStringLiteral("通常の") + caption))",
           R"(Tr("a" + b))",
           R"(inline QString Tr(const char* japaneseUtf8);)",
           R"(MyTr("x"); TrText("x"); widget.Tr("x"); p->Tr("x"); ns::Tr("x");)",
           "// Tr(\"in a comment\")\n/* Tr(\"in a block\") */",
           R"x(const char* s = "Tr(\"in a string\")"; char c = '"'; f(c);)x",
           R"(Tr("unterminated)",
           R"(Translatable()",
       }) {
    EXPECT_EQ(TranslatableLiterals(source), Texts{}) << source;
  }
  // Raw strings are skipped whole, whatever quotes they hold.
  EXPECT_EQ(TranslatableLiterals("auto r = R\"x(Tr(\"raw\") \" )\" )x\"; Tr(\"後\");"), Texts{"後"});
  // A quote character does not open a string that would hide a later text.
  EXPECT_EQ(TranslatableLiterals(R"(char q = '"'; Tr("後"))"), Texts{"後"});
}

TEST(SourceTexts, LupdateInputRoundTripsEveryText) {
  const std::set<std::string> texts = {"改行\r\nのある文", "引用 \"符\" と \\", "タブ\tも", "plain"};
  const std::string source = LupdateSource(texts, "Pluvionaut");
  EXPECT_NE(source.find("QT_TRANSLATE_NOOP(\"Pluvionaut\", \"plain\");"), std::string::npos);
  // Read back as if each line called Translatable: the same texts.
  std::string marked = source;
  for (std::size_t at; (at = marked.find("QT_TRANSLATE_NOOP(\"Pluvionaut\", ")) != std::string::npos;) {
    marked.replace(at, std::string("QT_TRANSLATE_NOOP(\"Pluvionaut\", ").size(), "Translatable(");
  }
  const Texts back = TranslatableLiterals(marked);
  EXPECT_EQ(std::set<std::string>(back.begin(), back.end()), texts);
}

TEST(SourceTexts, TheGameFoldersLeaveOutTestsAndTools) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("pluv_source_texts_" + std::to_string(getpid()));
  for (const char* dir : {"game/dialogs", "records", "tests/game", "tools/x", "build-asan", ".git", "data"}) {
    fs::create_directories(root / dir);
  }
  std::ofstream(root / "game" / "dialogs" / "a.cpp") << R"(Tr("ゲーム"))";
  std::ofstream(root / "records" / "b.h") << R"(Translatable("記録"))";
  std::ofstream(root / "records" / "notes.txt") << R"(Tr("テキストファイル"))";
  std::ofstream(root / "tests" / "game" / "c.cpp") << R"(Tr("テスト"))";
  std::ofstream(root / "tools" / "x" / "d.cpp") << R"(Tr("ツール"))";
  const std::vector<fs::path> folders = GameSourceFolders(root);
  EXPECT_EQ(folders, (std::vector<fs::path>{root / "game", root / "records"}));
  EXPECT_EQ(TranslatableLiteralsIn(folders), (std::set<std::string>{"ゲーム", "記録"}));
  fs::remove_all(root);
}

TEST(SourceTexts, LupdateKeepsTranslationsAndTakesNewTextsFromTheCollectorsOutput) {
  // The refreshing step as the script runs it, with the real lupdate: a kept
  // text keeps its English, a new one arrives unfinished, a vanished one goes.
  namespace fs = std::filesystem;
  const fs::path lupdate = "/usr/lib/qt6/bin/lupdate";
  if (!fs::exists(lupdate)) GTEST_SKIP() << "lupdate (qt6-l10n-tools) is not installed";
  const fs::path dir = fs::temp_directory_path() / ("pluv_lupdate_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path ts = dir / "t_en.ts";
  std::ofstream(ts) << R"x(<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Pluvionaut</name>
    <message>
        <source>ゲームを始めるよ。</source>
        <translation>Let's start the game!</translation>
    </message>
    <message>
        <source>消えた文だよ。</source>
        <translation>Gone.</translation>
    </message>
</context>
</TS>
)x";
  std::ofstream(dir / "texts.cpp") << LupdateSource({"ゲームを始めるよ。", "一行目\r\n二行目だよ。"}, "Pluvionaut");
  const std::string command = lupdate.string() + " -silent -locations none -no-obsolete -source-language ja " +
                              "-target-language en " + (dir / "texts.cpp").string() + " -ts " + ts.string();
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream in(ts);
  const std::string result((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(result.find("<translation>Let&apos;s start the game!</translation>"), std::string::npos) << result;
  EXPECT_NE(result.find("一行目<byte value=\"xd\"/>\n二行目だよ。</source>\n        <translation type=\"unfinished\">"),
            std::string::npos)
      << result;
  EXPECT_EQ(result.find("消えた文だよ。"), std::string::npos) << result;
  fs::remove_all(dir);
}

}  // namespace
