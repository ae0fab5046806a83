#include "ui/QtTranslations.h"

#include <QLibraryInfo>
#include <QLocale>

namespace velmio::ui {

QTranslator* InstallQtTranslations(QCoreApplication& application) {
  // The interface is Japanese whatever the desktop's language, so Qt's part
  // of it is too. "qt" pulls in qtbase and the other modules' catalogues.
  auto* translator = new QTranslator(&application);
  if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qt"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return nullptr;
  }
  QCoreApplication::installTranslator(translator);
  return translator;
}

}  // namespace velmio::ui
