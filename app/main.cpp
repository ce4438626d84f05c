// The program's entry: the application object, the five windows in their order, the loop.
#include <exception>

#include "app/application.h"
#include "app/dialog_service.h"
#include "app/formstart.h"
#include "app/oprogramieunit.h"
#include "app/widgets/artwork.h"
#include "create/formutworzkopie.h"
#include "model/kwplus.h"
#include "platform/shell_folders.h"
#include "restore/formodtworzdane.h"
#include "search/formszukaj.h"

int main(int argc, char** argv) {
  kwui::Application app(argc, argv);
  try {
    kwui::ApplyApplicationLook(app);
    app.setWindowIcon(kwui::ProgramIcon());
    app.setDesktopFileName(QStringLiteral("archiwumkw"));

    kw::KWPlus& model = kw::TheKWPlus();
    TFormMain formMain(model, platform::ExecutablePath(model.Fs()));
    TFormOdtworzDaneZKopii formOdtworzDaneZKopii(&formMain);
    TFormTworzKopie formTworzKopie(&formMain);
    TFormSzukajPlikow formSzukajPlikow(&formTworzKopie);
    TFormOprogramie formOprogramie(&formMain);
    formMain.SetForms(&formOdtworzDaneZKopii, &formTworzKopie, &formSzukajPlikow,
                      &formOprogramie);
    formMain.show();
    app.exec();
  } catch (...) {
    kwui::Dialogs().ShowException(nullptr, kwui::Application::CurrentExceptionText());
  }
  return 0;
}
