#include "app/desktop_application.h"

#include <unistd.h>
#ifdef __APPLE__
#include <sys/sysctl.h>
#endif

#include <algorithm>
#include <ctime>
#include <fstream>
#include <iostream>

#include <QApplication>
#include <QScreen>
#include <QSystemTrayIcon>

#include "app/command_service.h"
#include "app/simulated_finder_state.h"
#include "sim/sim_home.h"
#include "storage/storage.h"
#include "ui/panel_window.h"
#include "ui/widget_layout.h"

namespace tidyframe {

namespace {

constexpr int finderSaveMilliseconds = 1000;

// The made-up user's Mac as a first launch finds it: the home tree, the SD card inserted and a
// Finder window on Pictures in front.
void furnish(SimulatedMac& sim) {
  SimHome::furnish(sim.volumes);
  SimHome::insertCard(sim.volumes);
  sim.finder().openWindow(SimHome::pictures);
  sim.finder().setFrontmost(true);
}

#ifdef __APPLE__
// Milliseconds since the kernel started this process (its start time is a wall-clock time).
long millisecondsSinceProcessStart() {
  int query[] = {CTL_KERN, KERN_PROC, KERN_PROC_PID, ::getpid()};
  kinfo_proc process{};
  std::size_t size = sizeof process;
  if (::sysctl(query, std::size(query), &process, &size, nullptr, 0) != 0) return 0;
  const timeval started = process.kp_proc.p_starttime;
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return (now.tv_sec - started.tv_sec) * 1000 + (now.tv_nsec / 1000000 - started.tv_usec / 1000);
}
#else
// Milliseconds since the kernel started this process (its start time counts in clock ticks).
long millisecondsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string field;
  std::getline(stat, field, ')');
  for (int i = 0; i < 20 && stat >> field; ++i) {
  }
  timespec now{};
  ::clock_gettime(CLOCK_BOOTTIME, &now);
  const double started = std::stod(field.empty() ? "0" : field) / static_cast<double>(::sysconf(_SC_CLK_TCK));
  return static_cast<long>((static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9 - started) * 1000);
}
#endif

// Reports once when anything in a window is first painted; owned by the window.
class FirstPaint final : public QObject {
 public:
  FirstPaint(QWidget& window, std::ostream& out) : QObject(&window), window_(window), out_(out) {
    QApplication::instance()->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() != QEvent::Paint || !widget || widget->window() != &window_) return false;
    out_ << "tidyframe first paint " << millisecondsSinceProcessStart() << " ms after the process started" << std::endl;
    QApplication::instance()->removeEventFilter(this);
    return false;
  }

 private:
  QWidget& window_;
  std::ostream& out_;
};

}  // namespace

DesktopApplication::DesktopApplication(L& l, DesktopOptions options)
    : options_(std::move(options)),
      engineHost_(dispatch_, sim_, l, options_.storageFolder, options_.home, options_.diagnostics, {}, &alerts_),
      machine_(options_.defaultsFile, dispatch_.now()),
      shell_(ShellServices{engineHost_.services(),
                           UpdateServices{dispatch_, l, alerts_, sim_.guarded.workspace, machine_.defaults,
                                          machine_.https},
                           machine_.defaults, [this] { finish(); }, QSystemTrayIcon::isSystemTrayAvailable(),
                           machine_.system.operatingSystem(), {}, [this] { finderWindow_.bringBack(); }}),
      finderWindow_(sim_, l, [this] {
        if (!finderSave_.isActive()) finderSave_.start();
      }) {
  restoreFinder();
  finderSave_.setSingleShot(true);
  finderSave_.setInterval(finderSaveMilliseconds);
  QObject::connect(&finderSave_, &QTimer::timeout, &finderWindow_, [this] { saveFinder(); });
  finderWindow_.refresh();
  // Beside the panel, which opens at the top right, where the screen has room for both.
  const QRect screen = QApplication::primaryScreen()->availableGeometry();
  const int roomBesidePanel = screen.width() - WidgetLayout::width - 80;
  const int width = std::max(std::min(roomBesidePanel, finderWindow_.width()), finderWindow_.minimumSizeHint().width());
  finderWindow_.resize(width, finderWindow_.height());
  finderWindow_.move(screen.left() + 40, screen.top() + 60);
  shell_.applicationDidFinishLaunching();
  const bool trayAvailable = shell_.statusItem() != nullptr;
  if (options_.diagnostics && !trayAvailable) new FirstPaint(*shell_.popover(), *options_.diagnostics);
  if (!trayAvailable) shell_.showWindow(true);
  // After the panel, which a person waits for, has had its turn to paint.
  QTimer::singleShot(0, &finderWindow_, [this] { finderWindow_.show(); });
  const QString name = SingleInstance::serverName(options_.storageFolder);
  // A later launch brings back the panel and the Finder window, which closing only hid.
  const auto reopen = [this] {
    finderWindow_.bringBack();
    shell_.applicationShouldHandleReopen();
  };
  const auto commands = [this](std::string_view request, SingleInstance::Reply reply, std::function<bool()> waiting) {
    serveCommand({dispatch_, *shell_.model(), engineHost_.writer(), engineHost_.storage()}, std::string(request),
                 std::move(reply), std::move(waiting));
  };
  if (!instance_.listen(name, reopen, commands)) {
    std::cerr << "tidyframe: cannot listen for later launches" << std::endl;
  }
}

std::filesystem::path DesktopApplication::finderStateFile() const {
  return options_.storageFolder / SimulatedFinderState::fileName;
}

void DesktopApplication::restoreFinder() {
  const auto world = sim_.lockWorld();
  furnish(sim_);
  const auto saved = Storage::readJson(finderStateFile());
  if (saved && !SimulatedFinderState::restore(sim_, *saved)) {
    std::cerr << "tidyframe: " << finderStateFile() << " describes no Finder; starting afresh" << std::endl;
  }
}

void DesktopApplication::saveFinder() {
  finderSave_.stop();
  Json state;
  {
    const auto world = sim_.lockWorld();
    state = SimulatedFinderState::capture(sim_);
  }
  if (const auto saved = Storage::save(state, finderStateFile()); !saved) {
    std::cerr << "tidyframe: could not save the simulated Finder: " << saved.error() << std::endl;
  }
}

void DesktopApplication::finish() {
  saveFinder();
  if (options_.finished) options_.finished();
}

}  // namespace tidyframe
