// The main of every GUI test: the QApplication exists before any test runs, on a headless
// platform and with silent audio unless the environment asks otherwise.

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// The headless platform reports every window call it cannot carry out; that is not news.
void QuietHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  const QByteArray text = message.toLocal8Bit();
  if (type == QtWarningMsg && (text.startsWith("This plugin does not support") || text.startsWith("QStandardPaths:"))) {
    return;
  }
  fprintf(stderr, "%s\n", text.constData());
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  qInstallMessageHandler(QuietHandler);
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
