#pragma once
// Qt's own Japanese texts (file dialogs, Yes / No / OK / Cancel, the print
// dialog), so that the standard dialogs match the Japanese menus.
#include <QCoreApplication>
#include <QTranslator>

namespace velmio::ui {

// Installs Qt's Japanese translations into `application` and returns them
// (owned by the application). Null when the system has none (Debian
// qt6-translations-l10n): the standard dialogs then stay in English. UI
// thread, once.
QTranslator* InstallQtTranslations(QCoreApplication& application);

}  // namespace velmio::ui
