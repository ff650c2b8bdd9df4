#include "player/shell/settings.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace {

const SettingsNames kNames = {"Window",      "WindowXPosn", "WindowYPosn",  "Template", "StayOnTop", "Options",
                               "TimeDisplay", "IntroPlay",   "IntroSeconds", "Drive",    "Catalogue"};

PlayerSettings Read(const std::string& text) {
  PlayerSettings settings = {1, 0, 0, 0, 0, 7, 7, 7, "Z:", ""};
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

// The kept seed's digits: exactly two a byte, either case; anything else
// leaves the bytes alone.
TEST(SettingsHexBytes, ExactlyTwoDigitsAByte) {
  struct {
    const char* text;
    int read;
  } cases[] = {
      {"00ff7Fa0", 1}, {"00FF7FA0", 1}, {"00ff7fa", 0}, {"00ff7fa0b", 0}, {"00ff7fa00", 0},
      {"", 0},         {"00ff 7fa", 0}, {"00fg7fa0", 0}, {" 00ff7fa0", 0}, {"0xff7fa0", 0},
  };
  for (const auto& c : cases) {
    unsigned char bytes[4] = {1, 2, 3, 4};
    EXPECT_EQ(c.read, SettingsHexBytes(c.text, bytes, sizeof bytes)) << c.text;
    const unsigned char expected[2][4] = {{1, 2, 3, 4}, {0x00, 0xFF, 0x7F, 0xA0}};
    EXPECT_EQ(0, memcmp(expected[c.read], bytes, sizeof bytes)) << c.text;
  }
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

TEST(Settings, OptionsOutOfTheirRangeReadAsTheirDefaults) {
  PlayerSettings settings = Read("[Window]\r\nStayOnTop=1\r\n");
  EXPECT_EQ(0, settings.timeDisplay);
  EXPECT_EQ(0, settings.introPlay);
  EXPECT_EQ(10, settings.introSeconds);
  EXPECT_STREQ("", settings.drive);

  settings = Read("[options]\r\ntimedisplay=2\r\nIntroPlay=1\r\nIntroSeconds=30\r\nDrive=e:\r\n");
  EXPECT_EQ(2, settings.timeDisplay);
  EXPECT_EQ(1, settings.introPlay);
  EXPECT_EQ(30, settings.introSeconds);
  EXPECT_STREQ("E:", settings.drive);
  EXPECT_EQ(5, Read("[Options]\r\nIntroSeconds=5\r\n").introSeconds);

  settings = Read("[Options]\r\nTimeDisplay=3\r\nIntroPlay=-1\r\nIntroSeconds=4\r\nDrive=E\r\n");
  EXPECT_EQ(0, settings.timeDisplay);
  EXPECT_EQ(0, settings.introPlay);
  EXPECT_EQ(10, settings.introSeconds);
  EXPECT_STREQ("", settings.drive);
  for (const char* bad : {"IntroSeconds=31", "IntroSeconds=ten", "IntroSeconds=", "IntroSeconds=99999999999999999"})
    EXPECT_EQ(10, Read(std::string("[Options]\r\n") + bad + "\r\n").introSeconds) << bad;
  for (const char* bad : {"Drive=EE:", "Drive=E:\\", "Drive=1:", "Drive=:"})
    EXPECT_STREQ("", Read(std::string("[Options]\r\n") + bad + "\r\n").drive) << bad;
}

TEST(Settings, TheCatalogueIsAFullPathOfAFileOrTheWindowsDirectory) {
  const std::string longest = "C:\\" + std::string(252, 'a') + ".ini";  // 259 characters
  struct Case {
    const char* value;
    std::string catalogue;
  } cases[] = {
      {"\\\\server\\music\\tunedeck.ini", "\\\\server\\music\\tunedeck.ini"},
      {"m:\\tunedeck.ini", "m:\\tunedeck.ini"},
      {"Z:/shared/discs.ini", "Z:/shared/discs.ini"},
      {"\"C:\\My Music\\tunedeck.ini\"", "C:\\My Music\\tunedeck.ini"},
      {"", ""},
      {"tunedeck.ini", ""},
      {"music\\tunedeck.ini", ""},
      {"C:tunedeck.ini", ""},
      {"\\tunedeck.ini", ""},
      {"\\\\\\x.ini", ""},
      {"C:\\Music\\", ""},
      {"1:\\tunedeck.ini", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.catalogue, Read(std::string("[Options]\r\nCatalogue=") + c.value + "\r\n").catalogue) << c.value;
  EXPECT_EQ(longest, Read("[Options]\r\nCatalogue=" + longest + "\r\n").catalogue);
  EXPECT_STREQ("", Read("[Options]\r\nCatalogue=" + longest + "x\r\n").catalogue);

  // Never written: a path set by hand while the player runs stays.
  PlayerSettings settings = Read("[Options]\r\nTimeDisplay=1\r\nCatalogue=C:\\a.ini\r\n");
  std::string text = "[Options]\r\nTimeDisplay=1\r\nCatalogue=D:\\b.ini\r\n";
  settings.timeDisplay = 2;
  WriteSettings(&text, &kNames, &settings);
  EXPECT_STREQ("D:\\b.ini", Read(text).catalogue);
}

TEST(Settings, ASaveWritesTheFourKeysInOrder) {
  PlayerSettings settings = {1, 122, -8, 300, 1, 0, 0, 10, "", ""};
  std::string text;
  EXPECT_EQ(1, WriteSettings(&text, &kNames, &settings));
  EXPECT_EQ("[Window]\r\nWindowXPosn=-8\r\nWindowYPosn=300\r\nTemplate=122\r\nStayOnTop=1\r\n", text);
  EXPECT_EQ(0, WriteSettings(&text, &kNames, &settings));  // nothing changed
}

TEST(Settings, TheOptionsAreWrittenOnceOneOfThemIsNotItsDefault) {
  const std::string window = "[Window]\r\nWindowXPosn=0\r\nWindowYPosn=0\r\nTemplate=101\r\nStayOnTop=0\r\n";
  PlayerSettings settings = {0, 101, 0, 0, 0, 0, 0, 10, "", ""};
  std::string text;
  WriteSettings(&text, &kNames, &settings);
  EXPECT_EQ(window, text);

  settings.timeDisplay = 1;
  EXPECT_EQ(1, WriteSettings(&text, &kNames, &settings));
  const std::string options = "[Options]\r\nTimeDisplay=1\r\nIntroPlay=0\r\nIntroSeconds=10\r\nDrive=\r\n";
  EXPECT_EQ(window + options, text);
  // Back at the defaults, the section stays and says so.
  settings.timeDisplay = 0;
  EXPECT_EQ(1, WriteSettings(&text, &kNames, &settings));
  EXPECT_EQ(window + "[Options]\r\nTimeDisplay=0\r\nIntroPlay=0\r\nIntroSeconds=10\r\nDrive=\r\n", text);

  PlayerSettings all = {0, 101, 0, 0, 0, 2, 1, 25, "E:", ""};
  text.clear();
  WriteSettings(&text, &kNames, &all);
  EXPECT_EQ(window + "[Options]\r\nTimeDisplay=2\r\nIntroPlay=1\r\nIntroSeconds=25\r\nDrive=E:\r\n", text);
  PlayerSettings back = Read(text);
  EXPECT_EQ(0, memcmp(&all.timeDisplay, &back.timeDisplay, sizeof all - offsetof(PlayerSettings, timeDisplay)));
}

}  // namespace
