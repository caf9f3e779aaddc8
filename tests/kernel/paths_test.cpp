#include "platform/kernel/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(Paths, WindowsNamesBecomeRelativeSlashNames) {
  EXPECT_EQ(TranslatePath("bmp\\ball.bmp"), "bmp/ball.bmp");
  EXPECT_EQ(TranslatePath("dat\\tutorialmid.dat"), "dat/tutorialmid.dat");
}

TEST(Paths, ChangeFileExtReplacesOnlyTheLastComponentsExtension) {
  EXPECT_EQ(ChangeFileExt("/opt/game/pluvionaut", ".ini"), "/opt/game/pluvionaut.ini");
  EXPECT_EQ(ChangeFileExt("C:\\game\\Pluvionaut.exe", ".ini"), "C:\\game\\Pluvionaut.ini");
  EXPECT_EQ(ChangeFileExt("/a.b/game", ".ini"), "/a.b/game.ini");
}

TEST(Paths, ExecutableDirHoldsTheRunningTest) {
  const std::string dir = ExecutableDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_EQ(ExecutablePath().rfind(dir, 0), 0u);
  EXPECT_EQ(ExtractFileName("a/b\\c.mid"), "c.mid");
}

TEST(TestHarness, PassesEveryEnvironmentEntryToTheTests) {
  // The test helper must hand each ENV entry to the test process.
  ASSERT_NE(std::getenv("PLUV_ENV_PROBE"), nullptr);
  EXPECT_STREQ(std::getenv("PLUV_ENV_PROBE2"), "2");
  EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "offscreen");
}
