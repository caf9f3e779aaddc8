// The debug log's lines, numbering and switches, the result check and the
// format and error names.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <system_error>

#include "gfx/debug_log.h"
#include "gfx/debug_option.h"
#include "log_fixture.h"
#include "platform/d3d9/d3d9_types.h"

using DebugLogTest = LogTest;

TEST_F(DebugLogTest, LinesAreNumberedIndentedAndEndInCrLf) {
  DebugLog("first");
  LogIndent = 2;
  DebugLog("second");
  LogIndent = -3;  // negative indents nothing
  DebugLog("third");
  LogIndent = 0;
  DebugLog("");
  EXPECT_EQ(RawLog(), "#00001 | first\r\n#00002 |     second\r\n#00003 | third\r\n#00004 | \r\n");
  EXPECT_EQ(LogLineCount, 4);
}

TEST_F(DebugLogTest, TheFirstLineOfARunStartsANewFile) {
  {
    std::ofstream old(DebugLogPath(), std::ios::binary);
    old << "#00001 | an old run\r\n";
  }
  DebugLog("new");
  EXPECT_EQ(RawLog(), "#00001 | new\r\n");
}

TEST_F(DebugLogTest, LineOneHundredThousandHasSixDigits) {
  LogLineCount = 99998;
  std::ofstream(DebugLogPath(), std::ios::binary).flush();
  DebugLog("a");
  DebugLog("b");
  EXPECT_EQ(RawLog(), "#99999 | a\r\n#100000 | b\r\n");
}

TEST_F(DebugLogTest, JapaneseTextIsWrittenAsShiftJis) {
  DebugLog(Sjis("■■■画面モードを初期化します■■■"));
  const std::string raw = RawLog();
  // "■" is 81 A1 in CP932.
  EXPECT_EQ(raw.substr(9, 2), "\x81\xA1");
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0], "■■■画面モードを初期化します■■■");
  // The same literal converts once and stays the same object.
  const char* literal = "テスト";
  EXPECT_EQ(&Sjis(literal), &Sjis(literal));
}

TEST_F(DebugLogTest, SwitchesDecideWhatIsWritten) {
  // Detailed on, debug messages off: nothing at all.
  ApplyDebugOption(TVXDebugOption{vxoDetailedLog});
  DetailLog("detail");
  DebugLog("direct");
  EXPECT_FALSE(std::filesystem::exists(DebugLogPath()));
  EXPECT_EQ(LogLineCount, 0);
  // Only debug messages: direct lines and failures, no progress lines.
  ApplyDebugOption(TVXDebugOption{vxoDebugMessage});
  DetailLog("detail");
  DebugLog("direct");
  CheckResult(D3DERR_INVALIDCALL, "failed");
  EXPECT_EQ(Texts(), (std::vector<std::string>{"direct", "failed(Error Code = D3DERR_INVALIDCALL )"}));
  EXPECT_FALSE(HaltOnErrorSwitch);
  ApplyDebugOption(kAllDebugOptions);
  EXPECT_TRUE(HaltOnErrorSwitch && DebugMessageSwitch && DetailedLogSwitch);
  EXPECT_EQ(kAllDebugOptions.Bits(), 7);
}

TEST_F(DebugLogTest, CheckResultOfZeroWritesNothingAndReturns) {
  EXPECT_EQ(CheckResult(0, "never"), 0);
  EXPECT_FALSE(std::filesystem::exists(DebugLogPath()));
}

TEST_F(DebugLogTest, CheckResultWithCodeOneNamesAnUnknownError) {
  HaltOnErrorSwitch = false;
  EXPECT_EQ(CheckResult(1, "step"), 1);
  EXPECT_EQ(RawLog(), "#00001 | step(Error Code = UNKNOWN ERROR ... $00000001)\r\n");
}

TEST_F(DebugLogTest, CheckResultEndsTheProcessWithStatusZeroWhenHalting) {
  EXPECT_EXIT(CheckResult(D3DERR_DEVICELOST, "lost"), ::testing::ExitedWithCode(0), "");
  // The line was on disk before the end.
  EXPECT_EQ(Texts(), (std::vector<std::string>{"lost(Error Code = D3DERR_DEVICELOST)"}));
  // Halting also with logging off.
  DebugMessageSwitch = false;
  EXPECT_EXIT(CheckResult(1, "quiet"), ::testing::ExitedWithCode(0), "");
}

