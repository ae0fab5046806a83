// The widget tests need a QApplication. One serves every test of the process
// and goes after the last one, so that the font caches are released before
// the leak check. Without a display the offscreen platform stands in.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "ui/UiFonts.h"

namespace {

class WidgetEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    m_app = new QApplication(m_argc, m_argv);
    QApplication::setFont(velmio::ui::UiFont());
  }
  void TearDown() override {
    delete m_app;
    m_app = nullptr;
  }

 private:
  int m_argc = 1;
  char m_name[9] = "ui_tests";
  char* m_argv[2] = {m_name, nullptr};
  QApplication* m_app = nullptr;
};

// Registered before main runs; GoogleTest owns the environment.
testing::Environment* const kWidgets = testing::AddGlobalTestEnvironment(new WidgetEnvironment);

}  // namespace
