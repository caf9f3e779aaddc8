// Sets the environment entries a test program was registered with
// (pluv_add_test ENV ...) before main runs; PLUV_TEST_ENV holds them separated by
// '|'. Every test program also runs on Qt's offscreen platform.
#include <cstdlib>
#include <string>

namespace {

struct TestEnvironment {
  TestEnvironment() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string entries = PLUV_TEST_ENV;
    size_t start = 0;
    while (start < entries.size()) {
      size_t end = entries.find('|', start);
      if (end == std::string::npos) end = entries.size();
      const std::string entry = entries.substr(start, end - start);
      const size_t eq = entry.find('=');
      if (eq != std::string::npos) setenv(entry.substr(0, eq).c_str(), entry.substr(eq + 1).c_str(), 1);
      start = end + 1;
    }
  }
};

const TestEnvironment g_testEnvironment;

}  // namespace
