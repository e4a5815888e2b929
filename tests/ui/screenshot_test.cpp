#include <QDir>
#include <QImage>

#include "ui/panel_fixture.h"

namespace tidyframe {
namespace {

// How far a screenshot may drift from its reviewed reference (font hinting, antialiasing)
// before it counts as a change: a pixel differs when a channel moves by more than 24 of 255,
// and at most 0.5 percent of the pixels may differ.
constexpr int channelTolerance = 24;
constexpr double differingShare = 0.005;

double shareOfDifferentPixels(const QImage& shot, const QImage& reference) {
  if (shot.size() != reference.size()) return 1;
  const QImage a = shot.convertToFormat(QImage::Format_ARGB32);
  const QImage b = reference.convertToFormat(QImage::Format_ARGB32);
  qint64 differing = 0;
  for (int y = 0; y < a.height(); ++y) {
    const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = rowA[x], q = rowB[x];
      const int delta = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                  std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
      if (delta > channelTolerance) ++differing;
    }
  }
  return static_cast<double>(differing) / (static_cast<double>(a.width()) * a.height());
}

// The overview as a new user without Accessibility sees it: the permission button, a message
// in the banner, twelve rules. Each shot is written beside the test program for review and
// compared with the reviewed one in the source tree; TIDYFRAME_UPDATE_SCREENSHOTS=1 replaces
// the references after a deliberate change.
TEST_F(PanelTest, OverviewLooksAsReviewedInEachLanguageAndAppearance) {
  const QDir references(TIDYFRAME_SOURCE_DIR "/tests/ui/screenshots");
  const bool update = qEnvironmentVariableIntValue("TIDYFRAME_UPDATE_SCREENSHOTS") == 1;
  QDir().mkpath("screenshots");
  sim.mac.setAccessibilityTrusted(false);
  openPanel();
  for (const char* language : {"en", "zh-Hans", "ar"}) {
    for (const char* appearance : {"light", "dark"}) {
      Preferences preferences = model->preferences().get();
      preferences.language = language;
      preferences.appearance = appearance;
      preferences.rules.resize(12);
      model->setPreferences(preferences);
      model->setMessage(lookup->t("请为 Tidyframe开启辅助功能权限。"));
      panel->setFixedSize(WidgetLayout::width, static_cast<int>(WidgetLayout::height(PanelState::of(*model))));
      QApplication::processEvents();
      const QString name = QString("overview-%1-%2.png").arg(language, appearance);
      const QImage shot = panel->grab().toImage();
      ASSERT_TRUE(shot.save("screenshots/" + name));
      if (update) {
        ASSERT_TRUE(shot.save(references.filePath(name)));
      }
      const QImage reference(references.filePath(name));
      ASSERT_FALSE(reference.isNull()) << name.toStdString() << " has no reviewed reference";
      EXPECT_LE(shareOfDifferentPixels(shot, reference), differingShare)
          << name.toStdString() << " changed; review build/.../screenshots/" << name.toStdString();
    }
  }
}

}  // namespace
}  // namespace tidyframe
