// Renders every window offscreen with a demo catalogue and writes one PNG per window:
// screenshots <folder>. Needs no display.
#include <QDir>
#include <QPixmap>
#include <QTreeWidgetItem>
#include <cstdlib>
#include <iostream>

#include "app/application.h"
#include "app/widgets/artwork.h"
#include "app/widgets/grouped_list_view.h"
#include "platform/format.h"
#include "tools/qt/fake_stick.h"

namespace {

bool Save(const QPixmap& picture, const QDir& folder, const QString& name) {
  const QString path = folder.filePath(name);
  if (!picture.save(path)) {
    std::cerr << "screenshots: cannot write " << path.toStdString() << '\n';
    return false;
  }
  std::cout << path.toStdString() << '\n';
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: screenshots <folder>\n";
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  kwui::Application app(argc, argv);
  kwui::ApplyApplicationLook(app);
  platform::SetUserFormatSettings(platform::PolishFormatSettings());

  const QDir folder(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(folder.path())) {
    std::cerr << "screenshots: cannot create " << argv[1] << '\n';
    return 1;
  }

  FakeStick stick;
  stick.WriteConfig("[Ogolne]\r\nLoadFromHDD=1\r\nGrupowanieKolumna=301\r\n");
  for (const kwdemo::DescriptorSpec& d : kwdemo::DemoCatalogue()) stick.AddArchive(d);
  RecordingDialogs dialogs;
  Windows w(stick);
  // A 16 GB stick with a good part used, so the bar shows its colour.
  w.main.SetFreeSpaceSource([](const std::string&) {
    return platform::DiskSpace{static_cast<std::uint64_t>(5.36 * (1ull << 30)), 16ull << 30};
  });
  if (!w.main.FormActivate()) return 1;
  auto* list = w.main.findChild<kwui::GroupedListView*>(QStringLiteral("ListViewProjekty"));
  if (list && list->Rows().size() > 1) list->setCurrentItem(list->Rows().at(1));

  bool ok = true;
  for (QWidget* window : std::initializer_list<QWidget*>{&w.main, &w.create, &w.restore,
                                                         &w.search, &w.about}) {
    window->show();
  }
  QCoreApplication::processEvents();
  ok &= Save(w.main.grab(), folder, QStringLiteral("main.png"));
  ok &= Save(w.create.grab(), folder, QStringLiteral("create.png"));
  ok &= Save(w.restore.grab(), folder, QStringLiteral("restore.png"));
  ok &= Save(w.search.grab(), folder, QStringLiteral("search.png"));
  ok &= Save(w.about.grab(), folder, QStringLiteral("about.png"));

  kwui::TaskDialog task(TFormMain::DeleteQuestion());
  task.show();
  QCoreApplication::processEvents();
  ok &= Save(task.grab(), folder, QStringLiteral("delete.png"));
  ok &= Save(kwui::ProgramIconPixmap(256), folder, QStringLiteral("icon.png"));
  return ok ? 0 : 1;
}
