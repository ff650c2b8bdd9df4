#include "player/shell/settings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const SettingsNames kNames = {"Window", "WindowXPosn", "WindowYPosn", "Template", "StayOnTop"};

PlayerSettings Read(const std::string& text) {
  PlayerSettings settings = {1, 0, 0, 0, 0};
  ReadSettings(text, &kNames, &settings);
  return settings;
}

TEST(SettingsNumber, SignDigitsAndWhatFollows) {
  EXPECT_EQ(-8, SettingsNumber("-8"));
  EXPECT_EQ(12, SettingsNumber(" \t+12px"));
  EXPECT_EQ(0, SettingsNumber("left"));
  EXPECT_EQ(0, SettingsNumber(""));
  EXPECT_EQ(0, SettingsNumber("- 5"));
  EXPECT_EQ(INT32_MAX, SettingsNumber("99999999999999999"));
}

TEST(Settings, DefaultsWithoutAFileAndTheTemplateRule) {
  PlayerSettings settings = Read("");
  EXPECT_EQ(0, settings.switchView);
  EXPECT_EQ(101, settings.templateId);
  EXPECT_EQ(0, settings.xPosn);
  EXPECT_EQ(0, settings.yPosn);
  EXPECT_EQ(0, settings.stayOnTop);

  settings = Read("[window]\r\nwindowxposn=-8\r\nWindowYPosn= 40x\r\nTemplate=122\r\nStayOnTop=2\r\n");
  EXPECT_EQ(-8, settings.xPosn);
  EXPECT_EQ(40, settings.yPosn);
  EXPECT_EQ(122, settings.templateId);
  EXPECT_EQ(2, settings.stayOnTop);

  EXPECT_EQ(101, Read("[Window]\r\nTemplate=134\r\n").templateId);
  // A value longer than 19 characters is read as its first 19.
  EXPECT_EQ(1, Read("[Window]\r\nWindowXPosn=00000000000000000012\r\n").xPosn);
}

TEST(Settings, ASaveWritesTheFourKeysInOrder) {
  PlayerSettings settings = {1, 122, -8, 300, 1};
  std::string text;
  EXPECT_EQ(1, WriteSettings(&text, &kNames, &settings));
  EXPECT_EQ("[Window]\r\nWindowXPosn=-8\r\nWindowYPosn=300\r\nTemplate=122\r\nStayOnTop=1\r\n", text);
  EXPECT_EQ(0, WriteSettings(&text, &kNames, &settings));  // nothing changed
}

}  // namespace
