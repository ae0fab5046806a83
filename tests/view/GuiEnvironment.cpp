// Text needs a running QGuiApplication. One serves every test of the process;
// it is destroyed after the last test so that the font libraries release
// their caches before the leak check runs.
#include <gtest/gtest.h>

#include <QGuiApplication>

namespace {

class GuiEnvironment : public testing::Environment {
 public:
  void SetUp() override { m_app = new QGuiApplication(m_argc, m_argv); }
  void TearDown() override {
    delete m_app;
    m_app = nullptr;
  }

 private:
  int m_argc = 1;
  char m_name[11] = "view_tests";
  char* m_argv[2] = {m_name, nullptr};
  QGuiApplication* m_app = nullptr;
};

// Registered before main runs; GoogleTest owns the environment.
testing::Environment* const kGui = testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace
