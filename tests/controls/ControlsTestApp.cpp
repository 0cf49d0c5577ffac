#include "tests/controls/ControlsTestApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "controls/XPBitBtn.h"

namespace hw::test {
namespace {

class QtApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "controls_test";
    static char* argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
    TThemeBinding::Start();
  }
  void TearDown() override {
    TThemeBinding::Stop();
    delete app_;
  }

 private:
  QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace

void SaveShot(QWidget& widget, const QString& name) {
  widget.grab().save(QStringLiteral(HW_SHOTS_DIR "/") + name + QStringLiteral(".png"));
}

int CountColour(const QImage& image, const QRect& rect, const QColor& colour) {
  int count = 0;
  const QRect area = rect.intersected(image.rect());
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (image.pixelColor(x, y).rgb() == colour.rgb()) ++count;
    }
  }
  return count;
}

}  // namespace hw::test
