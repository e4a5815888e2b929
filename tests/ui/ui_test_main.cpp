#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

#include "ui/panel_style.h"

// One application for every test, offscreen and in the panel's style with a fixed font,
// so screenshots look the same on every machine.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Screenshots at twice the size, as on a Retina screen, so they can be reviewed closely.
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication application(argc, argv);
  QApplication::setStyle(new tidyframe::PanelStyle);
  QApplication::setFont(QFont("Noto Sans", 10));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
