#pragma once
// File dialog filters in the program's "description|patterns|...||" form,
// turned into the form Qt's file dialogs read.
#include <QString>
#include <string>

namespace velmio::ui {

// "音声ファイル(*.wav;*.mp3)|*.wav;*.mp3||" becomes "音声ファイル (*.wav *.mp3)";
// several pairs are joined with ";;". A description's own trailing list of
// patterns is replaced by the pattern part, so it is not shown twice.
QString ToQtFilter(const std::string& filter);

}  // namespace velmio::ui
