// The file dialogs' filters as Qt takes them.
#include <gtest/gtest.h>

#include "ui/FileFilters.h"

namespace velmio::ui {
namespace {

TEST(FileFilters, BecomeQtNameFilters) {
  EXPECT_EQ(ToQtFilter("音声ファイル(*.wav)|*.wav||"), QStringLiteral("音声ファイル (*.wav)"));
  EXPECT_EQ(ToQtFilter("音声ファイル(*.wav;*.mp3;*.mp4;*.aac;*.flv)|*.wav;*.mp3;*.mp4;*.aac;*.flv|"
                       "すべてのファイル(*.*)|*.*|"),
            QStringLiteral("音声ファイル (*.wav *.mp3 *.mp4 *.aac *.flv);;すべてのファイル (*.*)"));
  EXPECT_EQ(ToQtFilter("解析データ|*.vlx||"), QStringLiteral("解析データ (*.vlx)"));
}

}  // namespace
}  // namespace velmio::ui
