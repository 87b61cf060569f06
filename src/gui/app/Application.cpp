#include "gui/app/Application.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QSessionManager>
#include <QTranslator>

#include "core/app/AppFolder.h"
#include "core/store/UDate.h"
#include "gui/app/SignalBridge.h"
#include "gui/app/SingleInstance.h"
#include "gui/app/UMain.h"

namespace quillet {

void InstallFontSubstitutions() {
  QFont::insertSubstitution("FixedSys", "IPAGothic");
  QFont::insertSubstitution("MS UI Gothic", "IPAPGothic");
}

int RunQuillet(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Quillet");
  QApplication::setApplicationDisplayName("Quillet");
  QApplication::setQuitOnLastWindowClosed(true);
  // The launcher's name lets the desktop match windows to it (Wayland needs
  // it for the icon); the icon is the theme's when installed.
  QGuiApplication::setDesktopFileName("org.quillet.Quillet");
  QIcon icon = QIcon::fromTheme("quillet");
  if (icon.isNull())
    for (const char* size : {"16x16", "32x32", "48x48", "256x256"})
      icon.addFile(QStringLiteral(":/icons/%1/quillet.png").arg(QString::fromLatin1(size)));
  QApplication::setWindowIcon(icon);

  QTranslator qtTranslator;
  if (qtTranslator.load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTranslator);
  InstallFontSubstitutions();

  const std::string appFolder = AppFolder();
  TSingleInstance instance(TSingleInstance::NameFor(appFolder));
  if (instance.HandOver()) return 0;
  instance.Listen();

  TStartupEnv env;
  env.appFolder = appFolder;
  env.today = Today();
  env.hour = HourOfNow();
  TFmMain window(env);
  // A wrong or cancelled start-up password ends the program here, before the
  // event loop: the window was never shown, and the single-instance socket
  // closes with this process, so the next start asks again.
  if (window.StartupRefused()) return kExitStartupRefused;
  QObject::connect(&instance, &TSingleInstance::HandOverReceived, &window, &TFmMain::BringToFront);

  TSignalBridge signalBridge;
  QObject::connect(&signalBridge, &TSignalBridge::TerminationRequested, &window, [&window] { window.close(); });
  // A logout asks first; keep the day's text safe then, whether or not the
  // session really ends.
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                   [&window](QSessionManager&) { window.CommitData(); });
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, [&window] { window.RunCloseSequence(); });

  window.ShowMain();
  return QApplication::exec();
}

}  // namespace quillet
