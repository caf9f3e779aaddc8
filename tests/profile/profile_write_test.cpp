// Writing settings files: exact bytes of the result, content kept around
// the change, creation, deletion, refused input, atomic replacement and
// failure paths, and writers on two threads.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <thread>

#include "platform/kernel/cp932.h"
#include "platform/kernel/profile.h"
#include "profile_test_support.h"

namespace {

constexpr uid_t kNobody = 65534;
constexpr int kChildSetupFailed = 100;

// Runs fn in a child process and returns its exit status. As root the child
// first becomes an unprivileged user, since root ignores folder permissions.
int RunInChild(const std::function<int()>& fn, bool dropRoot) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (dropRoot && geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(kChildSetupFailed);
    _exit(fn());
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

BOOL Write(const std::string& file, const char* section, const char* key, const char* value) {
  return WritePrivateProfileStringA(section, key, value, file.c_str());
}

}  // namespace

using ProfileWrite = ProfileTest;

TEST_F(ProfileWrite, CreatesTheFileAndSectionWithCrlfLines) {
  EXPECT_TRUE(Write(Ini(), "Options", "Speed", "1.0"));
  EXPECT_EQ(ReadFileBytes(Ini()), "[Options]\r\nSpeed=1.0\r\n");
  EXPECT_TRUE(Write(Ini(), "Options", "Voice", "1"));
  EXPECT_TRUE(Write(Ini(), "More", "x", "y"));
  EXPECT_EQ(ReadFileBytes(Ini()), "[Options]\r\nSpeed=1.0\r\nVoice=1\r\n[More]\r\nx=y\r\n");
  EXPECT_EQ(Get("options", "voice"), "1");
}

TEST_F(ProfileWrite, AMissingFolderFailsWithoutCreatingAnything) {
  EXPECT_FALSE(Write(PathOf("no/such/game.ini"), "S", "k", "v"));
  EXPECT_TRUE(Entries().empty());
}

TEST_F(ProfileWrite, OtherContentIsKeptByteForByte) {
  const std::string before =
      "; settings of the game\r\n"
      "orphan = kept\r\n"
      "\r\n"
      "[First]  ; a comment after the header\n"
      "  alpha =  1 \n"
      ";beta=commented\r\n"
      "Gamma=\"quoted\"\r\n"
      "\r\n"
      "[Second]\r\n"
      "\tdelta=4\t\r\n"
      "trailing=no line end";
  WriteFileBytes(Ini(), before);
  EXPECT_TRUE(Write(Ini(), "first", "GAMMA", "3"));
  const std::string afterGamma =
      "; settings of the game\r\n"
      "orphan = kept\r\n"
      "\r\n"
      "[First]  ; a comment after the header\n"
      "  alpha =  1 \n"
      ";beta=commented\r\n"
      "Gamma=3\r\n"
      "\r\n"
      "[Second]\r\n"
      "\tdelta=4\t\r\n"
      "trailing=no line end";
  EXPECT_EQ(ReadFileBytes(Ini()), afterGamma);

  // A new key goes after the section's last non-blank line, before the gap.
  EXPECT_TRUE(Write(Ini(), "First", "epsilon", "5"));
  // A key in the last section, whose last line has no line end.
  EXPECT_TRUE(Write(Ini(), "Second", "zeta", "6"));
  // An LF line keeps its LF when its value changes.
  EXPECT_TRUE(Write(Ini(), "First", "Alpha", "one"));
  EXPECT_EQ(ReadFileBytes(Ini()),
            "; settings of the game\r\n"
            "orphan = kept\r\n"
            "\r\n"
            "[First]  ; a comment after the header\n"
            "alpha=one\n"
            ";beta=commented\r\n"
            "Gamma=3\r\n"
            "epsilon=5\r\n"
            "\r\n"
            "[Second]\r\n"
            "\tdelta=4\t\r\n"
            "trailing=no line end\r\n"
            "zeta=6\r\n");
}

TEST_F(ProfileWrite, ANewSectionFollowsAFileWithoutALastLineEnd) {
  WriteFileBytes(Ini(), "[A]\nk=1");
  EXPECT_TRUE(Write(Ini(), "B", "k", "2"));
  EXPECT_EQ(ReadFileBytes(Ini()), "[A]\nk=1\r\n[B]\r\nk=2\r\n");
}

TEST_F(ProfileWrite, KeysBeforeAnySectionAreNotTheSectionsKeys) {
  WriteFileBytes(Ini(), "k=orphan\r\n");
  EXPECT_TRUE(Write(Ini(), "S", "k", "mine"));
  EXPECT_EQ(ReadFileBytes(Ini()), "k=orphan\r\n[S]\r\nk=mine\r\n");
}

TEST_F(ProfileWrite, OnlyTheFirstSectionOfANameIsChanged) {
  WriteFileBytes(Ini(), "[S]\r\na=1\r\n[T]\r\n[s]\r\nb=2\r\n");
  EXPECT_TRUE(Write(Ini(), "S", "b", "3"));
  EXPECT_EQ(ReadFileBytes(Ini()), "[S]\r\na=1\r\nb=3\r\n[T]\r\n[s]\r\nb=2\r\n");
  EXPECT_EQ(Get("S", "b"), "3");
}

TEST_F(ProfileWrite, ValuesLoseLeadingBlanksAndAnUnchangedValueLeavesTheFileAlone) {
  EXPECT_TRUE(Write(Ini(), "S", "k", "  v "));
  EXPECT_EQ(ReadFileBytes(Ini()), "[S]\r\nk=v \r\n");
  EXPECT_EQ(Get("S", "k"), "v");
  struct stat before {};
  ASSERT_EQ(stat(Ini().c_str(), &before), 0);
  EXPECT_TRUE(Write(Ini(), "S", "K", "v "));
  struct stat after {};
  ASSERT_EQ(stat(Ini().c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);  // not replaced
}

TEST_F(ProfileWrite, JapaneseNamesAreStoredAsTheirCp932Bytes) {
  const std::string section = Utf8ToCp932("システムデータ");
  const std::string key = Utf8ToCp932("プレイ回数");
  const std::string voice = Utf8ToCp932("ルフナボイス");
  EXPECT_TRUE(Write(Ini(), section.c_str(), key.c_str(), "7"));
  EXPECT_TRUE(Write(Ini(), section.c_str(), voice.c_str(), "1"));
  EXPECT_EQ(ReadFileBytes(Ini()), "[" + section + "]\r\n" + key + "=7\r\n" + voice + "=1\r\n");
  EXPECT_EQ(Get(section, key), "7");
}

TEST_F(ProfileWrite, NullValueDeletesTheKeyAndNullKeyTheSection) {
  WriteFileBytes(Ini(), "[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n[C]\r\nw=4\r\n");
  EXPECT_TRUE(Write(Ini(), "a", "X", nullptr));
  EXPECT_EQ(ReadFileBytes(Ini()), "[A]\r\ny=2\r\n\r\n[B]\r\nz=3\r\n[C]\r\nw=4\r\n");
  EXPECT_TRUE(Write(Ini(), "B", nullptr, nullptr));
  EXPECT_EQ(ReadFileBytes(Ini()), "[A]\r\ny=2\r\n\r\n[C]\r\nw=4\r\n");
  // Deleting what is not there succeeds and changes nothing.
  EXPECT_TRUE(Write(Ini(), "A", "nothing", nullptr));
  EXPECT_TRUE(Write(Ini(), "Nothing", nullptr, nullptr));
  EXPECT_EQ(ReadFileBytes(Ini()), "[A]\r\ny=2\r\n\r\n[C]\r\nw=4\r\n");
  EXPECT_TRUE(Write(PathOf("absent.ini"), "A", nullptr, nullptr));
  EXPECT_FALSE(std::filesystem::exists(PathOf("absent.ini")));
}

TEST_F(ProfileWrite, NamesAndValuesThatWouldBreakTheLinesAreRefused) {
  WriteFileBytes(Ini(), "[S]\r\nk=1\r\n");
  EXPECT_FALSE(Write(Ini(), "S", "k", "2\r\nforged=1"));
  EXPECT_FALSE(Write(Ini(), "S", "k", "2\nx"));
  EXPECT_FALSE(Write(Ini(), "S", "a=b", "1"));
  EXPECT_FALSE(Write(Ini(), "S", ";c", "1"));
  EXPECT_FALSE(Write(Ini(), "S", "[x]", "1"));
  EXPECT_FALSE(Write(Ini(), "S]x", "k", "1"));
  EXPECT_FALSE(Write(Ini(), "S\n[T", "k", "1"));
  EXPECT_FALSE(Write(Ini(), nullptr, "k", "1"));
  EXPECT_TRUE(Write(Ini(), nullptr, nullptr, nullptr));  // the flush request
  EXPECT_EQ(ReadFileBytes(Ini()), "[S]\r\nk=1\r\n");
}

TEST_F(ProfileWrite, ReplacementLeavesNoTemporaryFileAndKeepsPermissions) {
  WriteFileBytes(Ini(), "[S]\r\nk=1\r\n");
  ASSERT_EQ(chmod(Ini().c_str(), 0640), 0);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(Write(Ini(), "S", "k", std::to_string(i).c_str()));
  EXPECT_EQ(Entries(), std::vector<std::string>{"game.ini"});
  struct stat st {};
  ASSERT_EQ(stat(Ini().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(ProfileWrite, ASymbolicLinkStaysALinkToTheRewrittenFile) {
  WriteFileBytes(PathOf("real.ini"), "[S]\r\nk=1\r\n");
  std::filesystem::create_symlink("real.ini", Ini());
  EXPECT_TRUE(Write(Ini(), "S", "k", "2"));
  EXPECT_TRUE(std::filesystem::is_symlink(Ini()));
  EXPECT_EQ(ReadFileBytes(PathOf("real.ini")), "[S]\r\nk=2\r\n");
}

TEST_F(ProfileWrite, AReadOnlyFolderFailsTheWriteAndKeepsTheOldFile) {
  const std::string old = "[S]\r\nk=old\r\n";
  WriteFileBytes(Ini(), old);
  ASSERT_EQ(chmod(Ini().c_str(), 0644), 0);
  ASSERT_EQ(chmod(Dir().c_str(), 0555), 0);
  const std::string file = Ini();
  const int status = RunInChild([&] { return Write(file, "S", "k", "new") ? 1 : 0; }, true);
  ASSERT_NE(status, kChildSetupFailed);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadFileBytes(Ini()), old);
  EXPECT_EQ(Entries(), std::vector<std::string>{"game.ini"});
}

TEST_F(ProfileWrite, AReadOnlyFileInAWritableFolderIsNotReplaced) {
  const std::string old = "[S]\r\nk=old\r\n";
  WriteFileBytes(Ini(), old);
  ASSERT_EQ(chmod(Ini().c_str(), 0444), 0);
  ASSERT_EQ(chmod(Dir().c_str(), 0777), 0);
  const std::string file = Ini();
  const int status = RunInChild([&] { return Write(file, "S", "k", "new") ? 1 : 0; }, true);
  ASSERT_NE(status, kChildSetupFailed);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadFileBytes(Ini()), old);
  EXPECT_EQ(Entries(), std::vector<std::string>{"game.ini"});
}

TEST_F(ProfileWrite, AFailedWriteRemovesItsTemporaryFileAndKeepsTheOldOne) {
  const std::string old = "[S]\r\nk=old\r\n";
  WriteFileBytes(Ini(), old);
  const std::string file = Ini();
  const std::string longValue(4096, 'v');
  // A file size limit makes the write of the new content fail part-way, as a
  // full disk would.
  const int status = RunInChild(
      [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return kChildSetupFailed;
        return Write(file, "S", "k", longValue.c_str()) ? 1 : 0;
      },
      false);
  ASSERT_NE(status, kChildSetupFailed);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadFileBytes(Ini()), old);
  EXPECT_EQ(Entries(), std::vector<std::string>{"game.ini"});
}

TEST_F(ProfileWrite, AFolderInThePlaceOfTheFileIsNotReplaced) {
  std::filesystem::create_directory(Ini());
  EXPECT_FALSE(Write(Ini(), "S", "k", "v"));
  EXPECT_TRUE(std::filesystem::is_directory(Ini()));
  EXPECT_EQ(Entries(), std::vector<std::string>{"game.ini"});
}

TEST_F(ProfileWrite, ManyWritesReadBackTheLastValueOfEachKey) {
  constexpr int kWrites = 300;
  constexpr int kKeys = 7;
  for (int i = 0; i < kWrites; ++i) {
    const std::string key = "key" + std::to_string(i % kKeys);
    ASSERT_TRUE(Write(Ini(), "S", key.c_str(), std::to_string(i).c_str()));
  }
  for (int k = 0; k < kKeys; ++k) {
    const int last = kWrites - kKeys + ((k - kWrites % kKeys + kKeys) % kKeys);
    EXPECT_EQ(Get("S", "key" + std::to_string(k)), std::to_string(last)) << k;
  }
  char names[256];
  const DWORD n = GetPrivateProfileStringA("S", nullptr, "", names, sizeof names, Ini().c_str());
  EXPECT_EQ(std::string(names, n), std::string("key0\0key1\0key2\0key3\0key4\0key5\0key6\0", 35));
  EXPECT_EQ(Entries(), std::vector<std::string>{"game.ini"});
}

TEST_F(ProfileWrite, WritersOnTwoThreadsLoseNoUpdate) {
  constexpr int kWrites = 100;
  const std::string file = Ini();
  auto writer = [&](const char* key) {
    for (int i = 1; i <= kWrites; ++i) Write(file, "S", key, std::to_string(i).c_str());
  };
  std::thread timerSide(writer, "PlayCount");
  std::thread mainSide(writer, "Options");
  timerSide.join();
  mainSide.join();
  EXPECT_EQ(Get("S", "PlayCount"), std::to_string(kWrites));
  EXPECT_EQ(Get("S", "Options"), std::to_string(kWrites));
  EXPECT_EQ(Entries(), std::vector<std::string>{"game.ini"});
}
