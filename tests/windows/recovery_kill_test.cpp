// The editor killed (SIGKILL) at random moments of an editing session: the
// copy the next start offers is the image after the last edit that was
// older than the recovery delay (or after a newer one), never a damaged
// one, and the file itself is never changed.
//
// The editing session is this program run again with --edit-session, so
// that the test can kill it.
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <iostream>
#include <random>

#include "demo/demo_rom.h"
#include "fake_dialogs.h"
#include "platform/picture_surface.h"
#include "shell/checksums.h"
#include "shell/frmMain.h"
#include "shell/recovery.h"
#include "test_support.h"

using namespace tarvo;

namespace {

constexpr int kDelayMs = 150;
// What the event loop may take, on a busy machine, beyond the delay.
constexpr int kSlackMs = 1000;

// The session: edits of the map, one every few tens of milliseconds, each
// followed by a line "NUMBER MILLISECONDS SHA-1" of the image after it.
int editSession(const char* demoPath) {
  int argc = 1;
  char name[] = "edit-session";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  test::FakeDialogs dialogs;
  frmMain window(dialogs);
  window.setRecoveryDelay(kDelayMs);
  window.show();
  if (!window.loadRomFile(QString::fromUtf8(demoPath))) {
    return 2;
  }
  auto* table = window.findChild<PictureSurface*>("picMetaTable");
  auto* map = window.findChild<PictureSurface*>("picMapRenderDest");
  std::mt19937 random(static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch()));
  int edit = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    const int metatile = static_cast<int>(random() % 96);
    QTest::mouseClick(table, Qt::LeftButton, {},
                      QPoint((metatile % 16) * 32 + 4, (metatile / 16) * 32 + 4));
    QTest::mouseClick(
        map, Qt::LeftButton, {},
        QPoint(static_cast<int>(random() % 24) * 32 + 4, static_cast<int>(random() % 16) * 32 + 4));
    std::cout << edit++ << ' ' << QDateTime::currentMSecsSinceEpoch() << ' ' << sha1Hex(romImage)
              << std::endl;
    timer.start(static_cast<int>(20 + random() % 60));
  });
  timer.start(50);
  return QApplication::exec();
}

}  // namespace

class RecoveryKillTest : public QObject {
  Q_OBJECT

 private slots:
  void aKilledEditorLeavesItsLastSettledEdit() {
    QTemporaryDir state;
    test::TempDir dir;
    const ByteArray demo = makeDemoRom();
    test::writeFile(dir / "demo.nes", demo);
    const std::filesystem::path folder =
        std::filesystem::path(state.path().toStdString()) / "tarvo";
    std::mt19937 random(11);
    int offered = 0;
    for (int run = 0; run < 50; ++run) {
      QProcess session;
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.insert("XDG_STATE_HOME", state.path());
      environment.insert("QT_QPA_PLATFORM", "offscreen");
      environment.insert("XDG_CONFIG_HOME", state.path() + "/config");
      session.setProcessEnvironment(environment);
      session.start(QCoreApplication::applicationFilePath(),
                    {"--edit-session", QString::fromStdString((dir / "demo.nes").string())});
      QVERIFY(session.waitForStarted());
      QTest::qWait(static_cast<int>(400 + random() % 1400));
      const qint64 killedAt = QDateTime::currentMSecsSinceEpoch();
      session.kill();  // SIGKILL
      QVERIFY(session.waitForFinished());
      // The edits and when each was made.
      std::vector<std::pair<qint64, std::string>> edits;
      for (const QByteArray& line : session.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 3) {
          edits.emplace_back(fields[1].toLongLong(), fields[2].toStdString());
        }
      }
      RecoveryStore next(folder);
      QVERIFY(next.open());
      std::vector<RecoveryStore::Damaged> damaged;
      const std::vector<RecoveryStore::Left> left = next.leftBehind(&damaged);
      QVERIFY(damaged.empty());
      QVERIFY(left.size() <= 1);
      // The first edit that the copy may be: the last one old enough.
      std::size_t settled = edits.size();
      for (std::size_t k = 0; k < edits.size(); ++k) {
        if (edits[k].first <= killedAt - kDelayMs - kSlackMs) {
          settled = k;
        }
      }
      // A copy is due when the image then differed from the file.
      if (settled < edits.size() && edits[settled].second != sha1Hex(demo)) {
        QVERIFY2(left.size() == 1, qPrintable(QString("run %1").arg(run)));
      }
      if (!left.empty()) {
        ++offered;
        const std::string copy = sha1Hex(left[0].recovery.image);
        bool found = false;
        for (std::size_t k = settled < edits.size() ? settled : 0; k < edits.size(); ++k) {
          found = found || edits[k].second == copy;
        }
        QVERIFY2(found, qPrintable(QString("run %1").arg(run)));
        RecoveryStore::discard(left[0]);
      }
      QCOMPARE(test::readFile(dir / "demo.nes"), demo);
    }
    QVERIFY(offered >= 10);  // many runs lasted long enough to leave a copy
  }
};

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--edit-session") {
    return editSession(argv[2]);
  }
  QApplication app(argc, argv);
  RecoveryKillTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "recovery_kill_test.moc"