TEST_F(DebugLogTest, AnUnwritableFolderRaisesAndKeepsTheCount) {
  SetDebugLogDirectory((m_dir / "missing" / "deeper").string());
  EXPECT_THROW(DebugLog("x"), std::system_error);
  EXPECT_EQ(LogLineCount, 0);
}

TEST(ErrorCodeName, NamesEveryDirect3DCodeAndFormatsOthers) {
  EXPECT_EQ(ErrorCodeName(0), "D3D_OK");
  EXPECT_EQ(ErrorCodeName(D3DERR_OUTOFVIDEOMEMORY), "D3DERR_OUTOFVIDEOMEMORY");
  EXPECT_EQ(ErrorCodeName(D3DERR_WRONGTEXTUREFORMAT), "D3DERR_WRONGTEXTUREFORMAT");
  EXPECT_EQ(ErrorCodeName(D3DERR_UNSUPPORTEDCOLOROPERATION), "D3DERR_UNSUPPORTEDCOLOROPERATION ");
  EXPECT_EQ(ErrorCodeName(D3DERR_CONFLICTINGTEXTUREPALETTE), "D3DERR_CONFLICTINGTEXTUREPALETTE ");
  EXPECT_EQ(ErrorCodeName(D3DERR_NOTAVAILABLE), "D3DERR_NOTAVAILABLE");
  EXPECT_EQ(ErrorCodeName(D3DERR_INVALIDDEVICE), "D3DERR_INVALIDDEVICE ");
  EXPECT_EQ(ErrorCodeName(D3DERR_DRIVERINVALIDCALL), "D3DERR_DRIVERINVALIDCALL ");
  EXPECT_EQ(ErrorCodeName(static_cast<int32_t>(0x88760000u + 2080)), "UNKNOWN ERROR ... $88760820");
  EXPECT_EQ(ErrorCodeName(E_FAIL), "UNKNOWN ERROR ... $80004005");
  EXPECT_EQ(ErrorCodeName(-1), "UNKNOWN ERROR ... $FFFFFFFF");
}

TEST(FormatTables, NamesAndBitCounts) {
  EXPECT_EQ(FormatName(D3DFMT_A8R8G8B8), "A8R8G8B8");
  EXPECT_EQ(FormatName(30), "X4R4G4B4");
  EXPECT_EQ(FormatName(41), "P8");
  EXPECT_EQ(FormatName(64), "V16U16");
  EXPECT_EQ(FormatName(70), "D16_LOCKABLE");
  EXPECT_EQ(FormatName(80), "D16");
  EXPECT_EQ(FormatName(102), "INDEX32");
  EXPECT_EQ(FormatName(MakeFourCC('D', 'X', 'T', '3')), "DXT3");
  EXPECT_EQ(FormatName(MakeFourCC('U', 'Y', 'V', 'Y')), "UYVY");
  EXPECT_EQ(FormatName(0), "UNKNOWN");
  EXPECT_EQ(FormatName(31), "UNKNOWN");
  EXPECT_EQ(FormatName(72), "UNKNOWN");
  EXPECT_EQ(FormatBitCount(20), 24u);
  for (DWORD f : {21, 22, 62, 63, 64, 71, 75, 77, 79}) EXPECT_EQ(FormatBitCount(f), 32u) << f;
  for (DWORD f : {23, 24, 25, 26, 29, 30, 40, 51, 60, 61, 70, 73, 80}) EXPECT_EQ(FormatBitCount(f), 16u) << f;
  for (DWORD f : {27, 28, 41, 50, 52}) EXPECT_EQ(FormatBitCount(f), 8u) << f;
  for (DWORD f : {0, 100, 101, 102, 31}) EXPECT_EQ(FormatBitCount(f), 0u) << f;
  EXPECT_EQ(FormatBitCount(MakeFourCC('D', 'X', 'T', '1')), 0u);
}
